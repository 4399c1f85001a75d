// An in-memory file system with Windows path rules: case-insensitive names,
// "\" separators, drive-relative rooted paths, links that are followed.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tests/fakes/EventLog.h"

namespace halvane::test {

class FakeFileSystem : public FileSystem {
 public:
  explicit FakeFileSystem(EventLog* log = nullptr) : log_(log) {}

  bool FileExists(std::u16string_view name) override;
  bool FolderExists(std::u16string_view name) override;
  bool Copy(std::u16string_view source, std::u16string_view target, bool fail_if_exists) override;
  std::uint32_t Move(std::u16string_view from, std::u16string_view to, bool replace) override;
  std::uint32_t Delete(std::u16string_view name) override;
  std::optional<FileStamp> Stamp(std::u16string_view name) override;
  std::optional<std::string> ReadSmallFile(std::u16string_view name, std::size_t limit) override;
  std::optional<Sha256Digest> Sha256(std::u16string_view name) override;
  FolderWatchResult WatchFolder(std::u16string_view folder) override;
  // The watches in force: for each, its folder and whether a change has
  // signalled it since it was set or last re-armed. A change is a name made,
  // removed or renamed directly in the folder.
  struct WatchState {
    std::u16string folder;  // as Key() gives it
    bool signalled = false;
  };
  const std::map<std::uintptr_t, WatchState>& Watches() const { return watches_; }
  // Whether the watch with this waitable has been signalled.
  bool Signalled(std::uintptr_t waitable) const;
  std::u16string CurrentDirectory() override { return current_directory; }
  std::u16string FullPath(std::u16string_view name) override;
  std::u16string SpecialFolderPath(int csidl) override;
  std::u16string CommandLine() override { return command_line; }
  std::u16string ProgramFilePath() override { return program_file; }
  FolderListing SubFolders(std::u16string_view folder) override;
  std::optional<std::u16string> ExpandEnvironment(std::u16string_view text) override;

  // Set-up. Adding a file or folder adds the folders above it.
  void AddFolder(std::u16string_view path);
  void AddFile(std::u16string_view path, std::string contents = "");
  void AddLink(std::u16string_view path, std::u16string_view target);
  // Removes a file or folder, and what is below a folder.
  void Remove(std::u16string_view path);
  // Another program holds the file open without sharing.
  void Lock(std::u16string_view path);
  std::optional<std::string> Contents(std::u16string_view path) const;

  std::u16string current_directory = u"C:\\Halvane";
  std::u16string command_line = u"\"C:\\Halvane\\Halvane2023.exe\"";
  std::u16string program_file = u"C:\\Halvane\\Halvane2023.exe";
  std::map<int, std::u16string> special_folders;
  // The environment, by name in upper case; an empty value removes a name.
  void SetEnvironment(std::u16string_view name, std::u16string_view value);
  std::map<std::u16string, std::u16string> environment;
  std::function<bool(std::u16string_view target)> fail_copy;
  // The copy stops half-way, as on a full disk: half the bytes stay under
  // the target's name and the copy fails.
  std::function<bool(std::u16string_view target)> fail_copy_midway;
  std::function<bool(std::u16string_view to)> fail_move;
  std::function<bool(std::u16string_view folder)> fail_watch;
  int watches_set = 0;
  int rearms = 0;
  bool fail_expand = false;  // ExpandEnvironment gives nothing
  int copies = 0;
  int reads = 0;  // files read whole or hashed
  // Every name whose existence was asked about (FileExists, FolderExists,
  // Stamp).
  std::vector<std::u16string> probed;
  std::vector<std::u16string> listed;  // every folder SubFolders was asked about

 private:
  enum class Kind { kFile, kFolder, kLink };
  struct Entry {
    Kind kind = Kind::kFile;
    std::string contents;
    std::u16string target;
    bool locked = false;
    std::uint64_t last_write = 0;
  };
  // The full path with the current drive, "\" separators and no doubled
  // or trailing ones; Key is the same in upper case.
  std::u16string Normal(std::u16string_view path) const;
  std::u16string Key(std::u16string_view path) const;
  void Name(const std::u16string& key, std::u16string_view normal);
  const Entry* Resolve(std::u16string_view path) const;

  class Watch;
  // A change of the name `key`: signals the watches on its folder.
  void Changed(const std::u16string& key);

  EventLog* log_;
  std::map<std::uintptr_t, WatchState> watches_;
  std::uintptr_t next_watch_ = 0x100;
  std::uint64_t clock_ = 1;  // the last-write time of the next file written
  std::map<std::u16string, Entry> entries_;
  std::map<std::u16string, std::u16string> names_;  // each entry's name as given
};

}  // namespace halvane::test
