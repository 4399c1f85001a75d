#include "tests/fakes/FakeRegistry.h"

#include <algorithm>
#include <iterator>

namespace halvane::test {
namespace {

// A letter as Windows' uppercase table gives it, for the scripts whose
// letters have case and that names here use: Latin (with Latin-1), Greek,
// Cyrillic and the full-width Latin letters. No letter becomes two ("ß"
// stays), as in Windows.
char16_t Upper(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
      (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F) ||
      (c >= 0xFF41 && c <= 0xFF5A)) {
    return static_cast<char16_t>(c - 0x20);
  }
  if (c == 0xFF)
    return 0x178;
  if (c == 0x3C2)
    return 0x3A3;
  if (c >= 0x450 && c <= 0x45F)
    return static_cast<char16_t>(c - 0x50);
  return c;
}

std::u16string Fold(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& c : folded)
    c = Upper(c);
  return folded;
}

std::vector<std::u16string> Split(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos)
      end = path.size();
    if (end > start)
      parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

constexpr std::uint32_t kWriteRights = kKeyAllAccess & ~kKeyRead;

}  // namespace

struct FakeRegistry::Node {
  // By folded name, so in Windows' order of enumeration.
  std::map<std::u16string, std::unique_ptr<Node>> children;
  std::u16string name;  // as it was first given
  std::map<std::u16string, Value> values;
  bool read_only = false;
  bool query_only = false;
};

// An open key: its operations reach the owner's tree and its faults.
class FakeRegistry::Key : public RegistryKey {
 public:
  Key(FakeRegistry& owner,
      RootKey root,
      std::vector<std::u16string> parts,
      Node* node,
      bool writable,
      bool listable)
      : owner_(owner),
        root_(root),
        parts_(std::move(parts)),
        node_(node),
        writable_(writable),
        listable_(listable) {
    ++owner_.open_keys_;
    ++owner_.keys_opened_;
  }
  ~Key() override { --owner_.open_keys_; }

  OpenedKey Open(std::u16string_view path, std::uint32_t access) const override {
    return owner_.OpenOrCreate(root_, parts_, path, access, false);
  }
  OpenedKey Create(std::u16string_view path, std::uint32_t access) const override {
    return owner_.OpenOrCreate(root_, parts_, path, access, true);
  }
  ValueQuery Query(std::u16string_view name, std::span<std::uint8_t> buffer) const override;
  SubKeyName EnumKey(std::uint32_t index) const override;
  RegistryStatus Set(std::u16string_view name,
                     std::uint32_t type,
                     std::span<const std::uint8_t> data) override;

 private:
  FakeRegistry& owner_;
  RootKey root_;
  std::vector<std::u16string> parts_;
  Node* node_;
  bool writable_;
  bool listable_;  // opened with the right to list its sub-keys
};

FakeRegistry::FakeRegistry()
    : current_user_(std::make_unique<Node>()), local_machine_(std::make_unique<Node>()) {}
FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Node* FakeRegistry::Find(RootKey root,
                                       const std::vector<std::u16string>& parts) const {
  Node* node = root == RootKey::CurrentUser ? current_user_.get() : local_machine_.get();
  for (const std::u16string& part : parts) {
    auto it = node->children.find(Fold(part));
    if (it == node->children.end())
      return nullptr;
    node = it->second.get();
  }
  return node;
}

OpenedKey FakeRegistry::OpenOrCreate(RootKey root,
                                     std::vector<std::u16string> base,
                                     std::u16string_view path,
                                     std::uint32_t access,
                                     bool create) {
  const bool from_root = base.empty();
  std::vector<std::u16string> parts = std::move(base);
  for (std::u16string& part : Split(path))
    parts.push_back(std::move(part));

  // A 32-bit process sees HKLM\Software\Wow6432Node as HKLM\Software.
  if (from_root && root == RootKey::LocalMachine && !(access & kKeyWow64_64Key) && !parts.empty() &&
      Fold(parts[0]) == u"SOFTWARE" && (parts.size() < 2 || Fold(parts[1]) != u"WOW6432NODE")) {
    parts.insert(parts.begin() + 1, u"Wow6432Node");
  }

  std::u16string joined;
  for (const auto& part : parts)
    joined += part + u"\\";
  if (fail_open && fail_open(joined))
    return {kRegistryAccessDenied, nullptr};

  const bool wants_write = (access & kWriteRights) != 0;
  Node* node = root == RootKey::CurrentUser ? current_user_.get() : local_machine_.get();
  for (const std::u16string& part : parts) {
    auto it = node->children.find(Fold(part));
    if (it == node->children.end()) {
      if (!create)
        return {kRegistryNotFound, nullptr};
      if (node->read_only)
        return {kRegistryAccessDenied, nullptr};
      it = node->children.emplace(Fold(part), std::make_unique<Node>()).first;
      it->second->name = part;
    }
    node = it->second.get();
  }
  if (wants_write && node->read_only)
    return {kRegistryAccessDenied, nullptr};
  if (node->query_only && (access & ~kKeyWow64Mask & ~kKeyQueryValue) != 0)
    return {kRegistryAccessDenied, nullptr};
  return {kRegistrySuccess, std::make_unique<Key>(*this, root, std::move(parts), node, wants_write,
                                                  (access & kKeyEnumerateSubKeys) != 0)};
}

OpenedKey FakeRegistry::Open(RootKey root, std::u16string_view path, std::uint32_t access) {
  return OpenOrCreate(root, {}, path, access, false);
}

OpenedKey FakeRegistry::Create(RootKey root, std::u16string_view path, std::uint32_t access) {
  return OpenOrCreate(root, {}, path, access, true);
}

ValueQuery FakeRegistry::Key::Query(std::u16string_view name,
                                    std::span<std::uint8_t> buffer) const {
  auto it = node_->values.find(Fold(name));
  if (it == node_->values.end())
    return {kRegistryNotFound, kRegNone, 0};
  if (buffer.empty()) {
    const ValueQuery info{kRegistrySuccess, it->second.type,
                          static_cast<std::uint32_t>(it->second.data.size())};
    if (owner_.between_size_and_data)
      owner_.between_size_and_data(name);
    return info;
  }
  if (owner_.fail_read_data && owner_.fail_read_data(name))
    return {kRegistryAccessDenied, kRegNone, 0};
  it = node_->values.find(Fold(name));
  if (it == node_->values.end())
    return {kRegistryNotFound, kRegNone, 0};
  const Value& value = it->second;
  const auto size = static_cast<std::uint32_t>(value.data.size());
  if (buffer.size() < value.data.size())
    return {kRegistryMoreData, value.type, size};
  std::copy(value.data.begin(), value.data.end(), buffer.begin());
  return {kRegistrySuccess, value.type, size};
}

SubKeyName FakeRegistry::Key::EnumKey(std::uint32_t index) const {
  if (!listable_)
    return {kRegistryAccessDenied, {}};
  if (index >= node_->children.size())
    return {kRegistryNoMoreItems, {}};
  auto it = node_->children.begin();
  std::advance(it, index);
  return {kRegistrySuccess, it->second->name};
}

RegistryStatus FakeRegistry::Key::Set(std::u16string_view name,
                                      std::uint32_t type,
                                      std::span<const std::uint8_t> data) {
  ++owner_.sets_;
  if (!writable_ || (owner_.fail_set && owner_.fail_set(name)))
    return kRegistryAccessDenied;
  node_->values[Fold(name)] = Value{type, {data.begin(), data.end()}};
  return kRegistrySuccess;
}

void FakeRegistry::PutKey(RootKey root, std::u16string_view path) {
  Node* node = root == RootKey::CurrentUser ? current_user_.get() : local_machine_.get();
  for (const std::u16string& part : Split(path)) {
    auto& child = node->children[Fold(part)];
    if (!child) {
      child = std::make_unique<Node>();
      child->name = part;
    }
    node = child.get();
  }
}

void FakeRegistry::PutValue(RootKey root,
                            std::u16string_view path,
                            std::u16string_view name,
                            std::uint32_t type,
                            std::vector<std::uint8_t> data) {
  PutKey(root, path);
  Find(root, Split(path))->values[Fold(name)] = Value{type, std::move(data)};
}

void FakeRegistry::PutString(RootKey root,
                             std::u16string_view path,
                             std::u16string_view name,
                             std::u16string_view text) {
  PutValue(root, path, name, kRegSz, EncodeRegistryString(text));
}

void FakeRegistry::MakeReadOnly(RootKey root, std::u16string_view path) {
  PutKey(root, path);
  Find(root, Split(path))->read_only = true;
}

void FakeRegistry::MakeQueryOnly(RootKey root, std::u16string_view path) {
  MakeReadOnly(root, path);
  Find(root, Split(path))->query_only = true;
}

bool FakeRegistry::HasKey(RootKey root, std::u16string_view path) const {
  return Find(root, Split(path)) != nullptr;
}

const FakeRegistry::Value* FakeRegistry::GetValue(RootKey root,
                                                  std::u16string_view path,
                                                  std::u16string_view name) const {
  const Node* node = Find(root, Split(path));
  if (!node)
    return nullptr;
  auto it = node->values.find(Fold(name));
  return it == node->values.end() ? nullptr : &it->second;
}

std::size_t FakeRegistry::ValueCount(RootKey root, std::u16string_view path) const {
  const Node* node = Find(root, Split(path));
  return node ? node->values.size() : 0;
}

}  // namespace halvane::test
