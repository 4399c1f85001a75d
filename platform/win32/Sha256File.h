// The SHA-256 digest of a file's bytes, through Windows' CNG.
#pragma once

#include <optional>
#include <string_view>

#include "platform/Files.h"

namespace halvane::win32 {

std::optional<Sha256Digest> Sha256OfFile(std::u16string_view name);

}  // namespace halvane::win32
