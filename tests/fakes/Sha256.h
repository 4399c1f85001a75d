// SHA-256 (FIPS 180-4) of bytes in memory, for the fake file system: the
// contract cases hold it and Windows' CNG to the same known vectors.
#pragma once

#include <string_view>

#include "platform/Files.h"

namespace halvane::test {

Sha256Digest Sha256Of(std::string_view bytes);

}  // namespace halvane::test
