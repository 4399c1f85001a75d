// What the launcher's logic may do to its windows. The Win32 main window
// implements it; tests record it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Shell.h"

namespace halvane {

enum class ViewControl { kButton1, kButton2, kButton3, kEdit4 };

// What OpenDialog1 gave: the confirmed file's full path, nothing for a
// cancel, or the failure (an HRESULT) that kept the dialog from showing or
// from giving a path.
struct OpenDialogResult {
  std::optional<std::u16string> path;
  std::uint32_t failure = 0;
};

class LauncherView {
 public:
  virtual ~LauncherView() = default;
  virtual void SetEdit4Text(std::u16string_view text) = 0;
  virtual void SetEnabled(ViewControl control, bool enabled) = 0;
  virtual void SetPanel1Text(std::u16string_view text) = 0;
  // Runs Button1Click exactly as a click on Button1 does.
  virtual void PressButton1() = 0;
  // Shows OpenDialog1.
  virtual OpenDialogResult ExecuteOpenDialog1() = 0;
  virtual WindowHandle Handle() = 0;
  virtual void Close() = 0;

  // The splash window, owned by the main window.
  virtual void CreateSplash() = 0;
  virtual void ShowSplash() = 0;
  // Paints the splash completely before returning.
  virtual void RepaintSplash() = 0;
  // Posts the splash's destruction; it goes when messages are next processed.
  virtual void ReleaseSplash() = 0;
};

}  // namespace halvane
