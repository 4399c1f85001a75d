// Files, folders and the command line over kernel32 and shell32.
#pragma once

#include <windows.h>

#include "platform/Files.h"

namespace halvane::win32 {

class Win32FileSystem : public FileSystem {
 public:
  bool FileExists(std::u16string_view name) override;
  bool FolderExists(std::u16string_view name) override;
  bool Copy(std::u16string_view source, std::u16string_view target, bool fail_if_exists) override;
  std::uint32_t Move(std::u16string_view from, std::u16string_view to, bool replace) override;
  std::uint32_t Delete(std::u16string_view name) override;
  std::optional<FileStamp> Stamp(std::u16string_view name) override;
  std::optional<std::string> ReadSmallFile(std::u16string_view name, std::size_t limit) override;
  std::optional<Sha256Digest> Sha256(std::u16string_view name) override;
  FolderWatchResult WatchFolder(std::u16string_view folder) override;
  std::u16string CurrentDirectory() override;
  std::u16string FullPath(std::u16string_view name) override;
  std::u16string SpecialFolderPath(int csidl) override;
  std::u16string CommandLine() override;
  std::u16string ProgramFilePath() override;
  FolderListing SubFolders(std::u16string_view folder) override;
  std::optional<std::u16string> ExpandEnvironment(std::u16string_view text) override;
};

}  // namespace halvane::win32
