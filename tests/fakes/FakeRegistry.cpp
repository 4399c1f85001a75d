#include "tests/fakes/FakeRegistry.h"

#include <algorithm>

namespace halvane::test {
namespace {

std::u16string Fold(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& c : folded) {
    if (c >= u'a' && c <= u'z')
      c = static_cast<char16_t>(c - u'a' + u'A');
  }
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
  std::map<std::u16string, std::unique_ptr<Node>> children;
  std::map<std::u16string, Value> values;
  bool read_only = false;
  bool query_only = false;
};

class FakeRegistry::Key : public RegistryKey {
 public:
  Key(FakeRegistry& owner,
      RootKey root,
      std::vector<std::u16string> parts,
      Node* node,
      bool writable)
      : owner_(owner), root(root), parts(std::move(parts)), node(node), writable(writable) {
    ++owner_.open_keys_;
    ++owner_.keys_opened_;
  }
  ~Key() override { --owner_.open_keys_; }

 private:
  FakeRegistry& owner_;

 public:
  RootKey root;
  std::vector<std::u16string> parts;
  Node* node;
  bool writable;
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

RegistryKeyPtr FakeRegistry::OpenOrCreate(RootKey root,
                                          const RegistryKey* base,
                                          std::u16string_view path,
                                          std::uint32_t access,
                                          bool create) {
  std::vector<std::u16string> parts;
  if (base) {
    const auto& key = static_cast<const Key&>(*base);
    root = key.root;
    parts = key.parts;
  }
  for (std::u16string& part : Split(path))
    parts.push_back(std::move(part));

  // A 32-bit process sees HKLM\Software\Wow6432Node as HKLM\Software.
  if (!base && root == RootKey::LocalMachine && !(access & kKeyWow64_64Key) && !parts.empty() &&
      Fold(parts[0]) == u"SOFTWARE" && (parts.size() < 2 || Fold(parts[1]) != u"WOW6432NODE")) {
    parts.insert(parts.begin() + 1, u"Wow6432Node");
  }

  std::u16string joined;
  for (const auto& part : parts)
    joined += part + u"\\";
  if (fail_open && fail_open(joined))
    return nullptr;

  const bool wants_write = (access & kWriteRights) != 0;
  Node* node = root == RootKey::CurrentUser ? current_user_.get() : local_machine_.get();
  for (const std::u16string& part : parts) {
    auto it = node->children.find(Fold(part));
    if (it == node->children.end()) {
      if (!create || node->read_only)
        return nullptr;
      it = node->children.emplace(Fold(part), std::make_unique<Node>()).first;
    }
    node = it->second.get();
  }
  if (wants_write && node->read_only)
    return nullptr;
  if (node->query_only && (access & ~kKeyWow64Mask & ~kKeyQueryValue) != 0)
    return nullptr;
  return std::make_unique<Key>(*this, root, std::move(parts), node, wants_write);
}

RegistryKeyPtr FakeRegistry::Open(RootKey root,
                                  const RegistryKey* base,
                                  std::u16string_view path,
                                  std::uint32_t access) {
  return OpenOrCreate(root, base, path, access, false);
}

RegistryKeyPtr FakeRegistry::Create(RootKey root,
                                    const RegistryKey* base,
                                    std::u16string_view path,
                                    std::uint32_t access) {
  return OpenOrCreate(root, base, path, access, true);
}

ValueQuery FakeRegistry::Query(const RegistryKey& key,
                               std::u16string_view name,
                               std::span<std::uint8_t> buffer) {
  const Node* node = static_cast<const Key&>(key).node;
  auto it = node->values.find(Fold(name));
  if (it == node->values.end())
    return {RegStatus::kNotFound, kRegNone, 0};
  if (buffer.empty()) {
    const ValueQuery info{RegStatus::kOk, it->second.type,
                          static_cast<std::uint32_t>(it->second.data.size())};
    if (between_size_and_data)
      between_size_and_data(name);
    return info;
  }
  if (fail_read_data && fail_read_data(name))
    return {RegStatus::kFailed, kRegNone, 0};
  it = node->values.find(Fold(name));
  if (it == node->values.end())
    return {RegStatus::kNotFound, kRegNone, 0};
  const Value& value = it->second;
  const auto size = static_cast<std::uint32_t>(value.data.size());
  if (buffer.size() < value.data.size())
    return {RegStatus::kMoreData, value.type, size};
  std::copy(value.data.begin(), value.data.end(), buffer.begin());
  return {RegStatus::kOk, value.type, size};
}

bool FakeRegistry::Set(const RegistryKey& key,
                       std::u16string_view name,
                       std::uint32_t type,
                       std::span<const std::uint8_t> data) {
  const auto& fake_key = static_cast<const Key&>(key);
  ++sets_;
  if (!fake_key.writable || (fail_set && fail_set(name)))
    return false;
  fake_key.node->values[Fold(name)] = Value{type, {data.begin(), data.end()}};
  return true;
}

void FakeRegistry::PutKey(RootKey root, std::u16string_view path) {
  Node* node = root == RootKey::CurrentUser ? current_user_.get() : local_machine_.get();
  for (const std::u16string& part : Split(path)) {
    auto& child = node->children[Fold(part)];
    if (!child)
      child = std::make_unique<Node>();
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
