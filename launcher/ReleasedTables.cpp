#include "launcher/ReleasedTables.h"

#include <algorithm>

namespace halvane {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

}  // namespace

ReleasedTables ReleasedTables::Parse(std::string_view text) {
  ReleasedTables list;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    // 64 digits, two spaces, a name.
    if (line.size() <= 66 || line[64] != ' ' || line[65] != ' ')
      continue;
    Sha256Digest digest{};
    bool hex = true;
    for (std::size_t i = 0; i < digest.size() && hex; ++i) {
      const int high = HexValue(line[2 * i]), low = HexValue(line[2 * i + 1]);
      hex = high >= 0 && low >= 0;
      digest[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    if (!hex)
      continue;
    // The tables' names are ASCII; a byte outside it matches no table.
    const std::string_view name = line.substr(66);
    list.entries_.emplace_back(std::u16string(name.begin(), name.end()), digest);
  }
  return list;
}

bool ReleasedTables::Lists(std::u16string_view table, const Sha256Digest& digest) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const auto& entry) {
    return entry.second == digest && SameAsciiName(entry.first, table);
  });
}

}  // namespace halvane
