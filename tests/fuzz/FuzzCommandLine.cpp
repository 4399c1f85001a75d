// libFuzzer target: the launcher's argument splitting and AutoCAD's parameter text.
#include <cstdlib>

#include "tests/fuzz/Properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!halvane::test::ParametersRoundTrip({data, size}))
    std::abort();
  return 0;
}
