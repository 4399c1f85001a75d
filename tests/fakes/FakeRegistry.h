// An in-memory registry that behaves as Windows does for a 32-bit process on
// 64-bit Windows: HKEY_LOCAL_MACHINE\Software is redirected to its
// Wow6432Node unless the 64-bit view is asked for. Test set-up addresses keys
// by their physical path.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace halvane::test {

class FakeRegistry : public RegistryBackend {
 public:
  struct Value {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
  };

  FakeRegistry();
  ~FakeRegistry() override;

  OpenedKey Open(RootKey root, std::u16string_view path, std::uint32_t access) override;
  OpenedKey Create(RootKey root, std::u16string_view path, std::uint32_t access) override;

  // Set-up and inspection, by physical path (no leading "\").
  void PutKey(RootKey root, std::u16string_view path);
  void PutValue(RootKey root,
                std::u16string_view path,
                std::u16string_view name,
                std::uint32_t type,
                std::vector<std::uint8_t> data);
  void PutString(RootKey root,
                 std::u16string_view path,
                 std::u16string_view name,
                 std::u16string_view text);
  // The key may be read but not written: openers asking for more than read
  // access are refused, as an access-control list would refuse them.
  void MakeReadOnly(RootKey root, std::u16string_view path);
  // The key grants only the query of values: openers asking for more
  // (KEY_READ's enumeration and notification included) are refused.
  void MakeQueryOnly(RootKey root, std::u16string_view path);
  bool HasKey(RootKey root, std::u16string_view path) const;
  const Value* GetValue(RootKey root, std::u16string_view path, std::u16string_view name) const;
  std::size_t ValueCount(RootKey root, std::u16string_view path) const;

  int OpenKeys() const { return open_keys_; }
  int KeysOpened() const { return keys_opened_; }
  // Every value write asked for, whether it succeeded or not.
  int Sets() const { return sets_; }
  // Faults: return true to make that call fail.
  std::function<bool(std::u16string_view path)> fail_open;
  std::function<bool(std::u16string_view name)> fail_set;
  std::function<bool(std::u16string_view name)> fail_read_data;
  // Runs between a value's size query and its data query.
  std::function<void(std::u16string_view name)> between_size_and_data;

  struct Node;

 private:
  class Key;
  Node* Find(RootKey root, const std::vector<std::u16string>& parts) const;
  // `path` below the key of `base` (a path from the root: empty for the root).
  OpenedKey OpenOrCreate(RootKey root,
                         std::vector<std::u16string> base,
                         std::u16string_view path,
                         std::uint32_t access,
                         bool create);

  std::unique_ptr<Node> current_user_;
  std::unique_ptr<Node> local_machine_;
  int open_keys_ = 0;
  int keys_opened_ = 0;
  int sets_ = 0;
};

}  // namespace halvane::test
