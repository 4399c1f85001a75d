// Signing the program and the installer (packaging/build-msi) with a
// throwaway certificate made here: both verify against that certificate,
// a copy with one byte changed does not, and the password never reaches a
// command line or the build's output.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/packaging/PackagingTools.h"

namespace halvane::test {
namespace {

class Signing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::path(HALVANE_BINARY_DIR) / "signing-test";
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "shim");
    ASSERT_TRUE(MakeThrowawayCertificate(dir_));
    // osslsigncode behind a shim that records every command line it is given.
    std::ofstream shim(dir_ / "shim" / "osslsigncode");
    shim << "#!/bin/sh\nprintf '%s\\n' \"$*\" >>" << Quote(dir_ / "command-lines.txt")
         << "\nexec /usr/bin/osslsigncode \"$@\"\n";
    shim.close();
    fs::permissions(dir_ / "shim" / "osslsigncode", fs::perms::owner_all);
  }

  // Builds a package into `name` with the environment `env`; the exit status,
  // with the build's output in output.txt.
  static int Build(const std::string& env, const std::string& name) {
    return Shell("cd " + Quote(dir_) + " && env PATH=" + Quote(dir_ / "shim") + ":\"$PATH\" " +
                 env + " " + Quote(fs::path(HALVANE_SOURCE_DIR) / "packaging" / "build-msi") +
                 " 23.1.2.2 " + Quote(HALVANE_PROGRAM) + " " + Quote(SamplePayload()) + " " + name +
                 " >output.txt 2>&1");
  }
  // The program inside a package.
  static fs::path Extracted(const std::string& name) {
    const fs::path into = dir_ / (name + ".files");
    fs::remove_all(into);
    if (Shell("msiextract -C " + Quote(into) + " " + Quote(dir_ / name) + " >/dev/null") != 0)
      return {};
    return into / "Program Files" / "Fenwright" / "Halvane2023" / "Halvane2023.exe";
  }

  static fs::path dir_;
};

fs::path Signing::dir_;

TEST_F(Signing, WithACertificateTheProgramAndThePackageVerifyAndATamperedCopyDoesNot) {
  for (const std::string password_from : {"file", "variable"}) {
    SCOPED_TRACE(password_from);
    const std::string env =
        "HALVANE_SIGN_PFX=test.pfx " + (password_from == "file"
                                            ? std::string("HALVANE_SIGN_PASSWORD_FILE=password.txt")
                                            : "HALVANE_SIGN_PASSWORD=" + kPassword);
    const std::string name = "signed-" + password_from + ".msi";
    ASSERT_EQ(Build(env, name), 0) << ReadAll(dir_ / "output.txt");
    const fs::path program = Extracted(name);
    ASSERT_TRUE(fs::exists(program));
    EXPECT_TRUE(Verifies(program, dir_ / "cert.pem"));
    EXPECT_TRUE(Verifies(dir_ / name, dir_ / "cert.pem"));
    EXPECT_FALSE(Verifies(Tampered(program), dir_ / "cert.pem"));
    EXPECT_FALSE(Verifies(Tampered(dir_ / name), dir_ / "cert.pem"));
    // Another certificate is no trust anchor for these signatures.
    EXPECT_FALSE(Verifies(program, "/etc/ssl/certs/ca-certificates.crt"));
    EXPECT_EQ(ReadAll(dir_ / "output.txt").find(kPassword), std::string::npos);
  }
  const std::string commands = ReadAll(dir_ / "command-lines.txt");
  EXPECT_NE(commands.find("sign"), std::string::npos) << "the shim saw the signing";
  EXPECT_EQ(commands.find(kPassword), std::string::npos) << "a password on a command line";
}

TEST_F(Signing, WrongPasswordFailsTheBuild) {
  std::ofstream(dir_ / "wrong.txt") << "not the password";
  EXPECT_NE(Build("HALVANE_SIGN_PFX=test.pfx HALVANE_SIGN_PASSWORD_FILE=wrong.txt", "wrong.msi"),
            0);
  EXPECT_FALSE(fs::exists(dir_ / "wrong.msi"));
}

TEST_F(Signing, WithoutACertificateTheFilesAreUnsignedAndTheBuildSaysSo) {
  ASSERT_EQ(Build("", "unsigned.msi"), 0) << ReadAll(dir_ / "output.txt");
  const std::string output = ReadAll(dir_ / "output.txt");
  const std::string notice = "not signed";
  ASSERT_NE(output.find(notice), std::string::npos);
  EXPECT_EQ(output.find(notice), output.rfind(notice)) << "said once";
  EXPECT_FALSE(Verifies(dir_ / "unsigned.msi", dir_ / "cert.pem"));
  EXPECT_FALSE(Verifies(Extracted("unsigned.msi"), dir_ / "cert.pem"));
}

}  // namespace
}  // namespace halvane::test
