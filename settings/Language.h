#pragma once
// Language files ("*.rlf" beside the executable): window fonts, titles,
// captions and hints of named controls, radio group items, list view column
// titles and the message texts.
#include <string>
#include <vector>

#include "common/ByteString.h"

namespace km27 {

namespace ui {
class Form;
}

// The windows a language file addresses, registered by the shell once they
// exist. A window that is not built (nullptr), or a name that is not one of
// its components, is skipped.
struct LanguageForms {
  ui::Form* main = nullptr;
  ui::Form* comm = nullptr;
  ui::Form* option = nullptr;
  ui::Form* keyCode = nullptr;
  ui::Form* readData = nullptr;
  ui::Form* wizard = nullptr;
};
void SetLanguageForms(const LanguageForms& forms);
const LanguageForms& GetLanguageForms();

// File names (no path) of the language files beside the executable, in
// directory order; also the indexes of the options dialog's cboLanguage.
extern std::vector<std::string> LanguageFiles;

// Captions of the wizard's lblConnectTest and lblReadCheckNote as the last
// language file left them; the wizard restores its labels from them.
extern std::string WizardConnectTestText;
extern std::string WizardReadCheckNoteText;

// Lists the language files, fills cboLanguage with their display names and
// applies General.LanguageFile when a file of exactly that name is present.
void BuildLanguageList();

// Applies LanguageFiles[index]; an index out of range or an empty name does nothing.
void LoadLanguage(int index);

// The trimmed part of the line before its first "=" (`name` true) or after it,
// with "\n" expanded. A line without "=" has an empty name and is all value.
ByteString SplitLanguageLine(const ByteString& line, bool name);

}  // namespace km27
