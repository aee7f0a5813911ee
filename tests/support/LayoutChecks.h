#pragma once
// Checks of a form's layout on a screen of a given resolution, for the tests
// of every window: what the renderer would show, without a screen.
#include "ui/Form.h"

namespace km27::test {

// Every control of the form, placed on a screen of `dpi` (ui/FormLayout.h),
// lies inside its container (the client area for the form's own controls),
// and text controls are at least as tall as the characters of their font.
// Adds a test failure naming each control that does not.
void ExpectControlsInside(const ui::Form& form, int dpi);

}  // namespace km27::test
