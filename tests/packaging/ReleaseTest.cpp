// A release anyone can check: scripts/release run twice, in other folders,
// time zones and umasks, gives the same bytes; the program carries no symbols
// and names its debug file; scripts/verify-release accepts the release,
// signed or not, and refuses a copy with one byte changed. The verifier
// rebuilds on its own once; its other checks compare with the second of the
// two releases, which the same-bytes test shows equal to any rebuild.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/packaging/PackagingTools.h"

namespace halvane::test {
namespace {

const char* const kFiles[] = {"Halvane2023-23.1.2.2.msi", "Halvane2023.exe",
                              "Halvane2023.exe.debug", "SHA256SUMS"};
const char kPackage[] = "Halvane2023-23.1.2.2.msi";

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint8_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
}

class Release : public ::testing::Test {
 protected:
  // Two unsigned releases, made once for the suite.
  static void SetUpTestSuite() {
    dir_ = fs::path(HALVANE_BINARY_DIR) / "release-test";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ASSERT_TRUE(MakeThrowawayCertificate(dir_));
    first_status_ = Make("umask 022; TZ=Asia/Tokyo", First());
    second_status_ = Make("umask 077; TZ=America/Los_Angeles", Second());
  }

  // scripts/release into `out` after the shell commands `before`; its exit
  // status, with its output in out.log beside `out`.
  static int Make(const std::string& before, const fs::path& out) {
    fs::create_directories(out.parent_path());
    return Shell("(" + before + "; " + Quote(fs::path(HALVANE_SOURCE_DIR) / "scripts" / "release") +
                 " " + Quote(out) + ") >" + Quote(out.string() + ".log") + " 2>&1");
  }
  // scripts/verify-release on `package`, rebuilding, or against the release
  // in `rebuilt`: its exit status and what it printed.
  static std::pair<int, std::string> Verify(const fs::path& package, const fs::path& rebuilt = {}) {
    const fs::path said = package.string() + ".verdict";
    const std::string against = rebuilt.empty() ? "" : " --rebuilt " + Quote(rebuilt);
    const int status =
        Shell(Quote(fs::path(HALVANE_SOURCE_DIR) / "scripts" / "verify-release") + against + " " +
              Quote(package) + " >" + Quote(said) + " 2>" + Quote(said.string() + ".log"));
    return {status, ReadAll(said)};
  }
  static fs::path First() { return dir_ / "first" / "out"; }
  static fs::path Second() { return dir_ / "second place" / "deeper" / "out"; }

  static fs::path dir_;
  static int first_status_, second_status_;
};

fs::path Release::dir_;
int Release::first_status_ = -1;
int Release::second_status_ = -1;

TEST_F(Release, SameBytesFromAnotherFolderTimeZoneAndUmask) {
  ASSERT_EQ(first_status_, 0) << ReadAll(First().string() + ".log");
  ASSERT_EQ(second_status_, 0) << ReadAll(Second().string() + ".log");
  const fs::path second = Second();
  for (const char* name : kFiles) {
    SCOPED_TRACE(name);
    const std::string bytes = ReadAll(First() / name);
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(bytes == ReadAll(second / name)) << "the two releases differ";
  }
  EXPECT_EQ(Shell("cd " + Quote(First()) + " && sha256sum --quiet -c SHA256SUMS"), 0);
}

TEST_F(Release, ProgramCarriesNoSymbolsAndNamesItsDebugFile) {
  ASSERT_EQ(first_status_, 0) << ReadAll(First().string() + ".log");
  const std::string program = ReadAll(First() / "Halvane2023.exe");
  ASSERT_GT(program.size(), 0x40u);
  // The link time stamp is the commit's.
  const std::uint32_t pe = Le32(program, 0x3C);
  ASSERT_EQ(program.substr(pe, 4), std::string("PE\0\0", 4));
  ASSERT_EQ(Shell("git -C " + Quote(HALVANE_SOURCE_DIR) + " log -1 --format=%ct >" +
                  Quote(dir_ / "commit-time.txt")),
            0);
  EXPECT_EQ(Le32(program, pe + 8), std::stoul(ReadAll(dir_ / "commit-time.txt")));
  // Debug sections and the symbol table are in the debug file only.
  EXPECT_EQ(Le32(program, pe + 16), 0u) << "symbols";
  EXPECT_EQ(Shell("i686-w64-mingw32-objdump -h " + Quote(First() / "Halvane2023.exe") +
                  " | grep -q debug_info"),
            1);
  EXPECT_EQ(Shell("i686-w64-mingw32-objdump -h " + Quote(First() / "Halvane2023.exe.debug") +
                  " | grep -q debug_info"),
            0);
  EXPECT_NE(program.find(std::string("Halvane2023.exe.debug\0", 22)), std::string::npos)
      << ".gnu_debuglink";
  EXPECT_LT(program.size(), 600u * 1024u);
  // A signature's tooling pads to 8 bytes: removing one gives this file back.
  EXPECT_EQ(program.size() % 8, 0u);
  // The program is the one inside the package.
  EXPECT_EQ(Shell("msiextract -C " + Quote(dir_ / "extracted") + " " + Quote(First() / kPackage) +
                  " >/dev/null"),
            0);
  EXPECT_TRUE(ReadAll(dir_ / "extracted" / "Program Files" / "Fenwright" / "Halvane2023" /
                      "Halvane2023.exe") == program);
}

TEST_F(Release, VerifierAcceptsTheUnsignedReleaseAndRefusesAChangedByte) {
  ASSERT_EQ(first_status_, 0) << ReadAll(First().string() + ".log");
  const auto [status, said] = Verify(First() / kPackage);
  EXPECT_EQ(status, 0) << ReadAll((First() / kPackage).string() + ".verdict.log");
  EXPECT_EQ(said, "identical\n");
  ASSERT_EQ(second_status_, 0) << ReadAll(Second().string() + ".log");
  const auto [tampered_status, tampered_said] = Verify(Tampered(First() / kPackage), Second());
  EXPECT_EQ(tampered_status, 1);
  EXPECT_EQ(tampered_said.rfind("differs: ", 0), 0u) << tampered_said;
}

TEST_F(Release, VerifierAcceptsASignedReleaseAndRefusesAChangedByte) {
  const fs::path signed_release = dir_ / "signed" / "out";
  ASSERT_EQ(Make("export HALVANE_SIGN_PFX=" + Quote(dir_ / "test.pfx") +
                     " HALVANE_SIGN_PASSWORD_FILE=" + Quote(dir_ / "password.txt"),
                 signed_release),
            0)
      << ReadAll(signed_release.string() + ".log");
  ASSERT_TRUE(Verifies(signed_release / kPackage, dir_ / "cert.pem"));
  ASSERT_TRUE(Verifies(signed_release / "Halvane2023.exe", dir_ / "cert.pem"));
  ASSERT_EQ(second_status_, 0) << ReadAll(Second().string() + ".log");
  const auto [status, said] = Verify(signed_release / kPackage, Second());
  EXPECT_EQ(status, 0) << ReadAll((signed_release / kPackage).string() + ".verdict.log");
  EXPECT_EQ(said, "identical\n");
  const auto [tampered_status, tampered_said] =
      Verify(Tampered(signed_release / kPackage), Second());
  EXPECT_EQ(tampered_status, 1);
  EXPECT_EQ(tampered_said.rfind("differs: ", 0), 0u) << tampered_said;

  // A signed release is no rebuild to compare with, nor is a folder
  // without a release: neither is taken for one.
  EXPECT_EQ(Verify(Second() / kPackage, signed_release).first, 2);
  EXPECT_EQ(Verify(Second() / kPackage, dir_ / "no release here").first, 2);
}

}  // namespace
}  // namespace halvane::test
