#include "platform/win32/Win32Shell.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/win32/BenchMarks.h"
#include "platform/win32/Handles.h"
#include "platform/win32/ShowCommand.h"
#include "platform/win32/WideText.h"

namespace halvane::win32 {
namespace {

// The full record of Windows Vista and later, for a 32-bit program.
#if !defined(_WIN64)
static_assert(sizeof(NOTIFYICONDATAW) == 956);
#endif
static_assert(std::size(NOTIFYICONDATAW{}.szTip) == kTipLength);

// What ShellExecuteEx reports in hInstApp when it sets no last error.
DWORD ErrorFromInstApp(HINSTANCE inst_app) {
  switch (reinterpret_cast<INT_PTR>(inst_app)) {
    case SE_ERR_FNF:
      return ERROR_FILE_NOT_FOUND;
    case SE_ERR_PNF:
      return ERROR_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED:
      return ERROR_ACCESS_DENIED;
    case SE_ERR_OOM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_NOASSOC:
      return ERROR_NO_ASSOCIATION;
    default:
      return ERROR_GEN_FAILURE;
  }
}

// The system's record of the icon: the full record, the fields the icon
// sets, the tip cut to its field and the rest of the field zero.
NOTIFYICONDATAW SystemRecordOf(const NotifyIconData& icon) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = reinterpret_cast<HWND>(icon.window);
  nid.uID = icon.id;
  nid.uFlags = icon.flags;
  nid.uCallbackMessage = icon.callback_message;
  nid.hIcon = reinterpret_cast<HICON>(icon.icon);
  const std::size_t length = std::min(icon.tip.size(), std::size(nid.szTip) - 1);
  std::memcpy(nid.szTip, icon.tip.data(), length * sizeof(wchar_t));
  return nid;
}

}  // namespace

StartResult Win32Shell::Execute(const ShellExecuteRequest& request) {
  StartResult result;
  // The shell would open a folder window for an empty name.
  if (request.file.empty()) {
    result.error = ERROR_FILE_NOT_FOUND;
    return result;
  }
  const std::wstring verb = Wide(request.verb);
  const std::wstring file = Wide(request.file);
  const std::wstring parameters = Wide(request.parameters);
  const std::wstring directory = Wide(request.directory);
  SHELLEXECUTEINFOW sei{};
  sei.cbSize = sizeof(sei);
  // The handle is needed for the wait; the launcher shows its own message
  // when the start fails, so the shell must show none.
  sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  sei.hwnd = reinterpret_cast<HWND>(request.owner);
  sei.lpVerb = verb.c_str();
  sei.lpFile = file.c_str();
  sei.lpParameters = parameters.c_str();
  sei.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  sei.nShow = ShowCommand(request.show);
  bench::Record("execute");
  const BOOL started = ShellExecuteExW(&sei);
  const DWORD error = started ? ERROR_SUCCESS : GetLastError();
  bench::Record("executed");
  if (!started) {
    result.error = error != ERROR_SUCCESS ? error : ErrorFromInstApp(sei.hInstApp);
    return result;
  }
  if (sei.hProcess) {
    // Owned at once: nothing that follows can lose it.
    UniqueHandle process(sei.hProcess);
    result.info.process = std::make_unique<Win32Process>(std::move(process));
  }
  return result;
}

void Win32Shell::ReadStartupInfo(StartupInfo& info) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  GetStartupInfoW(&si);
  info.flags = si.dwFlags;
  info.show_window = si.wShowWindow;
}

bool Win32Shell::ShowIcon(const NotifyIconData& icon) {
  // Wanted until it is removed, even when this first add fails: started
  // before the taskbar exists (at logon, or while Explorer restarts), the
  // launcher gets its icon when the taskbar comes.
  shown_ = SystemRecordOf(icon);
  return notify_icon_(NIM_ADD, &*shown_) != FALSE;
}

bool Win32Shell::RemoveIcon(const NotifyIconData& icon) {
  NOTIFYICONDATAW nid = SystemRecordOf(icon);
  shown_.reset();
  return notify_icon_(NIM_DELETE, &nid) != FALSE;
}

void Win32Shell::TaskbarCreated() {
  // The new taskbar has no icons: the one wanted is added again.
  if (shown_)
    notify_icon_(NIM_ADD, &*shown_);
}

void Win32Shell::Sleep(std::uint32_t milliseconds) {
  bench::RecordPause(milliseconds, false);
  ::Sleep(milliseconds);
  bench::RecordPause(milliseconds, true);
}

}  // namespace halvane::win32
