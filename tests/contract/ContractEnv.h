// What a contract test needs of the platform it runs on: the service under
// test, and a way to prepare and inspect the real state behind it. The same
// cases run natively against the fakes and under Wine against Win32.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Registry.h"

namespace halvane::test {

struct RawValue {
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> data;
};

class RegistryContractEnv {
 public:
  virtual ~RegistryContractEnv() = default;
  virtual RegistryBackend& Backend() = 0;
  // A key path (no leading "\") under which the test may do anything; it is
  // removed when the environment goes. Under HKEY_LOCAL_MACHINE it is below
  // Software, so it is subject to the 32-bit redirection.
  virtual std::u16string Scratch() = 0;
  // Writes directly, in the 64-bit view when `view64`.
  virtual void PutValue(RootKey root,
                        std::u16string_view path,
                        std::u16string_view name,
                        std::uint32_t type,
                        const std::vector<std::uint8_t>& data,
                        bool view64 = false) = 0;
  virtual void MakeReadOnly(RootKey root, std::u16string_view path) = 0;
  // The key grants only the query of values: no enumeration, no
  // notification, no writing.
  virtual void MakeQueryOnly(RootKey root, std::u16string_view path) = 0;
  virtual std::optional<RawValue> GetValue(RootKey root,
                                           std::u16string_view path,
                                           std::u16string_view name) = 0;
  virtual bool KeyExists(RootKey root, std::u16string_view path) = 0;
};

class FilesContractEnv {
 public:
  virtual ~FilesContractEnv() = default;
  virtual FileSystem& Files() = 0;
  // A scratch folder's full path, without a trailing "\"; removed afterwards.
  virtual std::u16string Folder() = 0;
  virtual void MakeFile(std::u16string_view path, const std::string& contents) = 0;
  virtual void MakeFolder(std::u16string_view path) = 0;
  // False where the platform cannot make links here.
  virtual bool MakeLink(std::u16string_view path, std::u16string_view target, bool to_folder) = 0;
  // Opens the file without sharing until the environment goes.
  virtual void HoldOpen(std::u16string_view path) = 0;
  virtual std::optional<std::string> Read(std::u16string_view path) = 0;
  // Sets an environment variable of the process (of the fake: its own
  // environment) until the environment goes; an empty value removes it.
  virtual void SetEnvironment(std::u16string_view name, std::u16string_view value) = 0;
  // Whether the watch is signalled, or becomes so within `wait_ms`.
  virtual bool Signalled(const FolderWatch& watch, int wait_ms) = 0;
};

std::unique_ptr<RegistryContractEnv> MakeRegistryContractEnv();
std::unique_ptr<FilesContractEnv> MakeFilesContractEnv();

}  // namespace halvane::test
