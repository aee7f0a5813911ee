#pragma once
// What every page of the options dialog shares: the editable settings the
// dialog writes on OK and compares on closing, the operations of other windows
// it calls, and the hooks by which the frame drives a page.
#include <cstdint>
#include <functional>
#include <string>

#include "common/ByteString.h"
#include "settings/Define.h"
#include "ui/Form.h"

namespace km27 {

class IReadDataHost;

// The settings the dialog edits, as the controls hold them. OK writes them
// into the settings records; closing without OK fills a copy and compares it
// with the records (the "Save data?" question).
struct TOptionSettings {
  std::string LanguageFile;
  bool AutoStart = false;
  int32_t Port = 0;
  TTargetWindow TargetWindow;
  TKeyFormat KeyData;

  static TOptionSettings FromCurrent();  // from the settings records
  void ApplyToCurrent() const;           // into the settings records
};

// Whether the values the close question looks at differ: start mode, port,
// the key data with its blocks, and the target window only when `withTarget`
// (its page is the one shown).
bool OptionSettingsDiffer(const TOptionSettings& a, const TOptionSettings& b, bool withTarget);

// The operations of the device link, the main window, the settings file and
// the language files that the dialog calls. The program uses
// DefaultOptionLinks() (the process's communication and main windows); tests
// replace single entries. An empty entry does nothing (and answers false, 0
// or the empty text).
struct TOptionLinks {
  // device link
  std::function<void()> ClosePort;
  std::function<bool(bool showError)> OpenPort;
  std::function<void(const std::string& command)> SendCommand;
  std::function<ByteString(int32_t timeoutMs)> WaitResponse;
  std::function<void(bool held)> HoldExchange;
  // main window
  std::function<void()> ApplyReleaseMode;
  std::function<bool()> CheckFirmware;
  std::function<int()> CheckPowerOnSetting;
  std::function<void()> ShowSetupValues;
  std::function<void()> ShowMonitor;
  std::function<void()> ShowWizard;  // modally
  // settings and languages
  std::function<void()> SaveSetupFile;
  std::function<void(int index)> LoadLanguage;
  // the key code and read data dialogs, shown modally; true when closed
  // with OK (`text` is then the composed text, `host` has the new range)
  std::function<bool(std::string& text)> EditKeyCode;
  std::function<bool(IReadDataHost& host)> SelectReadData;
};
TOptionLinks DefaultOptionLinks();

// One page of the options dialog. Its controls are components of the dialog
// (names are the language file's keys) placed on the page's sheet. The frame
// calls the hooks below; a page overrides what it needs.
class TOptionPage {
 public:
  explicit TOptionPage(ui::TabSheet& sheet) : sheet_(sheet) {}
  virtual ~TOptionPage() = default;
  TOptionPage(const TOptionPage&) = delete;
  TOptionPage& operator=(const TOptionPage&) = delete;

  ui::TabSheet& Sheet() const { return sheet_; }

  // Every show, first step: the page's first sub-page is the one shown.
  virtual void ShowFirstSubPage() {}
  // Every show, in page order after the release mode: settings into controls.
  virtual void Load() {}
  // OK and the close question: the controls into `into`.
  virtual void Store(TOptionSettings& into) { (void)into; }
  // OK and closing: an edit not taken over yet may be kept; false when the
  // user cancels (the dialog then stays open).
  virtual bool KeepPendingEdit() { return true; }
  // After every page change: `shown` tells whether this page is the one shown.
  virtual void PageChanged(bool shown) { (void)shown; }
  // The release mode and the single-track layout were applied (the last
  // steps of the main window's ApplyReleaseMode).
  virtual void ApplyLayout() {}
  // The dialog closed.
  virtual void Closed() {}

 private:
  ui::TabSheet& sheet_;
};

// Client size of a page's sheet: the room a page's controls have.
constexpr int kOptionPageWidth = 592;
constexpr int kOptionPageHeight = 376;

}  // namespace km27
