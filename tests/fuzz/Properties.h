// The properties the fuzz targets check, shared with the native tests that
// replay the corpus the fuzzers found.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "launcher/ParameterText.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "tests/fakes/MicrosoftArgs.h"

namespace halvane::test {

inline std::u16string AsUtf16(std::span<const std::uint8_t> bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return text;
}

// AutoCAD, parsing its parameters the Microsoft way, gets back exactly the
// launcher's arguments, last to first.
inline bool ParametersRoundTrip(std::span<const std::uint8_t> bytes) {
  const std::u16string line = AsUtf16(bytes);
  const std::vector<std::u16string> args = SplitCommandLine(line);
  std::vector<std::u16string> expected(args.begin() + 1, args.end());
  std::reverse(expected.begin(), expected.end());
  if (expected.empty())
    return BuildParameterText(line) == kDefaultParameters;
  return MicrosoftSplit(BuildParameterText(line)) == expected;
}

// Decoding stays inside the data, stops at the first zero, and reverses
// encoding.
inline bool RegistryStringDecodes(std::span<const std::uint8_t> bytes) {
  const std::u16string text = DecodeRegistryString(bytes);
  if (text.size() > bytes.size() / 2)
    return false;
  if (text.find(u'\0') != std::u16string::npos)
    return false;
  if (AsUtf16(bytes).substr(0, text.size()) != text)
    return false;
  return DecodeRegistryString(EncodeRegistryString(text)) == text;
}

}  // namespace halvane::test
