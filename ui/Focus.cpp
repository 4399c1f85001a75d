#include "ui/Focus.h"

namespace halvane::ui {
namespace {

UINT DialogCode(HWND control) {
  return static_cast<UINT>(SendMessageW(control, WM_GETDLGCODE, 0, 0));
}

}  // namespace

void GiveFocus(HWND parent, HWND control) {
  const HWND previous = GetFocus();
  if (previous && previous != control && IsChild(parent, previous) &&
      (DialogCode(previous) & DLGC_DEFPUSHBUTTON)) {
    SendMessageW(previous, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
  SetFocus(control);
  if (DialogCode(control) & DLGC_UNDEFPUSHBUTTON)
    SendMessageW(control, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

}  // namespace halvane::ui
