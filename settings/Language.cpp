#include "settings/Language.h"

#include <algorithm>

#include "common/TextHelpers.h"
#include "settings/Define.h"
#include "settings/FileLocations.h"
#include "settings/FileSystem.h"
#include "settings/IniFile.h"
#include "settings/Messages.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace km27 {

std::vector<std::string> LanguageFiles;
std::string WizardConnectTestText;
std::string WizardReadCheckNoteText;

namespace {

LanguageForms gForms;

enum class Property { Caption, Hint };

void SetCaptionOf(ui::Component* c, const std::string& text) {
  if (auto* control = dynamic_cast<ui::Control*>(c))
    control->SetCaption(text);
  else if (auto* action = dynamic_cast<ui::Action*>(c))
    action->SetCaption(text);
  else if (auto* item = dynamic_cast<ui::MenuItem*>(c))
    item->SetCaption(text);
}

// A section whose lines name components of one window.
void ApplyNamed(const IniFile& ini, const std::string& section, ui::Form* form, Property property) {
  if (!form) return;
  for (const auto& line : ini.SectionLines(section)) {
    ui::Component* c = form->FindComponent(SplitLanguageLine(line, true));
    if (!c) continue;
    const ByteString value = SplitLanguageLine(line, false);
    if (property == Property::Caption) {
      SetCaptionOf(c, value);
    } else if (auto* control = dynamic_cast<ui::Control*>(c)) {
      control->SetHint(value);
      control->SetShowHint(true);
    }
  }
}

std::vector<ByteString> ListValues(const IniFile& ini, const std::string& section) {
  std::vector<ByteString> values;
  for (const auto& line : ini.SectionLines(section)) values.push_back(SplitLanguageLine(line, false));
  return values;
}

template <typename T>
T* Find(ui::Form* form, const std::string& name) {
  return form ? form->Find<T>(name) : nullptr;
}

// Items of a radio group, replaced only when the section has lines. The
// windows take an item by its place, so places the file leaves out keep the
// built-in text: a missing "Other" would leave a stored key without an item.
void ApplyItems(const IniFile& ini, const std::string& section, ui::Form* form, const std::string& name) {
  auto* group = Find<ui::RadioGroup>(form, name);
  if (!group) return;
  auto values = ListValues(ini, section);
  if (values.empty()) return;
  if (group->BuiltInItems.empty()) group->BuiltInItems = group->Items();
  for (size_t i = values.size(); i < group->BuiltInItems.size(); ++i) values.push_back(group->BuiltInItems[i]);
  group->SetItems(values);
}

// Column i takes line i; columns without a line keep their titles.
void ApplyColumns(const IniFile& ini, const std::string& section, ui::Form* form, const std::string& name) {
  auto* view = Find<ui::ListView>(form, name);
  if (!view) return;
  auto values = ListValues(ini, section);
  const size_t n = std::min(values.size(), view->Columns().size());
  for (size_t i = 0; i < n; ++i) view->SetColumnTitle(i, values[i]);
}

// Room for the colour mark the options dialog draws at the start of the
// caption. Blanks already there are not added again, so applying a language
// twice does not push the text further right.
void MakeMarkRoom(ui::Form* form, const std::string& name) {
  auto* control = Find<ui::Control>(form, name);
  if (!control) return;
  const std::string& caption = control->Caption();
  size_t b = 0;
  while (b < caption.size() && caption[b] == ' ') ++b;
  control->SetCaption("   " + caption.substr(b));
}

void ApplyFonts(const IniFile& ini) {
  ui::Form* main = gForms.main;
  if (!main) return;
  ui::Font font = main->GetFont();
  font.name = ini.ReadString("General", "FontName", "Arial");
  // No font has a longer face name (LF_FACESIZE holds 31 characters and the end).
  if (font.name.size() > 31) font.name.resize(31);
  font.size = ini.ReadInteger("General", "FontSize", "9", 9);
  // A size no window can show is taken for a damaged value.
  if (font.size < 1 || font.size > 96) font.size = 9;
  font.height = 0;
  font.charSet = ini.ReadInteger("General", "FontCharSet", "1", 1);
  main->SetFont(font);

  ui::Font plain = font;
  plain.bold = false;
  for (ui::Form* f : {gForms.option, gForms.keyCode, gForms.comm, gForms.readData})
    if (f) f->SetFont(plain);

  // These keep their own size and style; only the face follows the language.
  auto face = [&](ui::Form* form, const char* name) {
    if (auto* c = Find<ui::Control>(form, name)) {
      ui::Font f = c->GetFont();
      f.name = font.name;
      f.charSet = font.charSet;
      c->SetFont(f);
    }
  };
  face(main, "spbStart");
  face(main, "spbStop");
  face(gForms.readData, "lblReadTrack");
}

void ApplyCaptions(const IniFile& ini) {
  const struct {
    const char* key;
    ui::Form* form;
    const char* fallback;
  } titles[] = {
      {"frmMain", gForms.main, "ORVANE KM-27"},
      {"frmOption", gForms.option, "Option"},
      {"frmKeyCode", gForms.keyCode, "Key Code"},
      {"frmComm", gForms.comm, "Communication Monitor"},
      {"frmReadData", gForms.readData, "Read Data"},
      {"frmWizard", gForms.wizard, "Initial Setup Wizard"},
  };
  for (const auto& t : titles)
    if (t.form) t.form->SetCaption(ini.ReadString("Form.Caption", t.key, t.fallback));
}

void ApplyMessages(const IniFile& ini) {
  for (const auto& m : MessageTexts()) {
    auto v = ini.Value("Messages", m.key);
    *m.text = v ? ExpandLineBreaks(*v) : ByteString(m.defaultText);
  }
}

std::string LanguagePath(const std::string& file) { return CurrentFileLocations().languageFolder + file; }

}  // namespace

void SetLanguageForms(const LanguageForms& forms) { gForms = forms; }
const LanguageForms& GetLanguageForms() { return gForms; }

ByteString SplitLanguageLine(const ByteString& line, bool name) {
  const size_t eq = line.find('=');
  if (eq == ByteString::npos) return name ? ByteString() : ExpandLineBreaks(TrimControl(line));
  return ExpandLineBreaks(TrimControl(name ? line.substr(0, eq) : line.substr(eq + 1)));
}

void LoadLanguage(int index) {
  if (index < 0 || static_cast<size_t>(index) >= LanguageFiles.size()) return;
  const std::string& file = LanguageFiles[static_cast<size_t>(index)];
  if (file.empty()) return;
  IniFile ini;
  try {
    ini = ReadIniFile(LanguagePath(file));
  } catch (const FileEncodingError& e) {
    // The user saved it in the wrong encoding and can put it right.
    if (ui::IApplication* app = ui::AppOrNull())
      app->MessageBox(e.what(), "", ui::MsgIcon::Warning, ui::MsgButtons::OK);
    return;
  } catch (const FileError&) {
    // A file that vanished or cannot be read changes nothing.
    return;
  }
  ui::Form* main = gForms.main;
  ui::Form* option = gForms.option;
  ui::Form* wizard = gForms.wizard;
  ui::Form* keyCode = gForms.keyCode;

  ApplyFonts(ini);
  ApplyCaptions(ini);

  ApplyNamed(ini, "Main.Action", main, Property::Caption);
  ApplyNamed(ini, "Main.SpeedButton", main, Property::Caption);
  ApplyNamed(ini, "Main.Label", main, Property::Caption);

  ApplyNamed(ini, "Wizard.Label", wizard, Property::Caption);
  ApplyNamed(ini, "Wizard.Button", wizard, Property::Caption);
  ApplyNamed(ini, "Wizard.TabSheet", wizard, Property::Caption);
  ApplyNamed(ini, "Wizard.CheckBox", wizard, Property::Caption);
  ApplyNamed(ini, "Wizard.RadioGroup", wizard, Property::Caption);
  ApplyItems(ini, "Wizard.rdgAutoStartMode", wizard, "rdgAutoStartMode");
  if (auto* l = Find<ui::Control>(wizard, "lblConnectTest")) WizardConnectTestText = l->Caption();
  if (auto* l = Find<ui::Control>(wizard, "lblReadCheckNote")) WizardReadCheckNoteText = l->Caption();
  ApplyColumns(ini, "Wizard.lvwReadData", wizard, "lvwReadData");

  ApplyNamed(ini, "Option.Action", option, Property::Caption);
  ApplyNamed(ini, "Option.Button", option, Property::Caption);
  ApplyNamed(ini, "Option.Button.Hint", option, Property::Hint);
  ApplyNamed(ini, "Option.CheckBox", option, Property::Caption);
  ApplyNamed(ini, "Option.TabSheet", option, Property::Caption);
  ApplyNamed(ini, "Option.RadioGroup", option, Property::Caption);

  MakeMarkRoom(option, "rdgHeader");
  MakeMarkRoom(option, "rdgTrackSeparator");
  MakeMarkRoom(option, "rdgTerminator");

  ApplyItems(ini, "Option.rdgAutoStartMode", option, "rdgAutoStartMode");
  ApplyItems(ini, "Option.rdgHeader", option, "rdgHeader");
  if (auto* header = Find<ui::RadioGroup>(option, "rdgHeader")) {
    const std::vector<std::string> items = header->Items();
    for (const char* other : {"rdgTrackSeparator", "rdgTerminator"})
      if (auto* g = Find<ui::RadioGroup>(option, other)) g->SetItems(items);
  }
  ApplyColumns(ini, "Option.lvwEditBlockData", option, "lvwEditBlockData");
  ApplyColumns(ini, "Option.lvwKeyTable", option, "lvwKeyTable");
  ApplyNamed(ini, "Option.GroupBox", option, Property::Caption);

  MakeMarkRoom(option, "grpBlockData");

  ApplyNamed(ini, "Option.Label", option, Property::Caption);
  ApplyNamed(ini, "Option.Edit.Hint", option, Property::Hint);

  ApplyNamed(ini, "KeyCode.Button", keyCode, Property::Caption);
  ApplyNamed(ini, "KeyCode.Label", keyCode, Property::Caption);
  ApplyColumns(ini, "KeyCode.lvwKeyTable", keyCode, "lvwKeyTable");

  ApplyNamed(ini, "Comm.Button", gForms.comm, Property::Caption);
  ApplyNamed(ini, "ReadData.Label", gForms.readData, Property::Caption);

  ApplyMessages(ini);
}

void BuildLanguageList() {
  LanguageFiles = Files().ListFiles(CurrentFileLocations().languageFolder, ".rlf");

  auto* combo = Find<ui::ComboBox>(gForms.option, "cboLanguage");
  if (combo) {
    combo->ClearItems();
    for (const auto& file : LanguageFiles) {
      ByteString name;
      try {
        name = ReadIniFile(LanguagePath(file)).ReadString("General", "LanguageName", "");
      } catch (const FileError&) {
        // Listed without a name; applying it says what is wrong with it.
      }
      combo->AddItem(name);
    }
  }

  if (General.LanguageFile.empty()) return;
  for (size_t i = 0; i < LanguageFiles.size(); ++i) {
    if (LanguageFiles[i] == General.LanguageFile) {
      LoadLanguage(static_cast<int>(i));
      if (combo) combo->SetItemIndex(static_cast<int>(i));
      return;
    }
  }
}

}  // namespace km27
