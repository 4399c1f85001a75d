// OpenDialog1: the common item dialog for picking acad.exe.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace halvane::ui {

class TOpenDialog {
 public:
  // Modal to `owner`. The confirmed file's full path, or nothing.
  std::optional<std::u16string> Execute(HWND owner);

 private:
  // The file-name box's text: "acad.exe" at first, then the full path last confirmed.
  std::u16string file_name_ = u"acad.exe";
};

}  // namespace halvane::ui
