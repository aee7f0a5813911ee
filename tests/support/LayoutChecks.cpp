#include "tests/support/LayoutChecks.h"

#include <gtest/gtest.h>

#include "ui/FormLayout.h"

namespace km27::test {

namespace {

bool Inside(const ui::Rect& r, const ui::Rect& outer) {
  return r.left >= outer.left && r.top >= outer.top && r.left + r.width <= outer.left + outer.width &&
         r.top + r.height <= outer.top + outer.height;
}

}  // namespace

void ExpectControlsInside(const ui::Form& form, int dpi) {
  ui::FormLayout layout(form, dpi);
  const ui::Rect client = ui::ScaledClientArea(form, dpi);
  for (const auto& component : form.Components()) {
    const auto* c = dynamic_cast<const ui::Control*>(component.get());
    if (!c || c->GetKind() == ui::Kind::ToolButton) continue;  // drawn by its tool bar
    const ui::Rect r = layout.Place(*c);
    const ui::Rect outer = c->Parent() == &form ? client : layout.Place(*c->Parent());
    EXPECT_TRUE(Inside(r, outer)) << form.Name() << "." << c->Name() << " at " << dpi << " dpi";
    switch (c->GetKind()) {
      case ui::Kind::Label:
      case ui::Kind::Button:
      case ui::Kind::SpeedButton:
      case ui::Kind::CheckBox:
      case ui::Kind::Edit:
        EXPECT_GE(r.height, ui::FontPixelHeight(c->EffectiveFont(), dpi))
            << form.Name() << "." << c->Name() << " at " << dpi << " dpi";
        break;
      default:
        break;
    }
  }
}

}  // namespace km27::test
