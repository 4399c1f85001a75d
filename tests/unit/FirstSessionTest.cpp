// The tables in the user's very first AutoCAD session: AutoCAD makes its
// plot-style folder while the launcher waits, and the launcher installs the
// tables there at once, then stops watching.
#include <gtest/gtest.h>

#include <functional>

#include "launcher/PlotStyleWatch.h"
#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

constexpr std::u16string_view kAcad = u"D:\\Autodesk\\AutoCAD 2023\\acad.exe";

std::u16string Below(std::u16string_view below) {
  return std::u16string(kAppData) + u"\\" + std::u16string(below);
}
std::u16string Profile2023(std::u16string_view language) {
  return Below(u"Autodesk\\AutoCAD 2023\\R24.2\\" + std::u16string(language) +
               u"\\Plotters\\Plot Styles");
}

// A new user's later start of the launcher (the path is stored, the add-on
// installed) before AutoCAD has ever run for them: no Autodesk folder yet.
struct NewUser : FreshLauncher {
  NewUser() {
    PrepareLaterStart(*this, kAcad);
    files.AddFolder(kAppData);
    app.wait_result = WaitResult::kProcessEnded;
  }
  // Makes what AutoCAD makes, then lets the wait see it.
  void Make(std::u16string_view folder) {
    files.AddFolder(folder);
    DeliverChanges(files, *app.observed);
  }
  void MakeFile(std::u16string_view file, std::string contents = "autocad") {
    files.AddFile(file, std::move(contents));
    DeliverChanges(files, *app.observed);
  }
};

struct Case {
  const char* label;
  std::function<void(NewUser&)> autocad;  // what AutoCAD does while the launcher waits
  std::u16string folder;                  // where the tables are expected
};

TEST(FirstSessionTest, TablesArriveWhileAutoCadRunsAndTheWatchEnds) {
  const Case cases[] = {
      {"the Japanese profile, made at once",
       [](NewUser& u) {
         u.Make(Profile2023(u"jpn"));
         u.MakeFile(Profile2023(u"jpn") + u"\\acad.ctb");
       },
       Profile2023(u"jpn")},
      {"made in steps, acad.ctb with the folder",
       [](NewUser& u) {
         u.Make(Below(u"Autodesk"));
         u.Make(Below(u"Autodesk\\AutoCAD 2023"));
         u.Make(Below(u"Autodesk\\AutoCAD 2023\\R24.2\\jpn"));
         u.MakeFile(Profile2023(u"jpn") + u"\\acad.ctb");
       },
       Profile2023(u"jpn")},
      {"the English profile", [](NewUser& u) { u.MakeFile(Profile2023(u"enu") + u"\\acad.ctb"); },
       Profile2023(u"enu")},
      {"the older Japanese folder",
       [](NewUser& u) {
         u.MakeFile(Below(u"Autodesk\\AutoCAD\\R24.2\\jpn\\Plotters\\Plot Styles\\acad.ctb"));
       },
       Below(u"Autodesk\\AutoCAD\\R24.2\\jpn\\Plotters\\Plot Styles")},
      {"a language folder that was there before AutoCAD made its profile in it",
       [](NewUser& u) { u.MakeFile(Profile2023(u"deu") + u"\\acad.ctb"); }, Profile2023(u"deu")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    NewUser user;
    if (std::string(c.label).starts_with("a language folder"))
      user.files.AddFolder(Below(u"Autodesk\\AutoCAD 2023\\R24.2\\deu"));
    bool installed_while_waiting = false, watching_after = true;
    user.app.during_wait = [&] {
      ASSERT_TRUE(user.app.observed) << "the wait watches";
      EXPECT_FALSE(user.files.Watches().empty());
      c.autocad(user);
      installed_while_waiting = HasAddOnTables(user.files, c.folder);
      watching_after = !user.files.Watches().empty() || !user.app.observed->Waitables().empty();
    };
    user.FormCreate();
    EXPECT_TRUE(installed_while_waiting) << "the tables, while AutoCAD runs";
    EXPECT_FALSE(watching_after) << "every watch closed once the tables are in";
    // The launch goes on as before: the pause, the icon gone, the end.
    const long waited = user.log.IndexOf("wait");
    ASSERT_GE(waited, 0);
    EXPECT_LT(waited, user.log.IndexOf("sleep 1000"));
    EXPECT_LT(user.log.IndexOf("sleep 1000"), user.log.IndexOf("icon delete"));
    EXPECT_TRUE(user.log.Has("terminate"));
    EXPECT_FALSE(user.log.HasPrefix("error "));
  }
}

// Browsers and other programs write into the application data all day: a
// change that is not AutoCAD's folder costs a look or two, not a new look at
// every folder, and installs nothing.
TEST(FirstSessionTest, AnUnrelatedChangeCostsATestOrTwo) {
  NewUser user;
  std::size_t probes = 0, listings = 0;
  int copies = 0;
  bool still_watching = false;
  user.app.during_wait = [&] {
    // The watches move down: one on "Autodesk" for the older folder, one on
    // the release's folder for the language profiles to come.
    user.Make(Below(u"Autodesk\\AutoCAD 2023\\R24.2"));
    const std::size_t probed = user.files.probed.size(), listed = user.files.listed.size();
    for (int i = 0; i < 50; ++i) {
      user.files.AddFile(Below(u"Mozilla" + std::u16string(1, u'a' + i % 26) + u".tmp"));
      user.files.AddFile(Below(u"Autodesk\\web-cache-" + std::u16string(1, u'a' + i % 26)));
      user.files.Remove(Below(u"Autodesk\\web-cache-" + std::u16string(1, u'a' + i % 26)));
      DeliverChanges(user.files, *user.app.observed);
    }
    probes = user.files.probed.size() - probed;
    listings = user.files.listed.size() - listed;
    copies = user.files.copies;
    still_watching = !user.app.observed->Waitables().empty();
  };
  user.FormCreate();
  EXPECT_LE(probes, 50u * 2) << "a test or two for each change";
  EXPECT_EQ(listings, 0u);
  EXPECT_EQ(copies, 0);
  EXPECT_TRUE(still_watching);
}

TEST(FirstSessionTest, NothingIsWatchedWhereNothingIsToBeDone) {
  struct Quiet {
    const char* label;
    std::function<void(NewUser&)> arrange;
  } const cases[] = {
      {"the profile is there already",
       [](NewUser& u) { u.files.AddFile(Profile2023(u"jpn") + u"\\acad.ctb"); }},
      {"the add-on has no Hv_mono.ctb",
       [](NewUser& u) {
         u.files.Remove(std::u16string(kInstall) + u"\\Plot Styles\\Hv_mono.ctb");
       }},
      {"no watch can be set",
       [](NewUser& u) { u.files.fail_watch = [](std::u16string_view) { return true; }; }},
      {"AutoCAD did not start", [](NewUser& u) { u.shell.fail_with = 2; }},
  };
  for (const Quiet& c : cases) {
    SCOPED_TRACE(c.label);
    NewUser user;
    c.arrange(user);
    bool observed = true;
    user.app.during_wait = [&] { observed = user.app.observed != nullptr; };
    user.FormCreate();
    EXPECT_FALSE(observed) << "the wait is the plain wait for AutoCAD";
    EXPECT_TRUE(user.files.Watches().empty());
  }
}

// With the add-on's Hv_mono.ctb missing nothing is copied, even into the
// folder AutoCAD makes: no watch is set for it.
TEST(FirstSessionTest, WithoutTheSourceMonoTableNothingIsCopied) {
  NewUser user;
  user.files.Remove(std::u16string(kInstall) + u"\\Plot Styles\\Hv_mono.ctb");
  user.app.during_wait = [&] { user.files.AddFile(Profile2023(u"jpn") + u"\\acad.ctb"); };
  user.FormCreate();
  EXPECT_EQ(user.files.copies, 0);
}

// The watch itself over the fake file system, with an application data
// folder and nothing below it; it counts the installations it asks for.
struct WatchAlone {
  WatchAlone() { files.AddFolder(kAppData); }
  FakeFileSystem files;
  int installs = 0;
  PlotStyleWatch watch{files, std::u16string(kAppData), [this] {
                         ++installs;
                         return true;
                       }};
};

// A watch that cannot be set for a deeper folder once it appears is given
// up quietly.
TEST(FirstSessionTest, WatchThatCannotBeSetForADeeperFolderIsGivenUp) {
  WatchAlone alone;
  FakeFileSystem& files = alone.files;
  PlotStyleWatch& watch = alone.watch;
  ASSERT_TRUE(watch.Start());
  files.fail_watch = [](std::u16string_view folder) { return folder.ends_with(u"Autodesk"); };
  files.AddFolder(Below(u"Autodesk"));
  DeliverChanges(files, watch);
  EXPECT_FALSE(watch.Watching());
  EXPECT_TRUE(files.Watches().empty());
  EXPECT_EQ(alone.installs, 0);
}

// A folder made between the move of a watch and its look is not missed.
TEST(FirstSessionTest, AFolderMadeWhileTheWatchMovesIsSeen) {
  WatchAlone alone;
  FakeFileSystem& files = alone.files;
  PlotStyleWatch& watch = alone.watch;
  ASSERT_TRUE(watch.Start());
  // The whole profile appears before the launcher looks: one notification,
  // for "Autodesk" alone, and the rest was made before the watches below
  // it were set.
  files.AddFile(Profile2023(u"jpn") + u"\\acad.ctb");
  DeliverChanges(files, watch);
  EXPECT_EQ(alone.installs, 1);
  EXPECT_FALSE(watch.Watching());
}

}  // namespace
}  // namespace halvane::test
