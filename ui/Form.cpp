#include "ui/Form.h"

#include "common/TextHelpers.h"

namespace km27::ui {

namespace {
IApplication* gApp = nullptr;
}  // namespace

IApplication& App() { return *gApp; }
IApplication* AppOrNull() { return gApp; }
void SetApp(IApplication* app) { gApp = app; }

Form::Form(std::string name) : Control(nullptr, Kind::Form, std::move(name), nullptr) { SetVisible(false); }

Form::~Form() {
  // Components go first: their destructors may still talk to the peer.
  components_.clear();
  peer_.reset();
}

Component* Form::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (const auto& c : components_)
    if (SameText(c->Name(), name)) return c.get();
  return nullptr;
}

void Form::NotifyChanged(Component& c, Prop p) {
  // The peer comes with the first change so that a recorder sees every one;
  // a real window is only made when the form is first shown.
  EnsurePeer();
  if (peer_) peer_->Changed(c, p);
}

void Form::EnsurePeer() {
  if (!peer_ && gApp) peer_.reset(gApp->CreatePeer(*this));
}

void Form::Show() {
  EnsurePeer();
  if (showing_) {
    BringToFront();
    return;
  }
  showing_ = true;
  SetVisible(true);
  if (peer_) peer_->ShowChanged(true);
  if (OnShow) OnShow();
}

void Form::ShowModal() {
  if (showing_ && modal_) return;
  modal_ = true;
  Show();
  if (gApp) gApp->RunModal(*this);
  modal_ = false;
}

void Form::Hide() {
  if (!showing_) return;
  showing_ = false;
  SetVisible(false);
  if (peer_) peer_->ShowChanged(false);
  if (OnHide) OnHide();
}

void Form::Close() {
  if (QueryClose()) CloseWithoutQuery();
}

bool Form::QueryClose() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(canClose);
  return canClose;
}

void Form::CloseWithoutQuery() {
  CloseAction action = IsMainForm ? CloseAction::Free : CloseAction::Hide;
  if (OnClose) OnClose(action);
  if (action == CloseAction::None) return;
  Hide();
  if (action == CloseAction::Free && IsMainForm && gApp) gApp->Terminate();
}

void Form::BringToFront() {
  if (peer_) peer_->BringToFront();
}

void Form::Minimize() {
  minimized_ = true;
  if (peer_) peer_->Minimize();
  if (OnMinimize) OnMinimize();
}

void Form::Restore() {
  minimized_ = false;
  if (peer_) peer_->Restore();
}

void Form::SetFocus(Control& c) {
  if (peer_) peer_->SetFocus(c);
}

void Form::PopupMenuAt(PopupMenu& m, int x, int y) {
  EnsurePeer();
  if (m.OnPopup) m.OnPopup();
  if (peer_) peer_->Popup(m, x, y);
}

}  // namespace km27::ui
