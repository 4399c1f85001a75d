#include "platform/Registry.h"

#include <utility>

namespace halvane {
namespace {

std::u16string Format(std::u16string_view pattern, std::u16string_view name) {
  std::u16string text(pattern);
  text.replace(text.find(u"%s"), 2, name);
  return text;
}

[[noreturn]] void Raise(std::u16string_view pattern, std::u16string_view name) {
  throw ERegistryException(Format(pattern, name));
}

constexpr std::u16string_view kInvalidType = u"'%s' のデータ型が不正です";
constexpr std::u16string_view kReadFailed = u"'%s' の取得に失敗しました";
constexpr std::u16string_view kWriteFailed = u"'%s' の設定に失敗しました";

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz;
}

}  // namespace

std::u16string DecodeRegistryString(std::span<const std::uint8_t> data) {
  std::u16string text;
  text.reserve(data.size() / 2);
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == u'\0')
      break;
    text.push_back(c);
  }
  return text;
}

std::vector<std::uint8_t> EncodeRegistryString(std::u16string_view text) {
  std::vector<std::uint8_t> data;
  data.reserve((text.size() + 1) * 2);
  for (const char16_t c : text) {
    data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    data.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  data.push_back(0);
  data.push_back(0);
  return data;
}

TRegistry::TRegistry(RegistryBackend& backend, std::uint32_t view)
    : backend_(backend), view_(view & kKeyWow64Mask) {}

TRegistry::~TRegistry() {
  CloseKey();
}

void TRegistry::SetRootKey(RootKey root) {
  if (root == root_)
    return;
  CloseKey();
  root_ = root;
}

bool TRegistry::OpenWith(std::u16string_view key, std::uint32_t access, bool create) {
  // A leading "\" means "from the root"; anything else is relative to the
  // open key, if there is one.
  const bool from_root = !key.empty() && key.front() == u'\\';
  const std::u16string_view path = from_root ? key.substr(1) : key;
  const RegistryKey* base = from_root ? nullptr : current_.get();
  access |= view_;
  OpenedKey opened =
      base ? (create ? base->Create(path, access) : base->Open(path, access))
           : (create ? backend_.Create(root_, path, access) : backend_.Open(root_, path, access));
  // A key that does not open is a quiet false, whatever the status.
  if (opened.status != kRegistrySuccess || !opened.key)
    return false;
  current_ = std::move(opened.key);
  return true;
}

bool TRegistry::OpenKey(std::u16string_view key, bool can_create) {
  return OpenWith(key, access_, can_create);
}

bool TRegistry::OpenKeyReadOnly(std::u16string_view key) {
  // Users who may only query values still get the key.
  return OpenWith(key, kKeyRead, false) || OpenWith(key, kKeyQueryValue, false);
}

namespace {

// A string value read in the two steps Windows needs: its size, then its
// data. What went wrong is carried for the caller to raise or pass over.
// A value of another type without data reads as empty text, and raises
// nothing, as it always has.
enum class StringRead { kRead, kNone, kEmptyOfAnotherType, kInvalidType, kFailed };

StringRead ReadStringValue(const RegistryKey& key, std::u16string_view name, std::u16string& text) {
  text.clear();
  const ValueQuery info = key.Query(name, {});
  if (info.status != kRegistrySuccess && info.status != kRegistryMoreData)
    return StringRead::kNone;
  if (!IsStringType(info.type))
    return info.size == 0 ? StringRead::kEmptyOfAnotherType : StringRead::kInvalidType;
  if (info.size == 0)
    return StringRead::kRead;
  std::vector<std::uint8_t> buffer(info.size);
  const ValueQuery read = key.Query(name, buffer);
  if (read.status != kRegistrySuccess)
    return StringRead::kFailed;
  if (!IsStringType(read.type))
    return StringRead::kInvalidType;
  const std::size_t size = read.size < buffer.size() ? read.size : buffer.size();
  text = DecodeRegistryString(std::span(buffer).first(size));
  return StringRead::kRead;
}

}  // namespace

std::u16string TRegistry::ReadString(std::u16string_view name) {
  std::u16string text;
  if (!current_)
    return text;
  switch (ReadStringValue(*current_, name, text)) {
    case StringRead::kInvalidType:
      Raise(kInvalidType, name);
    case StringRead::kFailed:
      Raise(kReadFailed, name);
    case StringRead::kNone:
    case StringRead::kEmptyOfAnotherType:
    case StringRead::kRead:
      break;
  }
  return text;
}

std::optional<std::u16string> TRegistry::TryReadString(std::u16string_view name) {
  std::u16string text;
  if (!current_ || ReadStringValue(*current_, name, text) != StringRead::kRead)
    return std::nullopt;
  return text;
}

std::vector<std::u16string> TRegistry::GetKeyNames() {
  std::vector<std::u16string> names;
  if (!current_)
    return names;
  for (std::uint32_t index = 0;; ++index) {
    SubKeyName sub = current_->EnumKey(index);
    if (sub.status != kRegistrySuccess)
      break;
    names.push_back(std::move(sub.name));
  }
  return names;
}

std::uint32_t TRegistry::GetDataType(std::u16string_view name) {
  if (!current_)
    return kRegNone;
  const ValueQuery info = current_->Query(name, {});
  if (info.status != kRegistrySuccess && info.status != kRegistryMoreData)
    return kRegNone;
  return info.type;
}

void TRegistry::WriteString(std::u16string_view name, std::u16string_view value) {
  const std::vector<std::uint8_t> data = EncodeRegistryString(value);
  if (!current_ || current_->Set(name, kRegSz, data) != kRegistrySuccess)
    Raise(kWriteFailed, name);
}

void TRegistry::CloseKey() {
  current_.reset();
}

}  // namespace halvane
