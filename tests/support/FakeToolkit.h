#pragma once
// The toolkit of native tests: a recording stand-in for the Win32 renderer.
//
//  - Virtual clock: TickCount() is virtual time. Advance(ms) moves it and fires
//    every timer (and scheduled user action) that falls due, in due order;
//    repeating timers are re-armed from the moment they fired. ProcessMessages()
//    advances the clock by 1 ms, runs queued SendSync work and posted actions
//    and fires what is due, so "until clock >= deadline: ProcessMessages()"
//    loops end deterministically and timers fire inside handlers that pump.
//    A timer never fires again while its own OnTimer is still running.
//  - Recorder: every property change of every form (form name, component name,
//    property), every show / hide, focus change and popup.
//  - Message boxes: each one is logged; answers come from a script (a queue,
//    where MsgResult::None plays a box that gave no button: failed, or ended by
//    the system); without one an OK box answers OK and the others their first
//    button. The log holds what the box gave, before the toolkit's rule. A box
//    is modal but the program around it lives on (timers, the tray menu):
//    WhileNextBoxUp runs a script while the next box is up.
//  - Modal loops: RunModal calls the action scripted for that form
//    (OnModal("frmWizard", fn)) and then pumps until the form hides, or until
//    ModalLimitMs of virtual time have passed (then it hides the form itself
//    and counts a modal time-out).
//  - Beep counter, Terminate flag, application title.
//  - Screen resolution (dpi, 96 unless a test sets another): what the
//    renderer would scale the designed layouts to (ui/FormLayout.h).
//  - SendSync may be called from any thread: the work is queued and the caller
//    blocks until the user-interface thread ran it in ProcessMessages (or in
//    Advance). Called on the user-interface thread it runs at once.
//
// Creating a FakeToolkit installs it (ui::SetApp); destroying it restores the
// toolkit that was installed before.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ui/Application.h"
#include "ui/Form.h"

namespace km27::test {

struct PropChange {
  std::string form;       // name of the owning form
  std::string component;  // name of the component (the form's own name for the form)
  ui::Prop prop;
};

struct MessageBoxCall {
  std::string text, caption;
  ui::MsgIcon icon;
  ui::MsgButtons buttons;
  ui::MsgResult answer;
};

// What the recorder saw besides property changes.
struct PeerEvent {
  enum class Type { Show, Hide, BringToFront, Focus, Popup, Minimize, Restore } type;
  std::string form;
  std::string component;  // focused control or popped-up menu
};

class FakeToolkit : public ui::IApplication {
 public:
  FakeToolkit();
  ~FakeToolkit() override;
  FakeToolkit(const FakeToolkit&) = delete;
  FakeToolkit& operator=(const FakeToolkit&) = delete;

  // ---- IApplication ----
  void ProcessMessages() override;
  uint32_t TickCount() override;
  void TimerChanged(ui::Timer& timer) override;
  void TimerDestroyed(ui::Timer& timer) override;
  ui::IFormPeer* CreatePeer(ui::Form& form) override;
  void RunModal(ui::Form& form) override;
  void Beep() override;
  void SetTitle(const std::string& title) override;
  void Terminate() override;
  bool Terminated() const override { return terminated; }
  void SendSync(std::function<void()> fn) override;
  int ScreenDpi() override { return dpi; }

  // ---- screen ----
  int dpi = 96;

  // ---- clock ----
  // Moves virtual time forward by ms, firing what falls due on the way.
  virtual void Advance(uint32_t ms);
  // Virtual time as a 64-bit count (TickCount is its low 32 bits).
  uint64_t Now() const { return Clock(); }
  // Sets the clock (only before anything is scheduled), e.g. just below the
  // 32-bit wrap.
  void SetNow(uint64_t t) { now_ = t; }
  // The due time of a running timer; -1 when it is not armed.
  int64_t DueTime(const ui::Timer& timer) const;

  // ---- scripted user actions ----
  // Runs fn when the clock reaches Now() + delayMs (inside Advance or ProcessMessages).
  void At(uint32_t delayMs, std::function<void()> fn);
  // Runs fn in the next ProcessMessages (or Advance), like a posted message.
  void Post(std::function<void()> fn);

  // ---- message boxes ----
  void QueueAnswer(ui::MsgResult answer) { answers_.push_back(answer); }
  // Runs while the next box is up (logged already, not answered yet): it may
  // advance the clock, fire timers and click menu entries. Queued in order.
  void WhileNextBoxUp(std::function<void()> script) { boxScripts_.push_back(std::move(script)); }
  int BoxesUp() const { return boxesUp_; }
  std::vector<MessageBoxCall> boxes;

  // ---- modal loops ----
  // The action run when that form (name compared without regard to case) is
  // shown modally; it runs while the form is showing, e.g. clicks its buttons.
  void OnModal(const std::string& formName, std::function<void(ui::Form&)> action);
  uint32_t ModalLimitMs = 600000;
  int modalTimeouts = 0;
  std::vector<std::string> modalForms;  // every form shown modally, in order

  // ---- recorder ----
  std::vector<PropChange> changes;
  std::vector<PeerEvent> events;
  size_t CountChanges(const std::string& form, const std::string& component, ui::Prop prop) const;
  bool Changed(const std::string& form, const std::string& component, ui::Prop prop) const {
    return CountChanges(form, component, prop) > 0;
  }
  void ClearRecord() {
    changes.clear();
    events.clear();
  }
  // A live form by name (one that has a peer), nullptr when there is none.
  ui::Form* FindForm(const std::string& name) const;

  // ---- other services ----
  int beeps = 0;
  bool terminated = false;
  std::string title;
  size_t PendingSync();  // SendSync work waiting for the user-interface thread

  // ---- user actions on named components (throw std::invalid_argument for
  //      an unknown name or a component of the wrong kind) ----
  static ui::Component& Get(ui::Form& form, const std::string& name);
  static void Click(ui::Form& form, const std::string& name);  // button, check box, menu item, action
  // Keystrokes typed in one burst (they pass the key notation filter together).
  static void Type(ui::Form& form, const std::string& name, const std::string& text);
  // The user selects characters of an edit (start from 0) / moves the mouse over it.
  static void SelectText(ui::Form& form, const std::string& name, int start, int length);
  static void MouseMove(ui::Form& form, const std::string& name, int x = 0, int y = 0, int shift = 0);
  // The user clicks a list view's row (-1: below the rows).
  static void ClickRow(ui::Form& form, const std::string& name, int row);
  static void KeyUp(ui::Form& form, const std::string& name, uint16_t key, int shift = 0);
  static void KeyDown(ui::Form& form, const std::string& name, uint16_t key, int shift = 0);
  static void EnterText(ui::Form& form, const std::string& name, const std::string& text);  // user edit
  // Radio group, combo box, list box, tab control, list view row; for a page
  // control the index counts the visible pages.
  static void Select(ui::Form& form, const std::string& name, int index);
  static void Check(ui::Form& form, const std::string& name, bool checked);  // check box
  static void CheckRow(ui::Form& form, const std::string& name, size_t row, bool checked);
  static void SetPosition(ui::Form& form, const std::string& name, int position);  // up-down

 protected:
  ui::MsgResult ShowMessageBox(const std::string& text, const std::string& caption, ui::MsgIcon icon,
                               ui::MsgButtons buttons) override;
  // Fires due timers and scheduled actions up to `target`.
  void RunDue(uint64_t target);
  // The clock has reached t (virtual: moves now_; real time: nothing to do).
  virtual void ReachTime(uint64_t t);
  // The current time in ms.
  virtual uint64_t Clock() const { return now_; }
  // Runs queued SendSync work and posted actions; returns whether any ran.
  bool RunQueued();
  bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }
  // Whether SendSync work or posted actions wait (syncMutex_ held).
  bool PendingSyncLocked() const { return !sync_.empty() || !posted_.empty(); }

  uint64_t now_ = 0;
  std::thread::id uiThread_;
  std::mutex syncMutex_;
  std::condition_variable syncCv_;  // signalled when work is queued or done

 private:
  class Peer;
  struct Armed {
    uint64_t due;
    uint64_t seq;
  };
  struct SyncItem {
    std::function<void()> fn;
    bool done = false;
  };
  std::map<ui::Timer*, Armed> timers_;
  std::set<ui::Timer*> firing_;
  std::multimap<std::pair<uint64_t, uint64_t>, std::function<void()>> scheduled_;
  std::deque<std::function<void()>> posted_;
  std::deque<SyncItem*> sync_;
  uint64_t seq_ = 0;
  std::deque<ui::MsgResult> answers_;
  std::deque<std::function<void()>> boxScripts_;
  int boxesUp_ = 0;
  std::vector<std::pair<std::string, std::function<void(ui::Form&)>>> modalActions_;
  std::set<Peer*> peers_;
  ui::IApplication* previous_;
};

}  // namespace km27::test
