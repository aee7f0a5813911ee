#include "tests/support/FakeToolkit.h"

#include <iterator>
#include <utility>

#include "common/TextHelpers.h"

namespace km27::test {

using namespace km27::ui;

// The recorder standing in for a real window.
class FakeToolkit::Peer : public IFormPeer {
 public:
  Peer(FakeToolkit* tk, Form& form) : tk_(tk), form_(form) { tk_->peers_.insert(this); }
  ~Peer() override {
    if (tk_) tk_->peers_.erase(this);
  }
  void Detach() { tk_ = nullptr; }
  Form& GetForm() const { return form_; }

  void Changed(Component& c, Prop p) override {
    if (tk_) tk_->changes.push_back({form_.Name(), c.Name(), p});
  }
  void ShowChanged(bool showing) override {
    Event(showing ? PeerEvent::Type::Show : PeerEvent::Type::Hide, "");
  }
  void BringToFront() override { Event(PeerEvent::Type::BringToFront, ""); }
  void SetFocus(Control& c) override { Event(PeerEvent::Type::Focus, c.Name()); }
  void Popup(PopupMenu& m, int, int) override { Event(PeerEvent::Type::Popup, m.Name()); }
  void Minimize() override { Event(PeerEvent::Type::Minimize, ""); }
  void Restore() override { Event(PeerEvent::Type::Restore, ""); }

 private:
  void Event(PeerEvent::Type t, const std::string& component) {
    if (tk_) tk_->events.push_back({t, form_.Name(), component});
  }
  FakeToolkit* tk_;
  Form& form_;
};

FakeToolkit::FakeToolkit() : uiThread_(std::this_thread::get_id()), previous_(AppOrNull()) { SetApp(this); }

FakeToolkit::~FakeToolkit() {
  // Work still queued by other threads runs now so that no caller stays blocked.
  RunQueued();
  for (Peer* p : peers_) p->Detach();
  if (AppOrNull() == this) SetApp(previous_);
}

// ---- IApplication ----

MsgResult FakeToolkit::ShowMessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                      MsgButtons buttons) {
  const size_t index = boxes.size();
  boxes.push_back({text, caption, icon, buttons, MsgResult::OK});
  if (!boxScripts_.empty()) {
    // Taken before it runs: a box the script brings up gets the next one.
    std::function<void()> script = std::move(boxScripts_.front());
    boxScripts_.pop_front();
    ++boxesUp_;
    struct Down {
      int& n;
      ~Down() { --n; }
    } down{boxesUp_};
    script();
  }
  MsgResult answer;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  } else {
    answer = buttons == MsgButtons::YesNoCancel ? MsgResult::Yes : MsgResult::OK;
  }
  boxes[index].answer = answer;
  return answer;
}

void FakeToolkit::ProcessMessages() {
  ReachTime(now_ + 1);
  RunQueued();
  RunDue(now_);
}

uint32_t FakeToolkit::TickCount() { return static_cast<uint32_t>(Clock()); }

void FakeToolkit::TimerChanged(Timer& timer) {
  if (timer.Running()) {
    timers_[&timer] = Armed{Clock() + timer.Interval(), ++seq_};
  } else {
    timers_.erase(&timer);
  }
}

void FakeToolkit::TimerDestroyed(Timer& timer) {
  timers_.erase(&timer);
  firing_.erase(&timer);
}

IFormPeer* FakeToolkit::CreatePeer(Form& form) { return new Peer(this, form); }

void FakeToolkit::RunModal(Form& form) {
  modalForms.push_back(form.Name());
  for (auto& [name, action] : modalActions_) {
    if (SameText(name, form.Name())) {
      auto fn = action;  // the action may script other forms
      if (fn) fn(form);
      break;
    }
  }
  uint64_t deadline = Clock() + ModalLimitMs;
  while (form.Showing()) {
    if (Clock() >= deadline) {
      ++modalTimeouts;
      form.Hide();
      break;
    }
    ProcessMessages();
  }
}

void FakeToolkit::Beep() { ++beeps; }
void FakeToolkit::SetTitle(const std::string& t) { title = t; }
void FakeToolkit::Terminate() { terminated = true; }

void FakeToolkit::SendSync(std::function<void()> fn) {
  if (OnUiThread()) {
    fn();
    return;
  }
  SyncItem item{std::move(fn)};
  std::unique_lock<std::mutex> lock(syncMutex_);
  sync_.push_back(&item);
  syncCv_.notify_all();
  syncCv_.wait(lock, [&] { return item.done; });
}

// ---- clock and dispatch ----

void FakeToolkit::Advance(uint32_t ms) {
  uint64_t target = now_ + ms;
  RunQueued();
  RunDue(target);
  ReachTime(target);
}

void FakeToolkit::ReachTime(uint64_t t) {
  if (t > now_) now_ = t;
}

int64_t FakeToolkit::DueTime(const Timer& timer) const {
  auto it = timers_.find(const_cast<Timer*>(&timer));
  return it == timers_.end() ? -1 : static_cast<int64_t>(it->second.due);
}

void FakeToolkit::At(uint32_t delayMs, std::function<void()> fn) {
  scheduled_.emplace(std::make_pair(Clock() + delayMs, ++seq_), std::move(fn));
}

void FakeToolkit::Post(std::function<void()> fn) {
  std::lock_guard<std::mutex> lock(syncMutex_);
  posted_.push_back(std::move(fn));
}

void FakeToolkit::RunDue(uint64_t target) {
  for (;;) {
    Timer* timer = nullptr;
    std::pair<uint64_t, uint64_t> best{UINT64_MAX, UINT64_MAX};
    for (auto& [t, armed] : timers_) {
      if (firing_.count(t)) continue;
      std::pair<uint64_t, uint64_t> key{armed.due, armed.seq};
      if (key < best) {
        best = key;
        timer = t;
      }
    }
    bool action = !scheduled_.empty() && scheduled_.begin()->first < best;
    if (action) best = scheduled_.begin()->first;
    if (best.first == UINT64_MAX || best.first > target) return;
    ReachTime(best.first);
    if (action) {
      auto fn = std::move(scheduled_.begin()->second);
      scheduled_.erase(scheduled_.begin());
      fn();
      continue;
    }
    // Re-armed from the moment it fires, as a repeating system timer is.
    timers_[timer] = Armed{Clock() + timer->Interval(), ++seq_};
    firing_.insert(timer);
    timer->Fire();
    firing_.erase(timer);
  }
}

bool FakeToolkit::RunQueued() {
  {
    // Most pumps find nothing queued: no queues to build then (fuzzing and
    // long waits pump every virtual millisecond).
    std::lock_guard<std::mutex> lock(syncMutex_);
    if (posted_.empty() && sync_.empty()) return false;
  }
  std::deque<std::function<void()>> posted;
  std::deque<SyncItem*> sync;
  {
    std::lock_guard<std::mutex> lock(syncMutex_);
    posted.swap(posted_);
    sync.swap(sync_);
  }
  bool any = !posted.empty() || !sync.empty();
  // What a piece of work raises goes to the caller of the pump; the work
  // behind it stays queued for the next pump (its SendSync callers still wait).
  auto requeue = [&](size_t postedFrom, size_t syncFrom) {
    posted_.insert(posted_.begin(), std::make_move_iterator(posted.begin() + static_cast<long>(postedFrom)),
                   std::make_move_iterator(posted.end()));
    sync_.insert(sync_.begin(), sync.begin() + static_cast<long>(syncFrom), sync.end());
  };
  for (size_t k = 0; k < posted.size(); ++k) {
    try {
      posted[k]();
    } catch (...) {
      std::lock_guard<std::mutex> lock(syncMutex_);
      requeue(k + 1, 0);
      throw;
    }
  }
  for (size_t k = 0; k < sync.size(); ++k) {
    SyncItem* item = sync[k];
    try {
      item->fn();
    } catch (...) {
      std::lock_guard<std::mutex> lock(syncMutex_);
      item->done = true;
      requeue(posted.size(), k + 1);
      syncCv_.notify_all();
      throw;
    }
    std::lock_guard<std::mutex> lock(syncMutex_);
    item->done = true;
    syncCv_.notify_all();
  }
  return any;
}

size_t FakeToolkit::PendingSync() {
  std::lock_guard<std::mutex> lock(syncMutex_);
  return sync_.size();
}

// ---- scripting ----

void FakeToolkit::OnModal(const std::string& formName, std::function<void(Form&)> action) {
  for (auto& [name, fn] : modalActions_) {
    if (SameText(name, formName)) {
      fn = std::move(action);
      return;
    }
  }
  modalActions_.emplace_back(formName, std::move(action));
}

size_t FakeToolkit::CountChanges(const std::string& form, const std::string& component, Prop prop) const {
  size_t n = 0;
  for (const auto& c : changes)
    if (c.prop == prop && SameText(c.form, form) && SameText(c.component, component)) ++n;
  return n;
}

Form* FakeToolkit::FindForm(const std::string& name) const {
  for (Peer* p : peers_)
    if (SameText(p->GetForm().Name(), name)) return &p->GetForm();
  return nullptr;
}

// ---- user actions ----

namespace {

[[noreturn]] void WrongKind(Form& form, const std::string& name, const char* what) {
  throw std::invalid_argument(form.Name() + "." + name + " is not " + what);
}

}  // namespace

Component& FakeToolkit::Get(Form& form, const std::string& name) {
  if (Component* c = form.FindComponent(name)) return *c;
  if (SameText(form.Name(), name)) return form;
  throw std::invalid_argument("no component " + name + " on " + form.Name());
}

void FakeToolkit::Click(Form& form, const std::string& name) {
  Component& c = Get(form, name);
  if (auto* ctl = dynamic_cast<Control*>(&c)) {
    ctl->Click();
  } else if (auto* mi = dynamic_cast<MenuItem*>(&c)) {
    mi->Click();
  } else if (auto* act = dynamic_cast<Action*>(&c)) {
    act->Execute();
  } else {
    WrongKind(form, name, "clickable");
  }
}

void FakeToolkit::Type(Form& form, const std::string& name, const std::string& text) {
  auto* e = dynamic_cast<Edit*>(&Get(form, name));
  if (!e) WrongKind(form, name, "an edit");
  e->TypeChars(text);
}

void FakeToolkit::SelectText(Form& form, const std::string& name, int start, int length) {
  auto* e = dynamic_cast<Edit*>(&Get(form, name));
  if (!e) WrongKind(form, name, "an edit");
  e->UserSetSelection(start, length);
}

void FakeToolkit::MouseMove(Form& form, const std::string& name, int x, int y, int shift) {
  auto* e = dynamic_cast<Edit*>(&Get(form, name));
  if (!e) WrongKind(form, name, "an edit");
  if (e->OnMouseMove) e->OnMouseMove(shift, x, y);
}

void FakeToolkit::ClickRow(Form& form, const std::string& name, int row) {
  auto* lv = dynamic_cast<ListView*>(&Get(form, name));
  if (!lv) WrongKind(form, name, "a list view");
  lv->UserClick(row);
}

void FakeToolkit::KeyUp(Form& form, const std::string& name, uint16_t key, int shift) {
  auto* e = dynamic_cast<Edit*>(&Get(form, name));
  if (!e) WrongKind(form, name, "an edit");
  if (e->OnKeyUp) e->OnKeyUp(key, shift);
}

void FakeToolkit::KeyDown(Form& form, const std::string& name, uint16_t key, int shift) {
  auto* e = dynamic_cast<Edit*>(&Get(form, name));
  if (!e) WrongKind(form, name, "an edit");
  if (e->OnKeyDown) e->OnKeyDown(key, shift);
}

void FakeToolkit::EnterText(Form& form, const std::string& name, const std::string& text) {
  Component& c = Get(form, name);
  if (auto* cb = dynamic_cast<ComboBox*>(&c)) {
    cb->UserSetText(text);
  } else if (auto* e = dynamic_cast<Edit*>(&c)) {
    e->UserSetText(text);
  } else {
    WrongKind(form, name, "an edit or combo box");
  }
}

void FakeToolkit::Select(Form& form, const std::string& name, int index) {
  Component& c = Get(form, name);
  if (auto* ic = dynamic_cast<ItemsControl*>(&c)) {
    ic->UserSelect(index);
  } else if (auto* lv = dynamic_cast<ListView*>(&c)) {
    lv->UserSelect(index);
  } else if (auto* pc = dynamic_cast<PageControl*>(&c)) {
    std::vector<TabSheet*> visible;
    for (TabSheet* p : pc->Pages())
      if (p->TabVisible()) visible.push_back(p);
    if (index < 0 || index >= static_cast<int>(visible.size()))
      throw std::invalid_argument(form.Name() + "." + name + " has no visible page " + std::to_string(index));
    pc->UserSelect(visible[static_cast<size_t>(index)]);
  } else {
    WrongKind(form, name, "a list");
  }
}

void FakeToolkit::Check(Form& form, const std::string& name, bool checked) {
  auto* cb = dynamic_cast<CheckBox*>(&Get(form, name));
  if (!cb) WrongKind(form, name, "a check box");
  if (cb->Checked() != checked) cb->Click();
}

void FakeToolkit::CheckRow(Form& form, const std::string& name, size_t row, bool checked) {
  auto* lv = dynamic_cast<ListView*>(&Get(form, name));
  if (!lv) WrongKind(form, name, "a list view");
  lv->UserCheck(row, checked);
}

void FakeToolkit::SetPosition(Form& form, const std::string& name, int position) {
  auto* ud = dynamic_cast<UpDown*>(&Get(form, name));
  if (!ud) WrongKind(form, name, "an up-down");
  ud->UserSetPosition(position);
}

}  // namespace km27::test
