// The registry backend over advapi32.
#pragma once

#include "platform/Registry.h"

namespace halvane::win32 {

class Win32Registry : public RegistryBackend {
 public:
  RegistryKeyPtr Open(RootKey root,
                      const RegistryKey* base,
                      std::u16string_view path,
                      std::uint32_t access) override;
  RegistryKeyPtr Create(RootKey root,
                        const RegistryKey* base,
                        std::u16string_view path,
                        std::uint32_t access) override;
  ValueQuery Query(const RegistryKey& key,
                   std::u16string_view name,
                   std::span<std::uint8_t> buffer) override;
  bool Set(const RegistryKey& key,
           std::u16string_view name,
           std::uint32_t type,
           std::span<const std::uint8_t> data) override;
};

}  // namespace halvane::win32
