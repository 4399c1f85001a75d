// The contract environment over the in-memory fakes.
#include "tests/contract/ContractEnv.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeRegistry.h"

namespace halvane::test {
namespace {

class FakeRegistryEnv : public RegistryContractEnv {
 public:
  RegistryBackend& Backend() override { return registry_; }
  std::u16string Scratch() override { return u"Software\\HalvaneContract\\1"; }
  void PutValue(RootKey root,
                std::u16string_view path,
                std::u16string_view name,
                std::uint32_t type,
                const std::vector<std::uint8_t>& data,
                bool) override {
    registry_.PutValue(root, path, name, type, data);
  }
  void MakeReadOnly(RootKey root, std::u16string_view path) override {
    registry_.MakeReadOnly(root, path);
  }
  void MakeQueryOnly(RootKey root, std::u16string_view path) override {
    registry_.MakeQueryOnly(root, path);
  }
  std::optional<RawValue> GetValue(RootKey root,
                                   std::u16string_view path,
                                   std::u16string_view name) override {
    const FakeRegistry::Value* value = registry_.GetValue(root, path, name);
    if (!value)
      return std::nullopt;
    return RawValue{value->type, value->data};
  }
  bool KeyExists(RootKey root, std::u16string_view path) override {
    return registry_.HasKey(root, path);
  }

 private:
  FakeRegistry registry_;
};

class FakeFilesEnv : public FilesContractEnv {
 public:
  FakeFilesEnv() {
    files_.current_directory = u"C:\\work";
    files_.AddFolder(Folder());
    files_.program_file = u"C:\\work\\bin\\native_tests.exe";
    files_.AddFile(files_.program_file);
  }
  FileSystem& Files() override { return files_; }
  std::u16string Folder() override { return u"C:\\work\\contract"; }
  void MakeFile(std::u16string_view path, const std::string& contents) override {
    files_.AddFile(path, contents);
  }
  void MakeFolder(std::u16string_view path) override { files_.AddFolder(path); }
  bool MakeLink(std::u16string_view path, std::u16string_view target, bool) override {
    files_.AddLink(path, target);
    return true;
  }
  void HoldOpen(std::u16string_view path) override { files_.Lock(path); }
  std::optional<std::string> Read(std::u16string_view path) override {
    return files_.Contents(path);
  }
  bool Signalled(const FolderWatch& watch, int) override {
    return files_.Signalled(watch.Waitable());
  }
  void SetEnvironment(std::u16string_view name, std::u16string_view value) override {
    files_.SetEnvironment(name, value);
  }

 private:
  FakeFileSystem files_;
};

}  // namespace

std::unique_ptr<RegistryContractEnv> MakeRegistryContractEnv() {
  return std::make_unique<FakeRegistryEnv>();
}
std::unique_ptr<FilesContractEnv> MakeFilesContractEnv() {
  return std::make_unique<FakeFilesEnv>();
}

}  // namespace halvane::test
