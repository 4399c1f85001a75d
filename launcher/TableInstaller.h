// Bringing the add-on's plot-style tables into a plot-style folder without
// ever losing a user's table or leaving a broken one: a missing table is
// added, an earlier release's copy is brought up to date, anything else is
// kept. Every copy is made under a temporary name beside its target and
// renamed into place once whole, so a table under its own name is always
// whole. Failures change nothing for the launch and are passed over.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "launcher/ReleasedTables.h"
#include "platform/Files.h"

namespace halvane {

// What a copy in progress is called beside its target; one left by a start
// that was ended mid-copy is removed by the next.
inline constexpr std::u16string_view kTemporarySuffix = u".halvane-new";

class TableInstaller {
 public:
  // `source_folder`: the installation's "Plot Styles".
  TableInstaller(FileSystem& files, std::u16string source_folder);
  void Install(std::u16string_view folder, std::u16string_view table);

 private:
  struct Source {
    std::optional<FileStamp> stamp;
    std::optional<Sha256Digest> digest;
    bool digest_known = false;
  };
  Source& SourceOf(std::u16string_view table);
  const std::optional<Sha256Digest>& CurrentDigest(std::u16string_view table);
  const ReleasedTables& Released();
  void CopyInto(const std::u16string& source, const std::u16string& target, bool replace);

  FileSystem& files_;
  std::u16string source_folder_;
  std::map<std::u16string, Source> sources_;  // read once per start, when needed
  std::optional<ReleasedTables> released_;
};

}  // namespace halvane
