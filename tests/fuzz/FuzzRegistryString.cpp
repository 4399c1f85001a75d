// libFuzzer target: decoding registry string data.
#include <cstdlib>

#include "tests/fuzz/Properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!halvane::test::RegistryStringDecodes({data, size}))
    std::abort();
  return 0;
}
