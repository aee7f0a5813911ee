#include "ui/FormLayout.h"

#include <algorithm>

namespace km27::ui {

Rect ScaledClientArea(const Form& form, int dpi) {
  return Rect{0, 0, ScaleLength(form.ClientWidth, dpi), ScaleLength(form.ClientHeight, dpi)};
}

FormLayout::FormLayout(const Form& form, int dpi, int clientWidth, int clientHeight)
    : form_(form), dpi_(dpi), clientWidth_(clientWidth), clientHeight_(clientHeight) {}

FormLayout::FormLayout(const Form& form, int dpi)
    : FormLayout(form, dpi, ScaledClientArea(form, dpi).width, ScaledClientArea(form, dpi).height) {}

Rect FormLayout::Place(const Control& c) const {
  int dw, dh;
  return Place(c, dw, dh);
}

Rect FormLayout::Place(const Control& c, int& dw, int& dh) const {
  if (&c == &form_) {
    const Rect designed = ScaledClientArea(form_, dpi_);
    dw = clientWidth_ - designed.width;
    dh = clientHeight_ - designed.height;
    return Rect{0, 0, clientWidth_, clientHeight_};
  }
  const Control* p = c.Parent();
  int pdw, pdh;
  const Rect pr = p ? Place(*p, pdw, pdh) : Place(form_, pdw, pdh);
  if (c.GetKind() == Kind::TabSheet) {
    // A sheet fills its page control's display area and grows with it.
    const Rect area = SheetArea && p ? SheetArea(*p, pr) : pr;
    dw = pdw;
    dh = pdh;
    return area;
  }
  const Rect b = ScaleRect(c.Bounds(), dpi_);
  int x = b.left, y = b.top, w = b.width, h = b.height;
  if (c.Anchors & akRight) {
    if (c.Anchors & akLeft) w += pdw;
    else x += pdw;
  }
  if (c.Anchors & akBottom) {
    if (c.Anchors & akTop) h += pdh;
    else y += pdh;
  }
  w = std::max(w, 0);
  h = std::max(h, 0);
  dw = w - b.width;
  dh = h - b.height;
  return Rect{pr.left + x, pr.top + y, w, h};
}

}  // namespace km27::ui
