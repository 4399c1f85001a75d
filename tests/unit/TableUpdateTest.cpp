// A later release's tables reach every copy that a release of the add-on
// made and nobody changed; a user's own table is never lost, and no table is
// ever left half-written under its own name.
#include <gtest/gtest.h>

#include <functional>

#include "launcher/ReleasedTables.h"
#include "tests/fakes/Sha256.h"
#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

constexpr std::u16string_view kAcad = u"D:\\Autodesk\\AutoCAD 2023\\acad.exe";
const std::string kReleaseA = "release A's Hv_mono.ctb";
const std::string kReleaseB = "release B's Hv_mono.ctb";

std::string Line(const std::string& contents, const std::string& name) {
  return Sha256Hex(Sha256Of(contents)) + "  " + name + "\n";
}

// A later start with the stored path: the profile holds acad.ctb, and the
// installation release B's Hv_mono.ctb.
struct Start : FreshLauncher {
  Start() {
    PrepareLaterStart(*this, kAcad);
    files.AddFile(std::u16string(kInstall) + u"\\Plot Styles\\Hv_mono.ctb", kReleaseB);
    files.AddFile(Folder() + u"\\acad.ctb", "autocad");
  }
  static std::u16string Folder() {
    return std::u16string(kAppData) + u"\\Autodesk\\AutoCAD\\R24.2\\jpn\\Plotters\\Plot Styles";
  }
  std::u16string Target() const { return Folder() + u"\\Hv_mono.ctb"; }
  std::u16string Temporary() const { return Target() + u".halvane-new"; }
  void List(const std::string& text) {
    files.AddFile(std::u16string(kInstall) + u"\\Plot Styles\\released.sha256", text);
  }
};

// A fault of Hv_mono.ctb's copy alone: the other tables show that the
// start goes on.
bool OnlyMono(std::u16string_view path) {
  return path.find(u"\\Hv_mono.ctb") != std::u16string_view::npos;
}

struct Case {
  const char* label;
  std::function<void(Start&)> arrange;
  std::optional<std::string> expected;  // Hv_mono.ctb in the profile afterwards
};

TEST(TableUpdateTest, EachCopyIsAddedUpdatedOrKept) {
  const std::string both = Line(kReleaseA, "Hv_mono.ctb") + Line(kReleaseB, "Hv_mono.ctb");
  const Case cases[] = {
      {"missing: copied", [](Start&) {}, kReleaseB},
      {"an earlier release's copy: brought up to date",
       [&](Start& s) {
         s.files.AddFile(s.Target(), kReleaseA);
         s.List(both);
       },
       kReleaseB},
      {"the current table under another time stamp: left as it is",
       [&](Start& s) {
         s.files.AddFile(s.Target(), kReleaseB);
         s.List(both);
       },
       kReleaseB},
      {"a table the user changed: kept",
       [&](Start& s) {
         s.files.AddFile(s.Target(), "the user's edit of release A's table");
         s.List(both);
       },
       "the user's edit of release A's table"},
      {"no list: kept", [&](Start& s) { s.files.AddFile(s.Target(), kReleaseA); }, kReleaseA},
      {"listed under another table's name: kept",
       [&](Start& s) {
         s.files.AddFile(s.Target(), kReleaseA);
         s.List(Line(kReleaseA, "Hv_color.ctb"));
       },
       kReleaseA},
      {"listed in upper-case digits, with CRLF, the name in other case: brought up to date",
       [&](Start& s) {
         s.files.AddFile(s.Target(), kReleaseA);
         std::string line = Line(kReleaseA, "HV_MONO.CTB");
         for (std::size_t i = 0; i < 64; ++i)
           line[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
         line.insert(line.size() - 1, "\r");
         s.List("# tables of the add-on\r\n" + line);
       },
       kReleaseB},
      {"the current table cannot be read: the old copy stays whole",
       [&](Start& s) {
         s.files.AddFile(s.Target(), kReleaseA);
         s.List(both);
         s.files.Lock(std::u16string(kInstall) + u"\\Plot Styles\\Hv_mono.ctb");
       },
       kReleaseA},
      {"the temporary copy cannot be made: the old copy stays whole",
       [&](Start& s) {
         s.files.AddFile(s.Target(), kReleaseA);
         s.List(both);
         s.files.fail_copy = [](std::u16string_view target) {
           return target.ends_with(u"\\Hv_mono.ctb.halvane-new");
         };
       },
       kReleaseA},
      {"the copy stops half-way (a full disk): the old copy stays whole",
       [&](Start& s) {
         s.files.AddFile(s.Target(), kReleaseA);
         s.List(both);
         s.files.fail_copy_midway = OnlyMono;
       },
       kReleaseA},
      {"missing, and the copy stops half-way: nothing under its name",
       [&](Start& s) { s.files.fail_copy_midway = OnlyMono; }, std::nullopt},
      {"the rename fails: the old copy stays whole",
       [&](Start& s) {
         s.files.AddFile(s.Target(), kReleaseA);
         s.List(both);
         s.files.fail_move = OnlyMono;
       },
       kReleaseA},
      {"the copy is held open by AutoCAD: it stays",
       [&](Start& s) {
         s.files.AddFile(s.Target(), kReleaseA);
         s.List(both);
         s.files.Lock(s.Target());
       },
       kReleaseA},
      {"a temporary copy a killed start left is removed, and the table added",
       [&](Start& s) { s.files.AddFile(s.Temporary(), "half of a t"); }, kReleaseB},
      {"a temporary copy a killed start left beside a copy of the user's is removed",
       [&](Start& s) {
         s.files.AddFile(s.Target(), "the user's own");
         s.files.AddFile(s.Temporary(), "half of a t");
       },
       "the user's own"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Start start;
    c.arrange(start);
    start.FormCreate();
    EXPECT_EQ(start.files.Contents(start.Target()), c.expected);
    EXPECT_FALSE(start.files.Contents(start.Temporary())) << "no temporary copy is left";
    EXPECT_EQ(start.files.Contents(Start::Folder() + u"\\Hv_color.ctb"), "add-on Hv_color.ctb")
        << "the other tables are installed all the same";
    EXPECT_TRUE(start.log.Has("exec open|" + Utf8(kAcad) + "| /t Halvane.dwt|shown"));
    EXPECT_FALSE(start.log.HasPrefix("error ")) << "nothing is reported";
    EXPECT_FALSE(start.log.HasPrefix("messagebox ")) << "nothing is reported";
  }
}

// The usual start: every copy is the current table, as the last start left
// it. Nothing is read, copied or renamed.
TEST(TableUpdateTest, CurrentCopiesCostNoReadAndNoWrite) {
  Start first;
  first.FormCreate();
  ASSERT_EQ(first.files.Contents(first.Target()), kReleaseB);
  first.List(Line(kReleaseA, "Hv_mono.ctb"));
  const int copies = first.files.copies;
  first.files.reads = 0;
  first.log.entries.clear();
  TForm1 later(first.Services(), first.view);
  first.view.on_press_button1 = [&] { Dispatch(first.app, [&] { later.Button1Click(); }); };
  Dispatch(first.app, [&] { later.FormCreate(); });
  EXPECT_EQ(first.files.copies, copies);
  EXPECT_EQ(first.files.reads, 0);
  EXPECT_FALSE(first.log.HasPrefix("move "));
  EXPECT_TRUE(first.log.HasPrefix("exec open|"));
}

// Release A's tables copied at a start; the installation then upgraded to
// release B with the list of both: the next start brings B's table where
// the user had A's, and keeps the table the user changed.
TEST(TableUpdateTest, AnUpgradeReachesTheCopiesNobodyChanged) {
  Start start;
  const std::u16string source = std::u16string(kInstall) + u"\\Plot Styles\\";
  start.files.AddFile(source + u"Hv_mono.ctb", kReleaseA);
  start.files.AddFile(source + u"Hv_color.ctb", "release A's Hv_color.ctb");
  start.FormCreate();
  ASSERT_EQ(start.files.Contents(start.Target()), kReleaseA);
  start.files.AddFile(Start::Folder() + u"\\Hv_color.ctb", "the user's own colours");

  start.files.AddFile(source + u"Hv_mono.ctb", kReleaseB);
  start.files.AddFile(source + u"Hv_color.ctb", "release B's Hv_color.ctb");
  start.List(Line(kReleaseA, "Hv_mono.ctb") + Line("release A's Hv_color.ctb", "Hv_color.ctb") +
             Line(kReleaseB, "Hv_mono.ctb") + Line("release B's Hv_color.ctb", "Hv_color.ctb"));
  TForm1 later(start.Services(), start.view);
  start.view.on_press_button1 = [&] { Dispatch(start.app, [&] { later.Button1Click(); }); };
  Dispatch(start.app, [&] { later.FormCreate(); });
  EXPECT_EQ(start.files.Contents(start.Target()), kReleaseB);
  EXPECT_EQ(start.files.Contents(Start::Folder() + u"\\Hv_color.ctb"), "the user's own colours");
}

TEST(TableUpdateTest, ReleasedListReadsSha256sumLinesAndPassesOverTheRest) {
  const Sha256Digest a = Sha256Of(kReleaseA);
  const std::string hex = Sha256Hex(a);
  std::string upper = hex;
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct ParseCase {
    const char* label;
    std::string text;
    bool listed;
  } const cases[] = {
      {"a line", hex + "  Hv_mono.ctb\n", true},
      {"the last line without its end", hex + "  Hv_mono.ctb", true},
      {"CRLF", "x\r\n" + hex + "  Hv_mono.ctb\r\n", true},
      {"upper-case digits", upper + "  Hv_mono.ctb\n", true},
      {"the name in other case", hex + "  hv_MONO.ctb\n", true},
      {"one space", hex + " Hv_mono.ctb\n", false},
      {"binary mark", hex + " *Hv_mono.ctb\n", false},
      {"63 digits", hex.substr(1) + "  Hv_mono.ctb\n", false},
      {"a digit that is no digit", "g" + hex.substr(1) + "  Hv_mono.ctb\n", false},
      {"another name", hex + "  Hv_mono2.ctb\n", false},
      {"no name", hex + "  \n", false},
      {"a space before", " " + hex + "  Hv_mono.ctb\n", false},
      {"empty", "", false},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ReleasedTables::Parse(c.text).Lists(u"Hv_mono.ctb", a), c.listed);
  }
  EXPECT_FALSE(
      ReleasedTables::Parse(hex + "  Hv_mono.ctb\n").Lists(u"Hv_mono.ctb", Sha256Of(kReleaseB)))
      << "another digest";
}

}  // namespace
}  // namespace halvane::test
