#include "ui/OpenDialog.h"

#include <shobjidl.h>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace halvane::ui {

std::optional<std::u16string> TOpenDialog::Execute(HWND owner) {
  win32::ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(dialog.Put())))) {
    return std::nullopt;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  // Whether the file exists is the caller's test; every file is listed.
  options &= ~(FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST | FOS_CREATEPROMPT);
  options |= FOS_FORCEFILESYSTEM | FOS_FORCEPREVIEWPANEON | FOS_NOCHANGEDIR;
  dialog->SetOptions(options);
  const std::wstring name = win32::Wide(file_name_);
  dialog->SetFileName(name.c_str());
  if (FAILED(dialog->Show(owner)))
    return std::nullopt;

  win32::ComPtr<IShellItem> item;
  if (FAILED(dialog->GetResult(item.Put())))
    return std::nullopt;
  win32::UniqueCoTaskString path;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.Put())) || !path)
    return std::nullopt;
  file_name_ = win32::Utf16(path.Get());
  return file_name_;
}

}  // namespace halvane::ui
