#pragma once
// The program's icon in the notification area. A non-visual component owned by
// a form (the main window): shows an icon with a tip text, reports mouse
// actions on it, opens the form's popup menu at the cursor, shows balloons,
// hides and restores the form, and puts the icon back when the taskbar is
// recreated. The shell itself is reached through ITrayPeer (Win32:
// Shell_NotifyIconA; tests: tests/support/FakeTrayPeer.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/SimpleTimer.h"

namespace km27::ui {
class Form;
class PopupMenu;
}  // namespace km27::ui

namespace km27 {

// Callback message of the notification icon.
constexpr uint32_t WM_TRAYNOTIFY = 0x0800;

// What the shell reports through the callback message (its lParam).
enum class TrayNotification : uint32_t {
  MouseMove = 0x0200,
  LeftDown = 0x0201,
  LeftUp = 0x0202,
  LeftDblClick = 0x0203,
  RightDown = 0x0204,
  RightUp = 0x0205,
  RightDblClick = 0x0206,
  MiddleDown = 0x0207,
  MiddleUp = 0x0208,
  MiddleDblClick = 0x0209,
  ContextMenu = 0x007B,
  Select = 0x0400,
  KeySelect = 0x0401,
  BalloonShow = 0x0402,
  BalloonHide = 0x0403,
  BalloonTimeout = 0x0404,
  BalloonClick = 0x0405,
};

enum class MouseButton { Left, Right, Middle };

// Modifier keys and mouse buttons held, as a bit set.
using ShiftState = uint32_t;
namespace ss {
constexpr ShiftState Shift = 0x01;
constexpr ShiftState Alt = 0x02;
constexpr ShiftState Ctrl = 0x04;
constexpr ShiftState Left = 0x08;
constexpr ShiftState Right = 0x10;
constexpr ShiftState Middle = 0x20;
constexpr ShiftState Double = 0x40;
}  // namespace ss

// Balloon icon types.
enum class BalloonIcon { None = 0, Info = 1, Warning = 2, Error = 3 };

struct TrayPoint {
  int x = 0, y = 0;
  bool operator==(const TrayPoint&) const = default;
};

// What the shell shows for the icon: the notification record in portable form.
struct TrayIconData {
  int icon = 0;                 // icon id from the icon list (resource id on Win32)
  std::string tip;              // empty: no tip; at most 127 characters
  bool balloon = false;         // the balloon fields are being set
  std::string balloonTitle;     // at most 63 characters
  std::string balloonText;      // at most 255 characters; empty hides the balloon
  uint32_t balloonTimeoutMs = 0;
  int balloonIcon = 0;          // BalloonIcon as number
};

class TCoolTrayIcon;

// The notification area and the few window services the tray icon needs.
class ITrayPeer {
 public:
  virtual ~ITrayPeer() = default;
  virtual bool AddIcon(const TrayIconData& d) = 0;
  virtual bool ModifyIcon(const TrayIconData& d) = 0;
  virtual bool DeleteIcon() = 0;
  virtual void SetVersion(int version) = 0;  // shell notification behaviour version
  // Live state of the Shift, Ctrl and Alt keys (ss::Shift | ss::Ctrl | ss::Alt).
  virtual ShiftState ModifierKeys() = 0;
  virtual TrayPoint CursorPos() = 0;
  virtual uint32_t DoubleClickTime() = 0;
  // Opens the menu at the cursor position; brings the tray's window to the
  // front first and posts a null message afterwards, so that the menu closes
  // when the user clicks elsewhere.
  virtual void PopupMenu(ui::PopupMenu& menu, int x, int y) = 0;
  // The application's own taskbar window (none when every form has its own
  // button): hidden with the main form, brought forward when it is restored.
  virtual void HideApplication() = 0;
  virtual void RestoreApplication() = 0;
  // Whether the program hears the clicks on the icon with the keys held. A
  // shell that opens the menu by itself (a StatusNotifier host) does not, so
  // no gesture of the program's can reach a hidden menu entry there.
  virtual bool ClicksWithKeys() const { return true; }
};

// Creates the peer of a new tray icon; installed by the program's entry (Win32)
// or a test. Without a factory tray icons run without a peer (nothing shown).
using TrayPeerFactory = std::function<std::unique_ptr<ITrayPeer>(TCoolTrayIcon&)>;
void SetTrayPeerFactory(TrayPeerFactory factory);

class TCoolTrayIcon {
 public:
  explicit TCoolTrayIcon(ui::Form* owner, std::string name = "CoolTrayIcon1");
  ~TCoolTrayIcon();  // deletes the icon
  TCoolTrayIcon(const TCoolTrayIcon&) = delete;
  TCoolTrayIcon& operator=(const TCoolTrayIcon&) = delete;

  const std::string& Name() const { return name_; }
  ui::Form* Owner() const { return owner_; }

  // Icon list: icon ids (Win32 resource ids). The main window uses two:
  // 0 = stopped, 1 = converting.
  const std::vector<int>& IconList() const { return iconList_; }
  void SetIconList(const std::vector<int>& ids);
  int IconCount() const { return static_cast<int>(iconList_.size()); }
  // Index into the icon list, clamped to the last index; 0 without a list.
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int i);
  // The icon shown: the id at IconIndex, or the one set with SetIcon when
  // there is no list.
  int Icon() const;
  void SetIcon(int id);

  // Tip text, cut to 127 characters.
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);

  // On: the icon is in the notification area.
  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool v);

  ui::PopupMenu* PopupMenu = nullptr;
  bool LeftPopup = false;  // the left button opens the popup menu too
  bool Enabled = true;     // mouse notifications are handled only while on
  bool WantEnterExitEvents = false;
  bool MinimizeToTray = false;
  bool DesignPreview = false;  // kept for the component's published set; no effect at run time

  // Icon cycling: with CycleIcons on and CycleInterval above 0 the icons of
  // the list are shown in turn.
  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleIcons(bool v);
  uint32_t CycleInterval() const { return cycleInterval_; }
  void SetCycleInterval(uint32_t ms);

  // Balloon at the icon. iconType: 0 none, 1 information, 2 warning, 3 error.
  bool ShowBalloonHint(const std::string& title, const std::string& text, int iconType, int timeoutSecs);
  bool HideBalloonHint();

  // Hides the owning form (and the application's taskbar window).
  void HideMainForm();
  // Restores the application, un-minimises, shows and brings the form forward.
  void RestoreMainForm();

  // Events. Positions are screen coordinates.
  std::function<void(TCoolTrayIcon&)> OnClick;
  std::function<void(TCoolTrayIcon&)> OnDblClick;
  std::function<void(TCoolTrayIcon&, MouseButton, ShiftState, int x, int y)> OnMouseDown;
  std::function<void(TCoolTrayIcon&, MouseButton, ShiftState, int x, int y)> OnMouseUp;
  std::function<void(TCoolTrayIcon&, ShiftState, int x, int y)> OnMouseMove;
  std::function<void(TCoolTrayIcon&)> OnMouseEnter;
  std::function<void(TCoolTrayIcon&)> OnMouseExit;
  std::function<void(TCoolTrayIcon&, int nextIndex)> OnCycle;
  std::function<void(TCoolTrayIcon&)> OnBalloonHintShow;
  std::function<void(TCoolTrayIcon&)> OnBalloonHintHide;
  std::function<void(TCoolTrayIcon&)> OnBalloonHintTimeout;
  std::function<void(TCoolTrayIcon&)> OnBalloonHintClick;
  std::function<void(TCoolTrayIcon&)> OnMinimizeToTray;
  std::function<void(TCoolTrayIcon&, bool& showMainForm)> OnStartup;

  // ---- Called by the owner and the platform ----

  // The owning form has been created with its handlers assigned: sets the
  // notification behaviour version and runs OnStartup; when the handler says
  // no, the form stays hidden (HideMainForm).
  void Loaded();
  // The owning form was minimised: with MinimizeToTray on, fires
  // OnMinimizeToTray and hides the form; returns whether it did.
  bool OwnerMinimized();
  // The callback message arrived with this notification code.
  void HandleNotification(uint32_t code);
  // The taskbar was recreated ("TaskbarCreated"): the icon is added again.
  void TaskbarCreated();

  // The record the shell was last given.
  const TrayIconData& Data() const { return data_; }
  ITrayPeer* Peer() const { return peer_.get(); }
  // Clicks with the keys held reach the program (see ITrayPeer::ClicksWithKeys);
  // so without a peer, where the program itself is all there is.
  bool ClicksWithKeys() const { return !peer_ || peer_->ClicksWithKeys(); }
  // The behaviour version set at load: 3 with the newer behaviour, else 0.
  int BehaviourVersion() const { return newBehaviour_ ? 3 : 0; }

 private:
  void Refresh();
  TrayIconData MakeData() const;
  ShiftState LiveShift(ShiftState buttons) const;
  TrayPoint Cursor() const;
  void Popup();
  void RunDefaultItem();
  void ClickTimerExpired();
  void CycleTick();
  void ExitTick();
  void SyncCycleTimer();

  ui::Form* owner_;
  std::string name_;
  std::unique_ptr<ITrayPeer> peer_;
  std::vector<int> iconList_;
  int iconIndex_ = 0;
  int icon_ = 0;
  std::string hint_;
  bool showHint_ = true;
  bool iconVisible_ = false;
  bool cycleIcons_ = false;
  uint32_t cycleInterval_ = 0;
  bool newBehaviour_ = false;
  bool leftDown_ = false;
  bool clickPending_ = false;
  bool mouseInside_ = false;
  TrayPoint lastPos_;
  TrayIconData data_;
  TSimpleTimer clickTimer_{500, true};
  TSimpleTimer cycleTimer_{0, false};
  TSimpleTimer exitTimer_{20, false};
};

}  // namespace km27
