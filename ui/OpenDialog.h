// OpenDialog1: the common item dialog for picking acad.exe.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "launcher/LauncherView.h"

namespace halvane::ui {

class TOpenDialog {
 public:
  // `com`: how COM's start on this thread went; a failure is the dialog's.
  explicit TOpenDialog(HRESULT com) : com_(com) {}

  // Modal to `owner`. The confirmed file's full path; nothing for a cancel;
  // or the HRESULT that kept the dialog from showing or from giving a path.
  OpenDialogResult Execute(HWND owner);

 private:
  HRESULT com_;
  // The file-name box's text: "acad.exe" at first, then the full path last confirmed.
  std::u16string file_name_ = u"acad.exe";
};

}  // namespace halvane::ui
