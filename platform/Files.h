// Files, folders and the command line: what the launcher asks of the file
// system, and the pure text rules it applies to paths and arguments.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvane {

inline constexpr int kCsidlAppData = 26;

// The sub-folders of a folder, by name, without "." and "..", in the order
// the file system gives them. `error` is the Windows error code that ended
// the listing early (a folder that does not exist gives 2 or 3), 0 when it
// ran to the end.
struct FolderListing {
  std::vector<std::u16string> names;
  std::uint32_t error = 0;
};

// A file's size and last-write time (100-ns units since 1601, as Windows
// keeps it). A copy keeps its source's last-write time.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t last_write = 0;
  bool operator==(const FileStamp&) const = default;
};

using Sha256Digest = std::array<std::uint8_t, 32>;

// A watch on one folder (not its subtree) for names made, removed or renamed
// in it. Destroying it ends the watch.
class FolderWatch {
 public:
  virtual ~FolderWatch() = default;
  // What the system waits on: signalled when such a change has happened.
  virtual std::uintptr_t Waitable() const = 0;
  // After a signal, waits for the next change; false when it cannot.
  virtual bool Rearm() = 0;
};

// A watch, or the Windows error code that kept it from being set.
struct FolderWatchResult {
  std::unique_ptr<FolderWatch> watch;
  std::uint32_t error = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True only for an existing file that is not a folder; links are followed.
  virtual bool FileExists(std::u16string_view name) = 0;
  // True only for an existing folder; links are followed.
  virtual bool FolderExists(std::u16string_view name) = 0;
  virtual bool Copy(std::u16string_view source,
                    std::u16string_view target,
                    bool fail_if_exists) = 0;
  // Renames a file within its volume in one step, replacing a file of that
  // name only when `replace`: 0, or the Windows error code.
  virtual std::uint32_t Move(std::u16string_view from, std::u16string_view to, bool replace) = 0;
  // 0, or the Windows error code.
  virtual std::uint32_t Delete(std::u16string_view name) = 0;
  // The stamp of an existing file (not a folder); links are followed.
  virtual std::optional<FileStamp> Stamp(std::u16string_view name) = 0;
  // The whole file, when it exists, can be read and has at most `limit` bytes.
  virtual std::optional<std::string> ReadSmallFile(std::u16string_view name, std::size_t limit) = 0;
  // The SHA-256 digest of a file's bytes, or nothing when it cannot be read.
  virtual std::optional<Sha256Digest> Sha256(std::u16string_view name) = 0;
  virtual FolderWatchResult WatchFolder(std::u16string_view folder) = 0;
  // The process's current directory, whole, however long.
  virtual std::u16string CurrentDirectory() = 0;
  // `name` made full against the current directory, "." and ".." resolved,
  // as Windows does (GetFullPathNameW); `name` itself when that fails.
  virtual std::u16string FullPath(std::u16string_view name) = 0;
  // The shell folder's full path, or empty when it cannot be resolved; only
  // the roaming application data (kCsidlAppData) is resolved.
  virtual std::u16string SpecialFolderPath(int csidl) = 0;
  // The process's own command line, as GetCommandLineW gives it.
  virtual std::u16string CommandLine() = 0;
  // The full path of the running program's own file, or empty.
  virtual std::u16string ProgramFilePath() = 0;
  // Folders only; links to folders count as folders.
  virtual FolderListing SubFolders(std::u16string_view folder) = 0;
  // `text` with each %NAME% of a set environment variable replaced by its
  // value, as Windows expands REG_EXPAND_SZ data; other "%" stay as they
  // are. Nothing when the expansion fails.
  virtual std::optional<std::u16string> ExpandEnvironment(std::u16string_view text) = 0;
};

// The leading part of `path` up to and including its last "\" or ":".
std::u16string ExtractFilePath(std::u16string_view path);
// The folder that holds `path`, without a trailing "\" unless it is a drive
// root ("C:\"); empty when `path` names no folder.
std::u16string FolderOf(std::u16string_view path);
// Whether two names are equal with ASCII letters compared without case, as
// Windows compares the folder names the launcher looks for.
bool SameAsciiName(std::u16string_view a, std::u16string_view b);

// The launcher's own command-line splitting: control characters and spaces
// separate, double quotes group and are removed, a backslash is an ordinary
// character. Element 0 is the program file.
std::vector<std::u16string> SplitCommandLine(std::u16string_view line);

}  // namespace halvane
