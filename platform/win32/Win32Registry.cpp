#include "platform/win32/Win32Registry.h"

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace halvane::win32 {
namespace {

class Key : public RegistryKey {
 public:
  explicit Key(UniqueHKey key) : key_(std::move(key)) {}
  HKEY Get() const { return key_.Get(); }

 private:
  UniqueHKey key_;
};

HKEY Base(RootKey root, const RegistryKey* base) {
  if (base)
    return static_cast<const Key&>(*base).Get();
  return root == RootKey::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

}  // namespace

RegistryKeyPtr Win32Registry::Open(RootKey root,
                                   const RegistryKey* base,
                                   std::u16string_view path,
                                   std::uint32_t access) {
  UniqueHKey key;
  if (RegOpenKeyExW(Base(root, base), Wide(path).c_str(), 0, access, key.Put()) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Key>(std::move(key));
}

RegistryKeyPtr Win32Registry::Create(RootKey root,
                                     const RegistryKey* base,
                                     std::u16string_view path,
                                     std::uint32_t access) {
  UniqueHKey key;
  if (RegCreateKeyExW(Base(root, base), Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      access, nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Key>(std::move(key));
}

ValueQuery Win32Registry::Query(const RegistryKey& key,
                                std::u16string_view name,
                                std::span<std::uint8_t> buffer) {
  DWORD type = REG_NONE;
  DWORD size = static_cast<DWORD>(buffer.size());
  const LSTATUS status =
      RegQueryValueExW(static_cast<const Key&>(key).Get(), Wide(name).c_str(), nullptr, &type,
                       buffer.empty() ? nullptr : buffer.data(), &size);
  switch (status) {
    case ERROR_SUCCESS:
      return {RegStatus::kOk, type, size};
    case ERROR_FILE_NOT_FOUND:
      return {RegStatus::kNotFound, REG_NONE, 0};
    case ERROR_MORE_DATA:
      return {RegStatus::kMoreData, type, size};
    default:
      return {RegStatus::kFailed, REG_NONE, 0};
  }
}

bool Win32Registry::Set(const RegistryKey& key,
                        std::u16string_view name,
                        std::uint32_t type,
                        std::span<const std::uint8_t> data) {
  return RegSetValueExW(static_cast<const Key&>(key).Get(), Wide(name).c_str(), 0, type,
                        data.data(), static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

}  // namespace halvane::win32
