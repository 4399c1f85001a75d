// The contract environment over the real Win32 layer: a scratch registry key
// and a scratch folder, prepared and inspected with the raw API.
//
// win32_tests changes nothing of anyone's: its keys are its own, below
// HalvaneContract\<process>-<n> (HKEY_CURRENT_USER\Software, and
// HKEY_LOCAL_MACHINE\Software in either view), and so are its folders, in the
// temporary folder; each is removed when its case ends. So it needs no
// disposable machine (tests/win32/DisposableMachine.h) and runs anywhere.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Registry.h"
#include "tests/contract/ContractEnv.h"
#include "tests/win32/TestFiles.h"

namespace halvane::test {
namespace {

using win32::UniqueFile;
using win32::UniqueHKey;
using win32::Wide;

HKEY RootOf(RootKey root) {
  return root == RootKey::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::u16string UniqueName() {
  static int counter = 0;
  return win32::Utf16(std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
}

class Win32RegistryEnv : public RegistryContractEnv {
 public:
  Win32RegistryEnv() : scratch_(u"Software\\HalvaneContract\\" + UniqueName()) {}
  ~Win32RegistryEnv() override {
    for (const auto& [root, path] : locked_)
      Unlock(root, path);
    RegDeleteTreeW(HKEY_CURRENT_USER, Wide(scratch_).c_str());
    UniqueHKey parent;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\HalvaneContract", 0,
                      KEY_ALL_ACCESS | KEY_WOW64_64KEY, parent.Put()) == ERROR_SUCCESS) {
      const std::u16string leaf = scratch_.substr(scratch_.find_last_of(u'\\') + 1);
      RegDeleteTreeW(parent.Get(), Wide(leaf).c_str());
    }
  }
  RegistryBackend& Backend() override { return backend_; }
  std::u16string Scratch() override { return scratch_; }

  void PutValue(RootKey root,
                std::u16string_view path,
                std::u16string_view name,
                std::uint32_t type,
                const std::vector<std::uint8_t>& data,
                bool view64) override {
    UniqueHKey key;
    ASSERT_OK(RegCreateKeyExW(RootOf(root), Wide(path).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | (view64 ? KEY_WOW64_64KEY : 0), nullptr, key.Put(),
                              nullptr));
    ASSERT_OK(RegSetValueExW(key.Get(), Wide(name).c_str(), 0, type, data.data(),
                             static_cast<DWORD>(data.size())));
  }

  void MakeReadOnly(RootKey root, std::u16string_view path) override {
    UniqueHKey key;
    ASSERT_OK(RegCreateKeyExW(RootOf(root), Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.Put(), nullptr));
    SetDacl(key.Get(), L"D:P(A;;KR;;;WD)");
    locked_.emplace_back(root, std::u16string(path));
  }

  void MakeQueryOnly(RootKey root, std::u16string_view path) override {
    UniqueHKey key;
    ASSERT_OK(RegCreateKeyExW(RootOf(root), Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.Put(), nullptr));
    SetDacl(key.Get(), L"D:P(A;;0x1;;;WD)");  // KEY_QUERY_VALUE alone
    locked_.emplace_back(root, std::u16string(path));
  }

  std::optional<RawValue> GetValue(RootKey root,
                                   std::u16string_view path,
                                   std::u16string_view name) override {
    UniqueHKey key;
    if (RegOpenKeyExW(RootOf(root), Wide(path).c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    DWORD type = 0, size = 0;
    const std::wstring value = Wide(name);
    if (RegQueryValueExW(key.Get(), value.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    RawValue raw{type, std::vector<std::uint8_t>(size)};
    RegQueryValueExW(key.Get(), value.c_str(), nullptr, &type, raw.data.data(), &size);
    raw.data.resize(size);
    return raw;
  }

  bool KeyExists(RootKey root, std::u16string_view path) override {
    UniqueHKey key;
    return RegOpenKeyExW(RootOf(root), Wide(path).c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
  }

 private:
  static void ASSERT_OK(LSTATUS status) {
    if (status != ERROR_SUCCESS)
      throw std::runtime_error("registry set-up failed: " + std::to_string(status));
  }
  static void SetDacl(HKEY key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd,
                                                              nullptr)) {
      throw std::runtime_error("bad security descriptor");
    }
    const LSTATUS status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    ASSERT_OK(status);
  }
  static void Unlock(RootKey root, const std::u16string& path) {
    UniqueHKey key;
    if (RegOpenKeyExW(RootOf(root), Wide(path).c_str(), 0, WRITE_DAC, key.Put()) == ERROR_SUCCESS) {
      SetDacl(key.Get(), L"D:(A;;KA;;;WD)");
    }
  }

  win32::Win32Registry backend_;
  std::u16string scratch_;
  std::vector<std::pair<RootKey, std::u16string>> locked_;
};

class Win32FilesEnv : public FilesContractEnv {
 public:
  Win32FilesEnv() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\')
      base.pop_back();
    folder_ = win32::Utf16(base) + u"\\halvane-files-" + UniqueName();
    CreateDirectoryW(Wide(folder_).c_str(), nullptr);
    // Rooted names without a drive are on the current drive.
    SetCurrentDirectoryW(Wide(folder_.substr(0, 3)).c_str());
  }
  ~Win32FilesEnv() override {
    for (const std::u16string& name : variables_)
      SetEnvironmentVariableW(Wide(name).c_str(), nullptr);
    held_.clear();
    RemoveTree(Wide(folder_));
  }
  FileSystem& Files() override { return files_; }
  std::u16string Folder() override { return folder_; }
  void MakeFile(std::u16string_view path, const std::string& contents) override {
    UniqueFile file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
      throw std::runtime_error("cannot create a file");
    DWORD written = 0;
    WriteFile(file.Get(), contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
  }
  void MakeFolder(std::u16string_view path) override {
    CreateDirectoryW(Wide(path).c_str(), nullptr);
  }
  bool MakeLink(std::u16string_view path, std::u16string_view target, bool to_folder) override {
    const std::wstring link = Wide(path);
    const DWORD flags = (to_folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;  // unprivileged
    if (!CreateSymbolicLinkW(link.c_str(), Wide(target).c_str(), flags) &&
        !CreateSymbolicLinkW(link.c_str(), Wide(target).c_str(), flags & ~0x2)) {
      return false;
    }
    // Wine reports success without making the link; only a link that is
    // there counts.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(link.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
      return false;
    FindClose(find);
    return true;
  }
  void HoldOpen(std::u16string_view path) override {
    UniqueFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
      throw std::runtime_error("cannot hold the file open");
    held_.push_back(std::move(file));
  }
  bool Signalled(const FolderWatch& watch, int wait_ms) override {
    return WaitForSingleObject(reinterpret_cast<HANDLE>(watch.Waitable()),
                               static_cast<DWORD>(wait_ms)) == WAIT_OBJECT_0;
  }
  void SetEnvironment(std::u16string_view name, std::u16string_view value) override {
    variables_.emplace_back(name);
    SetEnvironmentVariableW(Wide(name).c_str(), value.empty() ? nullptr : Wide(value).c_str());
  }
  std::optional<std::string> Read(std::u16string_view path) override {
    UniqueFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
      return std::nullopt;
    std::string contents(GetFileSize(file.Get(), nullptr), '\0');
    DWORD read = 0;
    ReadFile(file.Get(), contents.data(), static_cast<DWORD>(contents.size()), &read, nullptr);
    contents.resize(read);
    return contents;
  }

 private:
  win32::Win32FileSystem files_;
  std::u16string folder_;
  std::vector<UniqueFile> held_;
  std::vector<std::u16string> variables_;  // removed when the environment goes
};

}  // namespace

std::unique_ptr<RegistryContractEnv> MakeRegistryContractEnv() {
  return std::make_unique<Win32RegistryEnv>();
}
std::unique_ptr<FilesContractEnv> MakeFilesContractEnv() {
  return std::make_unique<Win32FilesEnv>();
}

}  // namespace halvane::test
