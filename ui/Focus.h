// Giving the focus from code as the dialog manager does when Tab moves it.
#pragma once

#include <windows.h>

namespace halvane::ui {

// Moves the focus to `control`, a child of `parent`. A push button that
// takes the focus becomes the default push button, so Enter presses it
// (IsDialogMessage presses only a focused button that reports
// DLGC_DEFPUSHBUTTON); the push button that loses it becomes a plain one
// again.
void GiveFocus(HWND parent, HWND control);

}  // namespace halvane::ui
