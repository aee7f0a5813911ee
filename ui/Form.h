#pragma once
// A window of the program: a named top-level control that owns its components.
#include <memory>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Components.h"

namespace km27::ui {

// What the platform provides for one form: the real window (Win32) or a
// recorder (fake toolkit). The model calls it after every change.
class IFormPeer {
 public:
  virtual ~IFormPeer() = default;
  virtual void Changed(Component& c, Prop p) = 0;
  virtual void ShowChanged(bool showing) = 0;  // the form was shown or hidden
  virtual void BringToFront() {}
  virtual void SetFocus(Control&) {}
  virtual void Popup(PopupMenu&, int /*x*/, int /*y*/) {}
  virtual void Minimize() {}
  virtual void Restore() {}
  // The most text (bytes) the platform control can hold; 0: no limit.
  virtual size_t TextLimit(Control&) { return 0; }
};

enum class CloseAction { None, Hide, Free };

class Form : public Control {
 public:
  explicit Form(std::string name);
  ~Form() override;

  // Creates a component owned by this form.
  template <typename T, typename... Args>
  T& Make(Args&&... args) {
    auto c = std::make_unique<T>(this, std::forward<Args>(args)...);
    T& ref = *c;
    components_.push_back(std::move(c));
    return ref;
  }

  // The component of that name owned directly by this form, names compared
  // without regard to case; nullptr when there is none (or the name is empty).
  Component* FindComponent(const std::string& name) const;
  template <typename T>
  T* Find(const std::string& name) const {
    return dynamic_cast<T*>(FindComponent(name));
  }
  const std::vector<std::unique_ptr<Component>>& Components() const { return components_; }

  // Modeless show; brings the window forward when already showing.
  void Show();
  // Shows the form modally; returns when it is hidden again.
  void ShowModal();
  bool Modal() const { return modal_; }
  void Hide();
  // Close as the user's close box does: OnCloseQuery may refuse; then OnClose
  // decides (default: hide; the main form's Free ends the program).
  void Close();
  // The two halves of Close, for the end of the user's session: the system
  // first asks whether the program may end (the close query, which may ask
  // the user), then ends it without asking again.
  bool QueryClose();
  void CloseWithoutQuery();
  bool Showing() const { return showing_; }
  void BringToFront();
  void Minimize();
  void Restore();
  bool Minimized() const { return minimized_; }
  void SetFocus(Control& c);
  void PopupMenuAt(PopupMenu& m, int x, int y);

  // Client area size and placement hints for the renderer.
  int ClientWidth = 400, ClientHeight = 300;
  enum class Position { Designed, ScreenCenter, MainFormCenter } position = Position::ScreenCenter;
  enum class BorderStyle { Sizeable, Single, Dialog } borderStyle = BorderStyle::Sizeable;
  bool MinimizeBox = true, MaximizeBox = true;
  bool IsMainForm = false;
  std::string WindowClassName;  // Win32 class name ("TfrmMain" for the main window)

  std::function<void()> OnShow;
  std::function<void()> OnHide;
  std::function<void(bool& canClose)> OnCloseQuery;
  std::function<void(CloseAction& action)> OnClose;
  std::function<void()> OnMinimize;

  IFormPeer* Peer() const { return peer_.get(); }
  // Notifies the peer (used by components).
  void NotifyChanged(Component& c, Prop p);

 private:
  void EnsurePeer();
  std::vector<std::unique_ptr<Component>> components_;
  std::unique_ptr<IFormPeer> peer_;
  bool showing_ = false;
  bool modal_ = false;
  bool minimized_ = false;
};

}  // namespace km27::ui
