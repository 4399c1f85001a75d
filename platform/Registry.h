// The registry as the launcher sees it: TRegistry, a registry object with at
// most one open key, over a raw backend that the Win32 layer or a test fake
// provides. The semantics (path rule, access, string decoding, error texts)
// live here once, so every backend behaves the same.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace halvane {

enum class RootKey { CurrentUser, LocalMachine };

// Registry constants, with the values Windows gives them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;
inline constexpr std::uint32_t kKeyWow64Mask = kKeyWow64_64Key | kKeyWow64_32Key;

// The status of a registry call: Windows' own code (an LSTATUS), 0 for
// success.
using RegistryStatus = std::int32_t;
inline constexpr RegistryStatus kRegistrySuccess = 0;
inline constexpr RegistryStatus kRegistryNotFound = 2;       // ERROR_FILE_NOT_FOUND
inline constexpr RegistryStatus kRegistryAccessDenied = 5;   // ERROR_ACCESS_DENIED
inline constexpr RegistryStatus kRegistryMoreData = 234;     // ERROR_MORE_DATA
inline constexpr RegistryStatus kRegistryNoMoreItems = 259;  // ERROR_NO_MORE_ITEMS

class RegistryKey;
using RegistryKeyPtr = std::unique_ptr<RegistryKey>;

// What opening or creating a key gave: the key, or the status of the failure.
struct OpenedKey {
  RegistryStatus status = kRegistryNotFound;
  RegistryKeyPtr key;
};

// A sub-key's name by its index, or the status that ended the listing
// (kRegistryNoMoreItems past the last one).
struct SubKeyName {
  RegistryStatus status = kRegistryNoMoreItems;
  std::u16string name;
};

struct ValueQuery {
  RegistryStatus status = kRegistryNotFound;
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;  // bytes of data stored, or written into the buffer
};

// An open key of a backend, with the raw operations on it, one per Win32
// call the launcher needs. Destroying it closes the key.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Opens `path` below this key.
  virtual OpenedKey Open(std::u16string_view path, std::uint32_t access) const = 0;
  // Opens or creates `path` below this key, and every missing key above it.
  virtual OpenedKey Create(std::u16string_view path, std::uint32_t access) const = 0;
  // With an empty buffer: the value's type and size. With a buffer: its data.
  // The empty name is the key's default value.
  virtual ValueQuery Query(std::u16string_view name, std::span<std::uint8_t> buffer) const = 0;
  // The name of the sub-key at `index`, in the registry's own order.
  virtual SubKeyName EnumKey(std::uint32_t index) const = 0;
  virtual RegistryStatus Set(std::u16string_view name,
                             std::uint32_t type,
                             std::span<const std::uint8_t> data) = 0;
};

// The root keys of a registry: the Win32 one, or a test fake.
class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;
  // Opens `path` below `root`.
  virtual OpenedKey Open(RootKey root, std::u16string_view path, std::uint32_t access) = 0;
  // Opens or creates `path` below `root`, and every missing key above it.
  virtual OpenedKey Create(RootKey root, std::u16string_view path, std::uint32_t access) = 0;
};

class ERegistryException : public std::runtime_error {
 public:
  explicit ERegistryException(std::u16string message)
      : std::runtime_error("registry error"), message_(std::move(message)) {}
  const std::u16string& Message() const { return message_; }

 private:
  std::u16string message_;
};

class TRegistry {
 public:
  // `view` is added to every access mask (kKeyWow64_64Key, or 0 for the
  // process's own view).
  explicit TRegistry(RegistryBackend& backend, std::uint32_t view = 0);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  void SetRootKey(RootKey root);

  bool OpenKey(std::u16string_view key, bool can_create);
  bool OpenKeyReadOnly(std::u16string_view key);
  std::u16string ReadString(std::u16string_view name);
  // The text of a REG_SZ or REG_EXPAND_SZ value (unexpanded), or nothing
  // when there is none to be had: no open key, no such value, another type,
  // a failed read. Never raises: for data that is not the launcher's own.
  std::optional<std::u16string> TryReadString(std::u16string_view name);
  // The names of the open key's sub-keys, in the registry's order; as far as
  // the listing went when it fails (a key opened without the right to list).
  std::vector<std::u16string> GetKeyNames();
  // The type of a value of the open key (kRegSz, ...); kRegNone when there
  // is no such value or no open key.
  std::uint32_t GetDataType(std::u16string_view name);
  void WriteString(std::u16string_view name, std::u16string_view value);
  void CloseKey();

 private:
  bool OpenWith(std::u16string_view key, std::uint32_t access, bool create);

  RegistryBackend& backend_;
  std::uint32_t view_;
  std::uint32_t access_ = kKeyAllAccess;
  RootKey root_ = RootKey::CurrentUser;
  RegistryKeyPtr current_;
};

// Decodes REG_SZ data: UTF-16 up to the first zero or the end of the data; an
// odd last byte is not part of any character.
std::u16string DecodeRegistryString(std::span<const std::uint8_t> data);
// REG_SZ data of `text`: its characters and the terminating zero.
std::vector<std::uint8_t> EncodeRegistryString(std::u16string_view text);

}  // namespace halvane
