// The users' guide comes with the package: the page and every picture it
// shows in the installation folder's Guide, and a Start-menu shortcut
// 「Halvane 2023 の使い方」 beside the launcher's that opens the installed page,
// keyed as the validation rules ask. A page that shows a picture the
// package does not carry is refused.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/packaging/PackagingTools.h"

namespace halvane::test {
namespace {

const char kTitle[] = "<title>Halvane 2023 の使い方</title>";

// The pictures a page shows, in their order.
std::vector<std::string> Pictures(const std::string& page) {
  static const std::regex img(R"re(<img[^>]*\bsrc="([^"]+)")re");
  std::vector<std::string> names;
  for (std::sregex_iterator it(page.begin(), page.end(), img), end; it != end; ++it)
    names.push_back((*it)[1]);
  return names;
}

// The rows of an exported table (msiinfo export): the three header lines
// left out, each row split on tabs.
std::vector<std::vector<std::string>> Rows(const std::string& idt) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(idt);
  std::string line;
  for (int n = 0; std::getline(lines, line); ++n) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (n < 3 || line.empty())
      continue;
    std::vector<std::string> fields;
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, '\t'))
      fields.push_back(cell);
    rows.push_back(fields);
  }
  return rows;
}

class Guide : public ::testing::Test {
 protected:
  // One package, extracted, with the tables the shortcut needs exported.
  static void SetUpTestSuite() {
    dir_ = fs::path(HALVANE_BINARY_DIR) / "guide-test";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    build_status_ = Build(fs::path(HALVANE_SOURCE_DIR) / "packaging", "package.msi");
    Shell("cd " + Quote(dir_) + " && msiextract -C files package.msi >/dev/null 2>&1");
    for (const char* table : {"Shortcut", "Component", "Registry", "Directory"})
      Shell("cd " + Quote(dir_) + " && msiinfo export package.msi " + table + " >" + table +
            ".idt");
  }
  // A package of the `packaging` folder given (the repository's or a copy)
  // into `output`: its exit status; what it said beside the output.
  static int Build(const fs::path& packaging, const std::string& output) {
    return BuildTestPackage(dir_, SamplePayload(), output, output + ".txt", packaging);
  }
  static fs::path Installed() {
    return dir_ / "files" / "Program Files" / "Fenwright" / "Halvane2023" / "Guide";
  }
  static fs::path Source() { return fs::path(HALVANE_SOURCE_DIR) / "docs" / "users-guide"; }

  static fs::path dir_;
  static int build_status_;
};

fs::path Guide::dir_;
int Guide::build_status_ = -1;

TEST_F(Guide, PackageInstallsThePageWithEveryPictureItShows) {
  ASSERT_EQ(build_status_, 0) << ReadAll(dir_ / "package.msi.txt");
  const std::string page = ReadAll(Installed() / "index.html");
  ASSERT_FALSE(page.empty()) << "no page in " << Installed();
  EXPECT_TRUE(page == ReadAll(Source() / "index.html")) << "not the repository's page";
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(page.find(kTitle), std::string::npos);
  const std::vector<std::string> pictures = Pictures(page);
  // Setup, first start, the icon, AutoCAD not found, repair, removal.
  ASSERT_GE(pictures.size(), 6u);
  for (const std::string& name : pictures) {
    SCOPED_TRACE(name);
    const std::string bytes = ReadAll(Installed() / name);
    ASSERT_GT(bytes.size(), 8u) << "missing beside the page";
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    EXPECT_TRUE(bytes == ReadAll(Source() / name));
  }
}

TEST_F(Guide, StartMenuShortcutOpensTheInstalledPageAndIsKeyedByTheUser) {
  ASSERT_EQ(build_status_, 0) << ReadAll(dir_ / "package.msi.txt");
  // Shortcut: Shortcut Directory_ Name Component_ Target ...
  std::vector<std::string> guide;
  for (const auto& row : Rows(ReadAll(dir_ / "Shortcut.idt"))) {
    ASSERT_GE(row.size(), 5u);
    const std::string& name = row[2];
    if (name.substr(name.find('|') + 1) == "Halvane 2023 の使い方")
      guide = row;
  }
  ASSERT_FALSE(guide.empty()) << ReadAll(dir_ / "Shortcut.idt");
  // In the launcher's Start-menu folder, beside its shortcut.
  std::set<std::string> menu_shortcuts;
  for (const auto& row : Rows(ReadAll(dir_ / "Shortcut.idt")))
    if (row[1] == guide[1])
      menu_shortcuts.insert(row[0]);
  EXPECT_EQ(menu_shortcuts, (std::set<std::string>{"GuideShortcut", "MenuShortcut"}));
  EXPECT_EQ(guide[4], "[INSTALLFOLDER]Guide\\index.html");

  // Its component's key path is a value under HKEY_CURRENT_USER (root 1).
  std::string key_path;
  for (const auto& row : Rows(ReadAll(dir_ / "Component.idt")))
    if (row.size() >= 6 && row[0] == guide[3])
      key_path = row[5];
  ASSERT_FALSE(key_path.empty()) << "component " << guide[3];
  bool keyed_by_user = false;
  for (const auto& row : Rows(ReadAll(dir_ / "Registry.idt")))
    keyed_by_user = keyed_by_user || (row.size() >= 2 && row[0] == key_path && row[1] == "1");
  EXPECT_TRUE(keyed_by_user) << key_path;
}

TEST_F(Guide, PageShowingAPictureThePackageDoesNotCarryIsRefused) {
  // A copy of the packaging folder beside a copy of the guide, as in the
  // repository: the copy builds (the control), then its page shows one
  // picture more, present in the folder but not listed for the package.
  const fs::path copy = dir_ / "copy";
  fs::create_directories(copy / "docs");
  fs::copy(fs::path(HALVANE_SOURCE_DIR) / "packaging", copy / "packaging",
           fs::copy_options::recursive);
  fs::copy(Source(), copy / "docs" / "users-guide", fs::copy_options::recursive);
  ASSERT_EQ(Build(copy / "packaging", "control.msi"), 0) << ReadAll(dir_ / "control.msi.txt");

  const fs::path page = copy / "docs" / "users-guide" / "index.html";
  std::string text = ReadAll(page);
  const std::size_t end = text.find("</body>");
  ASSERT_NE(end, std::string::npos);
  text.insert(end, "<img src=\"plot-dialog.png\" alt=\"\">\n");
  std::ofstream(page, std::ios::binary) << text;
  fs::copy_file(copy / "docs" / "users-guide" / "not-found.png",
                copy / "docs" / "users-guide" / "plot-dialog.png");
  EXPECT_NE(Build(copy / "packaging", "refused.msi"), 0);
  EXPECT_NE(ReadAll(dir_ / "refused.msi.txt").find("plot-dialog.png"), std::string::npos)
      << ReadAll(dir_ / "refused.msi.txt");
  EXPECT_FALSE(fs::exists(dir_ / "refused.msi"));
}

}  // namespace
}  // namespace halvane::test
