// libFuzzer target: any bytes as a language file, applied to the program's
// windows as they are built (fake toolkit) through the language list, as at
// start-up and again as the options dialog does when the user picks it.
//
// Nothing may crash or hang; fonts stay sizes and names a window can show;
// every message text is set; applying the same file a second time changes
// nothing (captions, hints, items, columns, fonts and messages are the same).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/Comm.h"
#include "settings/Define.h"
#include "tests/fuzz/FuzzChecks.h"
#include "settings/FileSystem.h"
#include "settings/Language.h"
#include "settings/Messages.h"
#include "shell/Main.h"
#include "tests/support/FakeCommPort.h"
#include "tests/support/FakeToolkit.h"
#include "tests/support/FakeTrayPeer.h"

namespace {

using namespace km27;
using fuzz::Check;

// One language file beside the executable, held in memory.
class OneFile : public IFileSystem {
 public:
  explicit OneFile(std::string content) : content_(std::move(content)) { SetFileSystem(this); }
  ~OneFile() override { SetFileSystem(nullptr); }
  std::string ExecutablePath() override { return "/km27/KM27.exe"; }
  bool FileExists(const std::string& path) override { return IsTheFile(path); }
  bool CopyNoOverwrite(const std::string&, const std::string&) override { return false; }
  ByteString ReadWholeFile(const std::string& path) override {
    if (!IsTheFile(path)) throw FileError("not found");
    return content_;
  }
  void WriteFileAtomic(const std::string&, const ByteString&) override { throw FileError("read only"); }
  std::vector<std::string> ListFiles(const std::string&, const std::string&) override { return {"Fuzz.rlf"}; }
  std::optional<LocalDate> LastWriteDate(const std::string&) override { return std::nullopt; }

 private:
  static bool IsTheFile(const std::string& path) {
    return path.size() >= 8 && path.compare(path.size() - 8, 8, "Fuzz.rlf") == 0;
  }
  std::string content_;
};

void Add(std::string& out, const ui::Font& f) {
  out += f.name + "|" + std::to_string(f.size) + "|" + std::to_string(f.charSet) + (f.bold ? "b" : "") + "\n";
}

// Everything a language file can set, as one text.
std::string Snapshot(const std::vector<ui::Form*>& forms) {
  std::string out;
  for (ui::Form* form : forms) {
    out += form->Caption() + "\n";
    Add(out, form->GetFont());
    Check(form->GetFont().size >= 1 && form->GetFont().size <= 96);
    Check(form->GetFont().name.size() <= 31);
    for (const auto& c : form->Components()) {
      if (auto* control = dynamic_cast<ui::Control*>(c.get())) {
        out += control->Caption() + "|" + control->Hint() + (control->ShowHint() ? "+" : "") + "\n";
        Add(out, control->GetFont());
      }
      if (auto* items = dynamic_cast<ui::ItemsControl*>(c.get()))
        for (const auto& item : items->Items()) out += item + "\n";
      if (auto* view = dynamic_cast<ui::ListView*>(c.get()))
        for (const auto& column : view->Columns()) out += column.title + "\n";
      if (auto* action = dynamic_cast<ui::Action*>(c.get())) out += action->Caption() + "\n";
      if (auto* item = dynamic_cast<ui::MenuItem*>(c.get())) out += item->Caption() + "\n";
    }
  }
  for (const MessageText& m : MessageTexts()) out += *m.text + "\n";
  return out + WizardConnectTestText + "\n" + WizardReadCheckNoteText + "\n";
}

// The windows are built once: every input is applied twice to them, so what
// an earlier input left behind cannot hide a change the second pass makes.
struct Windows {
  test::FakeToolkit tk;
  test::FakeTrayPeer::Installation tray;
  std::unique_ptr<TfrmMain> main = std::make_unique<TfrmMain>(TMainServices{});
  std::unique_ptr<TfrmComm> comm = std::make_unique<TfrmComm>(std::make_unique<test::FakeCommPort>());
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Windows* windows = new Windows;
  TfrmMain* main = windows->main.get();
  TfrmComm* comm = windows->comm.get();
  OneFile file(std::string(reinterpret_cast<const char*>(data), size));
  ResetSettingsToBuiltIn();
  ResetMessageTexts();
  windows->tk.ClearRecord();
  LanguageForms forms;
  forms.main = main;
  forms.comm = comm;
  SetLanguageForms(forms);

  General.LanguageFile = "Fuzz.rlf";
  LanguageFiles.clear();
  BuildLanguageList();
  Check(LanguageFiles.size() == 1);
  const std::string first = Snapshot({main, comm});
  for (const MessageText& m : MessageTexts()) Check(m.text != nullptr);

  LoadLanguage(0);
  Check(Snapshot({main, comm}) == first);
  LoadLanguage(1);  // out of range: nothing
  LoadLanguage(-1);
  Check(Snapshot({main, comm}) == first);

  SetLanguageForms(LanguageForms{});
  LanguageFiles.clear();
  return 0;
}
