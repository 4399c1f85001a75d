// The registry backend over advapi32.
#pragma once

#include "platform/Registry.h"

namespace halvane::win32 {

class Win32Registry : public RegistryBackend {
 public:
  OpenedKey Open(RootKey root, std::u16string_view path, std::uint32_t access) override;
  OpenedKey Create(RootKey root, std::u16string_view path, std::uint32_t access) override;
};

}  // namespace halvane::win32
