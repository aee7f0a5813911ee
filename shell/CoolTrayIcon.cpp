#include "shell/CoolTrayIcon.h"

#include <algorithm>

#include "ui/Form.h"

namespace km27 {

namespace {

TrayPeerFactory& Factory() {
  static TrayPeerFactory f;
  return f;
}

constexpr size_t kTipMax = 127;
constexpr size_t kBalloonTitleMax = 63;
constexpr size_t kBalloonTextMax = 255;

std::string Cut(const std::string& s, size_t n) { return s.size() > n ? s.substr(0, n) : s; }

}  // namespace

void SetTrayPeerFactory(TrayPeerFactory factory) { Factory() = std::move(factory); }

TCoolTrayIcon::TCoolTrayIcon(ui::Form* owner, std::string name) : owner_(owner), name_(std::move(name)) {
  if (Factory()) peer_ = Factory()(*this);
  clickTimer_.OnTimer = [this](TSimpleTimer&) { ClickTimerExpired(); };
  cycleTimer_.OnTimer = [this](TSimpleTimer&) { CycleTick(); };
  exitTimer_.OnTimer = [this](TSimpleTimer&) { ExitTick(); };
}

TCoolTrayIcon::~TCoolTrayIcon() {
  if (iconVisible_ && peer_) peer_->DeleteIcon();
}

// ---- Icon, tip, visibility ----

void TCoolTrayIcon::SetIconList(const std::vector<int>& ids) {
  iconList_ = ids;
  SetIconIndex(iconIndex_);
}

void TCoolTrayIcon::SetIconIndex(int i) {
  if (iconList_.empty()) {
    iconIndex_ = 0;
  } else {
    iconIndex_ = std::clamp(i, 0, static_cast<int>(iconList_.size()) - 1);
    icon_ = iconList_[static_cast<size_t>(iconIndex_)];
  }
  Refresh();
}

int TCoolTrayIcon::Icon() const { return icon_; }

void TCoolTrayIcon::SetIcon(int id) {
  icon_ = id;
  Refresh();
}

void TCoolTrayIcon::SetHint(const std::string& hint) {
  hint_ = Cut(hint, kTipMax);
  Refresh();
}

void TCoolTrayIcon::SetShowHint(bool v) {
  showHint_ = v;
  Refresh();
}

void TCoolTrayIcon::SetIconVisible(bool v) {
  if (v == iconVisible_) return;
  iconVisible_ = v;
  data_ = MakeData();
  if (!peer_) return;
  if (v)
    peer_->AddIcon(data_);
  else
    peer_->DeleteIcon();
}

TrayIconData TCoolTrayIcon::MakeData() const {
  TrayIconData d;
  d.icon = icon_;
  if (showHint_) d.tip = hint_;
  return d;
}

void TCoolTrayIcon::Refresh() {
  data_ = MakeData();
  if (iconVisible_ && peer_) peer_->ModifyIcon(data_);
}

void TCoolTrayIcon::TaskbarCreated() {
  if (!iconVisible_) return;
  data_ = MakeData();
  if (peer_) peer_->AddIcon(data_);
}

// ---- Balloons ----

bool TCoolTrayIcon::ShowBalloonHint(const std::string& title, const std::string& text, int iconType,
                                    int timeoutSecs) {
  HideBalloonHint();
  TrayIconData d = MakeData();
  d.balloon = true;
  d.balloonTitle = Cut(title, kBalloonTitleMax);
  d.balloonText = Cut(text, kBalloonTextMax);
  d.balloonTimeoutMs = timeoutSecs > 0 ? static_cast<uint32_t>(timeoutSecs) * 1000u : 0u;
  d.balloonIcon = std::clamp(iconType, 0, 3);
  data_ = d;
  return iconVisible_ && peer_ && peer_->ModifyIcon(d);
}

bool TCoolTrayIcon::HideBalloonHint() {
  TrayIconData d = MakeData();
  d.balloon = true;
  data_ = d;
  return iconVisible_ && peer_ && peer_->ModifyIcon(d);
}

// ---- The owning form ----

void TCoolTrayIcon::HideMainForm() {
  if (owner_) owner_->Hide();
  if (peer_) peer_->HideApplication();
}

void TCoolTrayIcon::RestoreMainForm() {
  if (peer_) peer_->RestoreApplication();
  if (!owner_) return;
  if (owner_->Minimized()) owner_->Restore();
  owner_->Show();
  owner_->BringToFront();
}

void TCoolTrayIcon::Loaded() {
  if (peer_) peer_->SetVersion(BehaviourVersion());
  bool show = true;
  if (OnStartup) OnStartup(*this, show);
  if (!show) HideMainForm();
}

bool TCoolTrayIcon::OwnerMinimized() {
  if (!MinimizeToTray) return false;
  if (OnMinimizeToTray) OnMinimizeToTray(*this);
  HideMainForm();
  return true;
}

// ---- Mouse ----

ShiftState TCoolTrayIcon::LiveShift(ShiftState buttons) const {
  ShiftState keys = peer_ ? peer_->ModifierKeys() : 0;
  return (keys & (ss::Shift | ss::Ctrl | ss::Alt)) | buttons;
}

TrayPoint TCoolTrayIcon::Cursor() const { return peer_ ? peer_->CursorPos() : TrayPoint{}; }

void TCoolTrayIcon::Popup() {
  if (!PopupMenu || !PopupMenu->AutoPopup) return;
  TrayPoint p = Cursor();
  if (peer_) peer_->PopupMenu(*PopupMenu, p.x, p.y);
}

void TCoolTrayIcon::RunDefaultItem() {
  if (!PopupMenu) return;
  for (ui::MenuItem* item : PopupMenu->Items()) {
    if (item->Default) {
      if (item->Enabled()) item->Click();
      return;
    }
  }
}

void TCoolTrayIcon::ClickTimerExpired() {
  if (!clickPending_) return;
  clickPending_ = false;
  if (OnClick) OnClick(*this);
}

void TCoolTrayIcon::HandleNotification(uint32_t code) {
  if (!Enabled) return;
  TrayPoint p;
  switch (static_cast<TrayNotification>(code)) {
    case TrayNotification::MouseMove:
      p = Cursor();
      if (WantEnterExitEvents && !mouseInside_) {
        mouseInside_ = true;
        if (OnMouseEnter) OnMouseEnter(*this);
        exitTimer_.SetEnabled(true);
      }
      lastPos_ = p;
      if (OnMouseMove) OnMouseMove(*this, LiveShift(0), p.x, p.y);
      break;

    case TrayNotification::LeftDown:
      p = Cursor();
      if (OnDblClick) {
        clickTimer_.SetInterval(peer_ ? peer_->DoubleClickTime() : 500);
        clickTimer_.Restart();
      }
      if (OnMouseDown) OnMouseDown(*this, MouseButton::Left, LiveShift(ss::Left), p.x, p.y);
      leftDown_ = true;
      if (LeftPopup) Popup();
      break;

    case TrayNotification::LeftUp:
      p = Cursor();
      if (leftDown_) {
        leftDown_ = false;
        if (!clickTimer_.Enabled()) {
          if (OnClick) OnClick(*this);
        } else {
          clickPending_ = true;
        }
      }
      if (OnMouseUp) OnMouseUp(*this, MouseButton::Left, LiveShift(ss::Left), p.x, p.y);
      break;

    case TrayNotification::LeftDblClick:
      clickPending_ = false;
      clickTimer_.SetEnabled(false);
      if (OnDblClick) OnDblClick(*this);
      if (!LeftPopup) RunDefaultItem();
      break;

    case TrayNotification::RightDown:
      p = Cursor();
      if (OnMouseDown) OnMouseDown(*this, MouseButton::Right, LiveShift(ss::Right), p.x, p.y);
      Popup();
      break;

    case TrayNotification::RightUp:
      if (BehaviourVersion() == 0) {
        p = Cursor();
        if (OnMouseUp) OnMouseUp(*this, MouseButton::Right, LiveShift(ss::Right), p.x, p.y);
      }
      break;

    case TrayNotification::MiddleDown:
      p = Cursor();
      if (OnMouseDown) OnMouseDown(*this, MouseButton::Middle, LiveShift(ss::Middle), p.x, p.y);
      break;

    case TrayNotification::MiddleUp:
      p = Cursor();
      if (OnMouseUp) OnMouseUp(*this, MouseButton::Middle, LiveShift(ss::Middle), p.x, p.y);
      break;

    case TrayNotification::ContextMenu:
    case TrayNotification::Select:
    case TrayNotification::KeySelect:
      if (BehaviourVersion() == 3) {
        p = Cursor();
        if (OnMouseUp) OnMouseUp(*this, MouseButton::Right, LiveShift(ss::Right), p.x, p.y);
      }
      break;

    case TrayNotification::BalloonShow:
      if (OnBalloonHintShow) OnBalloonHintShow(*this);
      break;
    case TrayNotification::BalloonHide:
      if (OnBalloonHintHide) OnBalloonHintHide(*this);
      break;
    case TrayNotification::BalloonTimeout:
      if (OnBalloonHintTimeout) OnBalloonHintTimeout(*this);
      break;
    case TrayNotification::BalloonClick:
      if (OnBalloonHintClick) OnBalloonHintClick(*this);
      break;

    default:
      break;
  }
}

void TCoolTrayIcon::ExitTick() {
  if (!WantEnterExitEvents || !mouseInside_) {
    exitTimer_.SetEnabled(false);
    mouseInside_ = false;
    return;
  }
  if (Cursor() != lastPos_) {
    mouseInside_ = false;
    exitTimer_.SetEnabled(false);
    if (OnMouseExit) OnMouseExit(*this);
  }
}

// ---- Icon cycling ----

void TCoolTrayIcon::SetCycleIcons(bool v) {
  cycleIcons_ = v;
  SyncCycleTimer();
}

void TCoolTrayIcon::SetCycleInterval(uint32_t ms) {
  cycleInterval_ = ms;
  SyncCycleTimer();
}

void TCoolTrayIcon::SyncCycleTimer() {
  cycleTimer_.SetInterval(cycleInterval_);
  cycleTimer_.SetEnabled(cycleIcons_ && cycleInterval_ > 0 && !iconList_.empty());
}

void TCoolTrayIcon::CycleTick() {
  if (iconList_.empty()) return;
  int next = (iconIndex_ + 1) % static_cast<int>(iconList_.size());
  if (OnCycle) OnCycle(*this, next);
  SetIconIndex(next);
}

}  // namespace km27
