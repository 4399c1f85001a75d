#include "launcher/TableInstaller.h"

#include <utility>

namespace halvane {
namespace {

// The list is a few lines per release; anything larger is not the list.
constexpr std::size_t kReleasedListLimit = 1024 * 1024;

}  // namespace

TableInstaller::TableInstaller(FileSystem& files, std::u16string source_folder)
    : files_(files), source_folder_(std::move(source_folder)) {}

TableInstaller::Source& TableInstaller::SourceOf(std::u16string_view table) {
  auto [it, added] = sources_.try_emplace(std::u16string(table));
  if (added)
    it->second.stamp = files_.Stamp(source_folder_ + u"\\" + it->first);
  return it->second;
}

const std::optional<Sha256Digest>& TableInstaller::CurrentDigest(std::u16string_view table) {
  Source& source = SourceOf(table);
  if (!source.digest_known) {
    source.digest = files_.Sha256(source_folder_ + u"\\" + std::u16string(table));
    source.digest_known = true;
  }
  return source.digest;
}

const ReleasedTables& TableInstaller::Released() {
  if (!released_) {
    const std::optional<std::string> text = files_.ReadSmallFile(
        source_folder_ + u"\\" + std::u16string(kReleasedTablesName), kReleasedListLimit);
    released_ = text ? ReleasedTables::Parse(*text) : ReleasedTables();
  }
  return *released_;
}

void TableInstaller::Install(std::u16string_view folder, std::u16string_view table) {
  const std::u16string target = std::u16string(folder) + u"\\" + std::u16string(table);
  const std::u16string source = source_folder_ + u"\\" + std::u16string(table);
  const std::u16string temporary = target + std::u16string(kTemporarySuffix);
  if (files_.FileExists(temporary))
    files_.Delete(temporary);

  const std::optional<FileStamp> stamp = files_.Stamp(target);
  if (!stamp) {
    CopyInto(source, target, /*replace=*/false);
    return;
  }
  // The usual case: the copy is the current table. A copy keeps its
  // source's size and last-write time, so neither file need be read.
  const Source& current = SourceOf(table);
  if (current.stamp && *stamp == *current.stamp)
    return;
  const std::optional<Sha256Digest> digest = files_.Sha256(target);
  const std::optional<Sha256Digest>& current_digest = CurrentDigest(table);
  if (!digest || !current_digest || *digest == *current_digest)
    return;
  // Byte for byte a table some release shipped: the add-on's own, brought
  // up to date. Anything else is the user's and stays.
  if (Released().Lists(table, *digest))
    CopyInto(source, target, /*replace=*/true);
}

void TableInstaller::CopyInto(const std::u16string& source,
                              const std::u16string& target,
                              bool replace) {
  // Whole under the temporary name first, then renamed in one step; on any
  // failure the temporary goes and the target is as it was.
  const std::u16string temporary = target + std::u16string(kTemporarySuffix);
  if (!files_.Copy(source, temporary, /*fail_if_exists=*/false)) {
    files_.Delete(temporary);
    return;
  }
  if (files_.Move(temporary, target, replace) != 0)
    files_.Delete(temporary);
}

}  // namespace halvane
