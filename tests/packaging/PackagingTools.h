// What the packaging tests share: running shell commands, reading files, a
// test package, a throwaway signing certificate, and a copy of a file with a
// byte changed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace halvane::test {

namespace fs = std::filesystem;

inline const std::string kPassword = "throwaway-Pa55word";

// Runs a shell command; its exit status.
inline int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string Quote(const fs::path& path) {
  return "'" + path.string() + "'";
}

inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool Verifies(const fs::path& file, const fs::path& trust) {
  return Shell("osslsigncode verify -CAfile " + Quote(trust) + " -in " + Quote(file) +
               " >/dev/null 2>&1") == 0;
}

// The sample stand-ins packaged when no payload is given.
inline fs::path SamplePayload() {
  return fs::path(HALVANE_SOURCE_DIR) / "packaging" / "sample-payload";
}

// A test package (never signed, and silent about it) of the built program
// and `payload`, version 23.1.2.2: build-msi of the repository's packaging
// folder, or of a copy of it, run in `dir` into `output`. Its exit status;
// what it said goes to `said` in `dir`.
inline int BuildTestPackage(const fs::path& dir,
                            const fs::path& payload,
                            const std::string& output,
                            const std::string& said,
                            const fs::path& packaging = fs::path(HALVANE_SOURCE_DIR) /
                                                        "packaging") {
  return Shell("cd " + Quote(dir) + " && HALVANE_TEST_PACKAGE=1 " + Quote(packaging / "build-msi") +
               " 23.1.2.2 " + Quote(HALVANE_PROGRAM) + " " + Quote(payload) + " " + Quote(output) +
               " >" + Quote(said) + " 2>&1");
}

// A copy with one byte in the middle changed.
inline fs::path Tampered(const fs::path& file) {
  const fs::path copy = file.string() + ".tampered";
  fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
  std::fstream io(copy, std::ios::in | std::ios::out | std::ios::binary);
  const std::streamoff middle = static_cast<std::streamoff>(fs::file_size(copy) / 2);
  io.seekg(middle);
  const char byte = static_cast<char>(io.get());
  io.seekp(middle);
  io.put(static_cast<char>(byte ^ 0x5A));
  return copy;
}

// A code-signing certificate made with openssl in `dir`: cert.pem (the
// trust anchor), test.pfx and its password in password.txt.
inline bool MakeThrowawayCertificate(const fs::path& dir) {
  std::ofstream(dir / "password.txt") << kPassword;
  return Shell("cd " + Quote(dir) +
               " && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem"
               " -days 2 -subj '/CN=Halvane test signing/O=Fenwright'"
               " -addext extendedKeyUsage=codeSigning >/dev/null 2>&1"
               " && openssl pkcs12 -export -out test.pfx -inkey key.pem -in cert.pem"
               " -passout file:password.txt") == 0;
}

}  // namespace halvane::test
