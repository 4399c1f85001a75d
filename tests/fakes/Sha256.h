// SHA-256 (FIPS 180-4) of bytes in memory, for the fake file system: the
// contract cases hold it and Windows' CNG to the same known vectors.
#pragma once

#include <string>
#include <string_view>

#include "platform/Files.h"

namespace halvane::test {

Sha256Digest Sha256Of(std::string_view bytes);
// The digest as sha256sum writes it: 64 lower-case hexadecimal digits.
std::string Sha256Hex(const Sha256Digest& digest);

}  // namespace halvane::test
