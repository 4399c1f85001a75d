#include "ui/OpenDialog.h"

#include <shobjidl.h>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace halvane::ui {

namespace {

OpenDialogResult Failed(HRESULT result) {
  return {std::nullopt, static_cast<std::uint32_t>(result)};
}

}  // namespace

OpenDialogResult TOpenDialog::Execute(HWND owner) {
  if (FAILED(com_))
    return Failed(com_);
  win32::ComPtr<IFileOpenDialog> dialog;
  HRESULT result = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(dialog.Put()));
  if (FAILED(result))
    return Failed(result);
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  // Whether the file exists is the caller's test; every file is listed.
  options &= ~(FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST | FOS_CREATEPROMPT);
  options |= FOS_FORCEFILESYSTEM | FOS_FORCEPREVIEWPANEON | FOS_NOCHANGEDIR;
  dialog->SetOptions(options);
  const std::wstring name = win32::Wide(file_name_);
  dialog->SetFileName(name.c_str());
  result = dialog->Show(owner);
  if (result == HRESULT_FROM_WIN32(ERROR_CANCELLED))
    return {};
  if (FAILED(result))
    return Failed(result);

  win32::ComPtr<IShellItem> item;
  result = dialog->GetResult(item.Put());
  if (FAILED(result))
    return Failed(result);
  win32::UniqueCoTaskString path;
  result = item->GetDisplayName(SIGDN_FILESYSPATH, path.Put());
  if (FAILED(result))
    return Failed(result);
  if (!path)
    return Failed(E_UNEXPECTED);
  file_name_ = win32::Utf16(path.Get());
  return {file_name_, 0};
}

}  // namespace halvane::ui
