// The package carries the list of every table a release shipped, and the
// build refuses a payload whose list lacks a table it installs: the next
// release could never bring that table up to date.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <string>

#include "tests/packaging/PackagingTools.h"

namespace halvane::test {
namespace {

class Payload : public ::testing::Test {
 protected:
  Payload() : dir_(fs::path(HALVANE_BINARY_DIR) / "payload-test") {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  // build-msi with `payload`: its exit status; what it said in said.txt.
  int Build(const fs::path& payload) {
    return BuildTestPackage(dir_, payload, "package.msi", "said.txt");
  }
  std::string Digest(const fs::path& file) {
    const fs::path out = dir_ / "digest.txt";
    Shell("sha256sum " + Quote(file) + " | cut -c1-64 >" + Quote(out));
    std::string digest = ReadAll(out);
    while (!digest.empty() && digest.back() == '\n')
      digest.pop_back();
    return digest;
  }

  fs::path dir_;
};

TEST_F(Payload, PackageCarriesTheListAndItNamesEveryTableItInstalls) {
  ASSERT_EQ(Build(SamplePayload()), 0) << ReadAll(dir_ / "said.txt");
  ASSERT_EQ(Shell("cd " + Quote(dir_) + " && msiextract -C files package.msi >/dev/null 2>&1"), 0);
  // msiextract lays the files out by their folders' names.
  const fs::path installed = dir_ / "files" / "Program Files" / "Fenwright" / "Halvane2023";
  const std::string list = ReadAll(installed / "Plot Styles" / "released.sha256");
  ASSERT_FALSE(list.empty()) << "no released.sha256 below " << installed;
  for (const char* table : {"Hv_color.ctb", "Hv_mono.ctb", "Hv_mono2.ctb"}) {
    const std::string digest = Digest(installed / "Plot Styles" / table);
    ASSERT_EQ(digest.size(), 64u);
    EXPECT_NE(list.find(digest + "  " + table + "\n"), std::string::npos) << table;
  }
}

TEST_F(Payload, PayloadWhoseListLacksATableIsRefusedWithTheLineToAdd) {
  const fs::path payload = dir_ / "payload";
  fs::copy(SamplePayload(), payload, fs::copy_options::recursive);
  // Release B changes Hv_mono.ctb but forgets to list it; the earlier
  // lines are all there.
  std::ofstream(payload / "Plot Styles" / "Hv_mono.ctb", std::ios::binary) << "release B's table";
  const std::string digest = Digest(payload / "Plot Styles" / "Hv_mono.ctb");
  EXPECT_NE(Build(payload), 0);
  const std::string said = ReadAll(dir_ / "said.txt");
  EXPECT_NE(said.find(digest + "  Hv_mono.ctb"), std::string::npos) << said;
  EXPECT_EQ(said.find("Hv_color.ctb"), std::string::npos) << "only what is missing: " << said;
  EXPECT_FALSE(fs::exists(dir_ / "package.msi"));

  // With the line added (upper-case digits, CRLF, as editors on Windows
  // may write it), the same payload is packaged.
  std::string upper = digest;
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::ofstream(payload / "Plot Styles" / "released.sha256", std::ios::app | std::ios::binary)
      << upper << "  Hv_mono.ctb\r\n";
  EXPECT_EQ(Build(payload), 0) << ReadAll(dir_ / "said.txt");
}

TEST_F(Payload, PayloadWithoutAListIsRefused) {
  const fs::path payload = dir_ / "payload";
  fs::copy(SamplePayload(), payload, fs::copy_options::recursive);
  fs::remove(payload / "Plot Styles" / "released.sha256");
  EXPECT_NE(Build(payload), 0);
  EXPECT_NE(ReadAll(dir_ / "said.txt").find("released.sha256"), std::string::npos);
}

}  // namespace
}  // namespace halvane::test
