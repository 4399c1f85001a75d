// The ShowWindow command of a window state.
#pragma once

#include <windows.h>

#include "platform/Shell.h"

namespace halvane::win32 {

inline int ShowCommand(WindowState state) {
  switch (state) {
    case WindowState::kHidden:
      return SW_HIDE;
    case WindowState::kNormal:
      return SW_SHOWNORMAL;
    case WindowState::kMinimized:
      return SW_SHOWMINIMIZED;
    case WindowState::kShown:
      return SW_SHOW;
  }
  return SW_SHOW;
}

}  // namespace halvane::win32
