// Tool bars: a row of buttons with a picture and a caption each, every button
// following its action (caption, enabled, visible, picture) and showing the
// current choice of its group pressed in. The bar is rebuilt from the model
// whenever it or one of its buttons changes.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "ui/Scaling.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"
#include "ui/win32/Win32PeerSupport.h"

namespace km27::ui {

using namespace win32peer;

// The pictures (or only picture `only`) as a system image list with their
// alpha channel, at their size on a screen of `dpi`.
HIMAGELIST win32peer::MakeImageList(const ImageList& list, int dpi, int only) {
  const int w = ScaleLength(list.Width(), dpi), h = ScaleLength(list.Height(), dpi);
  std::vector<Image> images = list.ImagesAt(w, h);
  if (only >= 0 && static_cast<size_t>(only) < images.size()) images = {images[static_cast<size_t>(only)]};
  HIMAGELIST himl = ImageList_Create(w, h, ILC_COLOR32, static_cast<int>(images.size()), 1);
  if (!himl) return nullptr;
  for (const Image& image : images) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = image.width;
    bi.bmiHeader.biHeight = -image.height;  // rows from the top
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) continue;
    // 0xAARRGGBB in memory is the B, G, R, A order of a 32-bit DIB.
    std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
    ImageList_Add(himl, bmp, nullptr);
    DeleteObject(bmp);
  }
  return himl;
}

bool win32peer::ToolBarWindowShape(Control& c, WindowShape& shape) {
  switch (c.GetKind()) {
    case Kind::ToolBar:
      shape.cls = TOOLBARCLASSNAMEA;
      shape.style = TBSTYLE_FLAT | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER;
      return true;
    case Kind::ToolButton:
      return true;  // drawn by its tool bar
    default:
      return false;
  }
}

void Win32FormPeer::ApplyToolButtons(Item& item) {
  HWND h = item.hwnd;
  auto* bar = dynamic_cast<ToolBar*>(item.control);
  if (!h || !bar) return;
  ++updating_;
  Send(h, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  if (bar->Images && !item.images) {
    item.images = MakeImageList(*bar->Images, dpi_);
    Send(h, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(item.images));
  }
  while (Send(h, TB_DELETEBUTTON, 0)) {
  }
  item.buttons.clear();
  std::vector<ToolButton*> buttons = bar->Buttons();
  std::vector<TBBUTTON> tbb(buttons.size());
  for (size_t i = 0; i < buttons.size(); ++i) {
    ToolButton& b = *buttons[i];
    TBBUTTON& t = tbb[i];
    t.iBitmap = b.ImageIndex() >= 0 && item.images ? b.ImageIndex() : I_IMAGENONE;
    t.idCommand = static_cast<int>(i) + 1;
    t.fsState = static_cast<BYTE>((b.Enabled() ? TBSTATE_ENABLED : 0) | (b.Visible() ? 0 : TBSTATE_HIDDEN) |
                                  (b.Down() ? TBSTATE_CHECKED : 0));
    t.fsStyle = static_cast<BYTE>(BTNS_BUTTON | (b.Grouped ? BTNS_CHECKGROUP : 0));
    t.iString = bar->ShowCaptions ? reinterpret_cast<INT_PTR>(b.Caption().c_str()) : -1;
    item.buttons.push_back(&b);
  }
  if (!tbb.empty()) Send(h, TB_ADDBUTTONSA, tbb.size(), reinterpret_cast<LPARAM>(tbb.data()));
  const int bw = Scale(bar->ButtonWidth), bh = Scale(bar->ButtonHeight);
  Send(h, TB_SETBUTTONSIZE, 0, MAKELPARAM(bw, bh));
  Send(h, TB_SETBUTTONWIDTH, 0, MAKELPARAM(bw, bw));
  --updating_;
}

void Win32FormPeer::ToolBarCommand(Item& item, int id) {
  if (id < 1 || static_cast<size_t>(id) > item.buttons.size()) return;
  Control* b = item.buttons[static_cast<size_t>(id) - 1];
  if (!b->Visible()) return;  // a hidden button cannot be pressed
  Guard([b] { b->Click(); });
  // The control pressed or released the button itself; the model decides.
  ApplyToolButtons(item);
}

}  // namespace km27::ui
