#include "tests/support/FakeTrayPeer.h"

#include "ui/Components.h"

namespace km27::test {

namespace {
TrayCall Call(TrayCall::Type t, const TrayIconData& d = {}) {
  TrayCall c;
  c.type = t;
  c.data = d;
  return c;
}
}  // namespace

FakeTrayPeer::Installation::Installation() {
  SetTrayPeerFactory([](TCoolTrayIcon& icon) { return std::make_unique<FakeTrayPeer>(icon); });
}

FakeTrayPeer::Installation::~Installation() { SetTrayPeerFactory(nullptr); }

bool FakeTrayPeer::AddIcon(const TrayIconData& d) {
  calls.push_back(Call(TrayCall::Type::Add, d));
  if (failCalls) return false;
  shown = true;
  current = d;
  return true;
}

bool FakeTrayPeer::ModifyIcon(const TrayIconData& d) {
  calls.push_back(Call(TrayCall::Type::Modify, d));
  if (failCalls || !shown) return false;
  current = d;
  return true;
}

bool FakeTrayPeer::DeleteIcon() {
  calls.push_back(Call(TrayCall::Type::Delete));
  if (failCalls) return false;
  shown = false;
  return true;
}

void FakeTrayPeer::SetVersion(int version) {
  TrayCall c = Call(TrayCall::Type::Version);
  c.version = version;
  calls.push_back(c);
}

void FakeTrayPeer::PopupMenu(ui::PopupMenu& menu, int x, int y) {
  TrayCall c = Call(TrayCall::Type::Popup);
  c.menu = menu.Name();
  c.x = x;
  c.y = y;
  calls.push_back(c);
  if (menu.OnPopup) menu.OnPopup();
}

void FakeTrayPeer::HideApplication() { calls.push_back(Call(TrayCall::Type::HideApp)); }
void FakeTrayPeer::RestoreApplication() { calls.push_back(Call(TrayCall::Type::RestoreApp)); }

int FakeTrayPeer::Count(TrayCall::Type t) const {
  int n = 0;
  for (const auto& c : calls)
    if (c.type == t) ++n;
  return n;
}

const TrayCall* FakeTrayPeer::Last(TrayCall::Type t) const {
  for (auto it = calls.rbegin(); it != calls.rend(); ++it)
    if (it->type == t) return &*it;
  return nullptr;
}

}  // namespace km27::test
