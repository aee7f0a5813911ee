#pragma once
// Where the controls of a form lie on a screen: the designed bounds (design
// pixels, relative to the parent) scaled to the screen's resolution, then
// anchored: a control anchored to the right or bottom edge of its parent
// keeps its scaled distance to it, or stretches when anchored to both sides,
// as the form's client area grows beyond its designed size. The renderer
// places the real controls with it; tests ask it what a screen would show.
#include <functional>

#include "ui/Form.h"
#include "ui/Scaling.h"

namespace km27::ui {

// The client area a form's window is made with on a screen of `dpi`.
Rect ScaledClientArea(const Form& form, int dpi);

class FormLayout {
 public:
  // clientWidth x clientHeight: the form's client area now, in screen pixels.
  FormLayout(const Form& form, int dpi, int clientWidth, int clientHeight);
  // The form at its scaled designed size.
  FormLayout(const Form& form, int dpi);

  // The display area of a page control's sheets inside the control's
  // rectangle (the platform takes its tab strip off); unset: all of it.
  std::function<Rect(const Control& pages, const Rect& r)> SheetArea;

  // A control's rectangle in the form's client area, in screen pixels.
  Rect Place(const Control& c) const;

 private:
  // Also how much the control grew (dw, dh) against its scaled designed size.
  Rect Place(const Control& c, int& dw, int& dh) const;

  const Form& form_;
  int dpi_, clientWidth_, clientHeight_;
};

}  // namespace km27::ui
