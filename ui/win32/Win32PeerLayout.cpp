// Where the controls of a form go and how they look: anchoring, visibility
// (hidden parents and pages that are not shown hide their controls), the
// stacking of containers beneath their controls, fonts, colours, hints, and
// the window's place on its first show.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include <algorithm>

#include "ui/FormLayout.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"
#include "ui/win32/Win32PeerSupport.h"

namespace km27::ui {

using namespace win32peer;

namespace {

constexpr int kDropDownHeight = 200;  // a combo box's list below its edit

bool IsContainer(Kind k) {
  switch (k) {
    case Kind::GroupBox:
    case Kind::Panel:
    case Kind::Bevel:
    case Kind::Shape:
    case Kind::PageControl:
    case Kind::TabControl:
    case Kind::RadioGroup:
      return true;
    default:
      return false;
  }
}

int Depth(const Control& c) {
  int d = 0;
  for (const Control* p = c.Parent(); p; p = p->Parent()) ++d;
  return d;
}

}  // namespace

void Win32FormPeer::ApplyFont(Item& item) {
  if (!item.hwnd) return;
  HFONT f = FontFor(item.control->EffectiveFont());
  if (f == item.font) return;
  item.font = f;
  Send(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  for (HWND r : item.radios) Send(r, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
}

void Win32FormPeer::ApplyTooltip(Item& item) {
  if (!tooltip_ || !item.hwnd) return;
  TTTOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(item.hwnd);
  Send(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  const Control& c = *item.control;
  if (!c.ShowHint() || c.Hint().empty()) return;
  std::string hint = c.Hint();
  ti.lpszText = hint.data();
  Send(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

bool Win32FormPeer::EffectiveVisible(Control& c) {
  if (!c.Visible()) return false;
  Control* p = c.Parent();
  if (!p || p == &form_) return true;
  if (p->GetKind() == Kind::TabSheet) {
    auto* pc = dynamic_cast<PageControl*>(p->Parent());
    if (pc && pc->ActivePage() != p) return false;
  }
  return EffectiveVisible(*p);
}

void Win32FormPeer::ApplyVisibility() {
  for (auto& item : items_) {
    if (!item->hwnd) continue;
    bool visible = EffectiveVisible(*item->control);
    // A page control whose tabs are all hidden shows only its pages.
    if (item->control->GetKind() == Kind::PageControl && item->tabs.empty()) visible = false;
    int cmd = visible ? SW_SHOWNA : SW_HIDE;
    ShowWindow(item->hwnd, cmd);
    for (HWND r : item->radios) ShowWindow(r, cmd);
  }
}

void Win32FormPeer::FixZOrder() {
  // Containers lie beneath the controls placed on them (all are siblings):
  // the outermost at the bottom.
  std::vector<Item*> containers;
  for (auto& item : items_)
    if (item->hwnd && IsContainer(item->control->GetKind())) containers.push_back(item.get());
  std::stable_sort(containers.begin(), containers.end(),
                   [](Item* a, Item* b) { return Depth(*a->control) > Depth(*b->control); });
  for (Item* item : containers)
    SetWindowPos(item->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32FormPeer::Layout() {
  if (!hwnd_) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  FormLayout layout(form_, dpi_, client.right, client.bottom);
  layout.SheetArea = [this](const Control& pages, const Rect& r) {
    // Without a tab to show, the sheet takes the whole control (the page
    // control is then only the frame that holds its pages).
    Item* pc = Find(pages);
    if (!pc || !pc->hwnd || pc->tabs.empty()) return r;
    RECT area{0, 0, r.width, r.height};
    Send(pc->hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    return Rect{r.left + area.left, r.top + area.top, area.right - area.left, area.bottom - area.top};
  };
  ++updating_;
  for (auto& item : items_) {
    if (!item->hwnd) continue;
    Rect r = layout.Place(*item->control);
    int h = r.height;
    if (item->control->GetKind() == Kind::ComboBox) h = std::max(h, Scale(21)) + Scale(kDropDownHeight);
    if (auto* line = dynamic_cast<TLine*>(item->control)) {
      const RECT lr = LineRect(*line, RECT{r.left, r.top, r.left + r.width, r.top + r.height});
      r.width = lr.right - lr.left;
      h = lr.bottom - lr.top;
    }
    MoveWindow(item->hwnd, r.left, r.top, r.width, h, TRUE);
    if (item->control->GetKind() == Kind::Line) ApplyLineShape(*item);
    if (!item->radios.empty()) LayoutRadios(*item, RECT{r.left, r.top, r.left + r.width, r.top + r.height});
  }
  --updating_;
}

HFONT Win32FormPeer::FontFor(const Font& f) {
  std::string key = f.name + "|" + std::to_string(f.size) + "|" + std::to_string(f.height) + "|" +
                    std::to_string(f.charSet) + "|" + (f.bold ? "b" : "") + (f.fixedPitch ? "f" : "");
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  LOGFONTA lf{};
  lf.lfHeight = -FontPixelHeight(f, dpi_);  // character height, without the internal leading
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = static_cast<BYTE>(f.charSet);
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = f.fixedPitch ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynA(lf.lfFaceName, f.name.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&lf);
  fonts_[key] = font;
  return font;
}

HBRUSH Win32FormPeer::BrushFor(uint32_t color) {
  auto it = brushes_.find(color);
  if (it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(color);
  brushes_[color] = b;
  return b;
}

void Win32FormPeer::PlaceOnFirstShow() {
  RECT wr;
  GetWindowRect(hwnd_, &wr);
  int w = wr.right - wr.left, h = wr.bottom - wr.top;
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT around = area;
  if (form_.position == Form::Position::MainFormCenter) {
    HWND main = app_->MainWindow();
    if (main && main != hwnd_ && IsWindowVisible(main) && !IsIconic(main)) GetWindowRect(main, &around);
  }
  int x = around.left + ((around.right - around.left) - w) / 2;
  int y = around.top + ((around.bottom - around.top) - h) / 2;
  if (form_.position == Form::Position::Designed) {
    x = Scale(form_.Bounds().left);  // design pixels, like every other position
    y = Scale(form_.Bounds().top);
  }
  x = std::max<int>(area.left, std::min<int>(x, area.right - w));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - h));
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace km27::ui
