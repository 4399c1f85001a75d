// The tables that releases of the add-on shipped, by their SHA-256 digests:
// a copy in a plot-style folder that is byte for byte one of them is the
// add-on's own and may be brought up to date; anything else is the user's.
// The installation's "Plot Styles\released.sha256" lists them in the format
// of sha256sum: 64 hexadecimal digits (either case), two spaces, the
// table's file name; each release keeps the earlier lines and adds its own.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Files.h"

namespace halvane {

inline constexpr std::u16string_view kReleasedTablesName = u"released.sha256";

class ReleasedTables {
 public:
  ReleasedTables() = default;
  // Lines end in LF or CRLF; a line not of the form above is passed over.
  static ReleasedTables Parse(std::string_view text);
  // Whether `digest` is listed under the name `table` (compared without
  // regard to case).
  bool Lists(std::u16string_view table, const Sha256Digest& digest) const;

 private:
  std::vector<std::pair<std::u16string, Sha256Digest>> entries_;
};

}  // namespace halvane
