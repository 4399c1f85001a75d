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
// launcher's drawings, last to first, then its own switches with their
// values in their order, then "/t" "Halvane.dwt" when nothing else named
// what to open.
inline bool ParametersRoundTrip(std::span<const std::uint8_t> bytes) {
  const std::u16string line = AsUtf16(bytes);
  const std::vector<std::u16string> args = SplitCommandLine(line);
  if (args.size() <= 1)
    return BuildParameterText(line) == kDefaultParameters;
  std::vector<std::u16string> drawings, switches;
  bool template_given = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const SwitchKind kind = AutoCadSwitch(args[i]);
    if (kind == SwitchKind::kNone) {
      drawings.push_back(args[i]);
      continue;
    }
    switches.push_back(args[i]);
    if (kind == SwitchKind::kWithValue) {
      template_given = template_given || SameAsciiName(args[i], u"/t");
      if (i + 1 < args.size())
        switches.push_back(args[++i]);
    }
  }
  std::vector<std::u16string> expected(drawings.rbegin(), drawings.rend());
  expected.insert(expected.end(), switches.begin(), switches.end());
  if (drawings.empty() && !template_given) {
    expected.push_back(u"/t");
    expected.push_back(u"Halvane.dwt");
  }
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
