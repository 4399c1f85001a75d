#include "platform/win32/Win32Registry.h"

#include <iterator>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace halvane::win32 {
namespace {

OpenedKey OpenBelow(HKEY base, std::u16string_view path, std::uint32_t access);
OpenedKey CreateBelow(HKEY base, std::u16string_view path, std::uint32_t access);

// An open key; every call gives back its status as Windows returned it.
class Key : public RegistryKey {
 public:
  explicit Key(UniqueHKey key) : key_(std::move(key)) {}

  OpenedKey Open(std::u16string_view path, std::uint32_t access) const override {
    return OpenBelow(key_.Get(), path, access);
  }
  OpenedKey Create(std::u16string_view path, std::uint32_t access) const override {
    return CreateBelow(key_.Get(), path, access);
  }
  ValueQuery Query(std::u16string_view name, std::span<std::uint8_t> buffer) const override {
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(buffer.size());
    const LSTATUS status = RegQueryValueExW(key_.Get(), Wide(name).c_str(), nullptr, &type,
                                            buffer.empty() ? nullptr : buffer.data(), &size);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
      return {status, REG_NONE, 0};
    return {status, type, size};
  }
  SubKeyName EnumKey(std::uint32_t index) const override {
    // A key's name has at most 255 characters.
    wchar_t name[256];
    DWORD length = static_cast<DWORD>(std::size(name));
    const LSTATUS status =
        RegEnumKeyExW(key_.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS)
      return {status, {}};
    return {status, Utf16(std::wstring_view(name, length))};
  }
  RegistryStatus Set(std::u16string_view name,
                     std::uint32_t type,
                     std::span<const std::uint8_t> data) override {
    return RegSetValueExW(key_.Get(), Wide(name).c_str(), 0, type, data.data(),
                          static_cast<DWORD>(data.size()));
  }

 private:
  UniqueHKey key_;
};

OpenedKey OpenBelow(HKEY base, std::u16string_view path, std::uint32_t access) {
  UniqueHKey key;
  const LSTATUS status = RegOpenKeyExW(base, Wide(path).c_str(), 0, access, key.Put());
  if (status != ERROR_SUCCESS)
    return {status, nullptr};
  return {status, std::make_unique<Key>(std::move(key))};
}

OpenedKey CreateBelow(HKEY base, std::u16string_view path, std::uint32_t access) {
  UniqueHKey key;
  const LSTATUS status =
      RegCreateKeyExW(base, Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                      nullptr, key.Put(), nullptr);
  if (status != ERROR_SUCCESS)
    return {status, nullptr};
  return {status, std::make_unique<Key>(std::move(key))};
}

HKEY RootOf(RootKey root) {
  return root == RootKey::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

}  // namespace

OpenedKey Win32Registry::Open(RootKey root, std::u16string_view path, std::uint32_t access) {
  return OpenBelow(RootOf(root), path, access);
}

OpenedKey Win32Registry::Create(RootKey root, std::u16string_view path, std::uint32_t access) {
  return CreateBelow(RootOf(root), path, access);
}

}  // namespace halvane::win32
