// The launch, the notification icon and the wait.
#include <gtest/gtest.h>

#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

class LaunchTest : public LauncherTest {
 protected:
  void Launch(std::u16string_view path = u"C:\\AutoCAD\\acad.exe") {
    StorePath(path);
    FormCreate();
  }
  std::vector<std::string> From(const std::string& first) const {
    const long at = log.IndexOf(first);
    if (at < 0)
      return {};
    return {log.entries.begin() + at, log.entries.end()};
  }
};

TEST_F(LaunchTest, StepsRunInOrder) {
  Launch();
  EXPECT_EQ(From("press Button1"),
            (std::vector<std::string>{"press Button1", "startupinfo",
                                      "exec open|C:\\AutoCAD\\acad.exe| /t Halvane.dwt|shown",
                                      "icon add", "disable Button3", "app minimized", "app hidden",
                                      "process messages", "wait", "sleep 1000", "panel1 実行終了",
                                      "icon delete", "app normal", "enable Button3", "terminate"}));
  EXPECT_EQ(shell.last_request_owner, view.Handle());
  ASSERT_EQ(app.waited_on.size(), 1u);
  EXPECT_NE(app.waited_on[0], nullptr);
}

TEST_F(LaunchTest, IconCarriesTheLaunchersValues) {
  Launch();
  ASSERT_EQ(shell.icon_records.size(), 2u);
  const NotifyIconData& added = shell.icon_records[0];
  EXPECT_EQ(added.window, view.Handle());
  EXPECT_EQ(added.id, 1u);
  EXPECT_EQ(added.flags, 7u);
  EXPECT_EQ(added.callback_message, 1124u);
  EXPECT_EQ(added.icon, app.Icon());
  EXPECT_EQ(added.tip, u"Halvane2023 実行中");
  const NotifyIconData& removed = shell.icon_records[1];
  EXPECT_EQ(removed.window, added.window);
  EXPECT_EQ(removed.id, added.id);
}

TEST_F(LaunchTest, ArgumentsAreForwarded) {
  files.command_line = u"\"C:\\Halvane\\Halvane2023.exe\" \"D:\\My Drawings\\a.dwg\" b.dwg";
  Launch();
  EXPECT_TRUE(
      log.Has("exec open|C:\\AutoCAD\\acad.exe| \"b.dwg\" \"D:\\My Drawings\\a.dwg\"|shown"));
}

TEST_F(LaunchTest, FailedStartIsReportedOnceAndTheLauncherEnds) {
  shell.fail_with = 1155;
  Launch(u"C:\\Gone\\acad.exe");
  EXPECT_EQ(log.Count("messagebox 実行できません (1155)"), 1);
  EXPECT_LT(log.IndexOf("messagebox 実行できません (1155)"), log.IndexOf("icon add"));
  ASSERT_EQ(app.waited_on.size(), 1u);
  EXPECT_EQ(app.waited_on[0], nullptr);
  EXPECT_EQ(view.panel1, u"");
  EXPECT_TRUE(log.Has("icon delete"));
  EXPECT_EQ(log.entries.back(), "terminate");
}

// Windows passes at most 32,766 characters: "<program>" <parameters>.
TEST_F(LaunchTest, CommandLineThatWouldBeCutIsRefusedAndReported) {
  const std::u16string acad = u"C:\\AutoCAD\\acad.exe";
  const std::size_t longest = 32766 - (acad.size() + 3) - 3;  // the argument that just fits
  for (const std::size_t extra : {std::size_t{0}, std::size_t{1}}) {
    SCOPED_TRACE(extra);
    log = EventLog{};
    app.waited_on.clear();
    form = std::make_unique<TForm1>(Platform{registry, files, shell, app}, view);
    const std::u16string drawing = u"D:\\" + std::u16string(longest + extra - 7, u'x') + u".dwg";
    ASSERT_EQ(drawing.size(), longest + extra);
    files.command_line = u"\"C:\\Halvane\\Halvane2023.exe\" " + drawing;
    Launch(acad);
    if (extra == 0) {
      // Passed whole, to the last character.
      EXPECT_TRUE(log.Has("exec open|" + Utf8(acad) + "| \"" + Utf8(drawing) + "\"|shown"));
      EXPECT_FALSE(log.Has("messagebox 実行できません (206)"));
    } else {
      EXPECT_EQ(log.Count("messagebox 実行できません (206)"), 1);
      EXPECT_EQ(From("startupinfo"),
                (std::vector<std::string>{
                    "startupinfo", "messagebox 実行できません (206)", "icon add", "disable Button3",
                    "app minimized", "app hidden", "process messages", "wait", "sleep 1000",
                    "icon delete", "app normal", "enable Button3", "terminate"}))
          << "nothing started; the closing steps as after any failed start";
      ASSERT_EQ(app.waited_on.size(), 1u);
      EXPECT_EQ(app.waited_on[0], nullptr);
    }
  }
}

TEST_F(LaunchTest, ThousandsOfDrawingsAreForwardedLastToFirst) {
  std::u16string line = u"\"C:\\Halvane\\Halvane2023.exe\"";
  std::string expected;
  for (int i = 1; i <= 2500; ++i) {
    const std::string name = std::to_string(i) + ".dwg";
    line += u" " + std::u16string(name.begin(), name.end());
    expected = " \"" + name + "\"" + expected;
  }
  files.command_line = line;
  Launch();
  EXPECT_TRUE(log.Has("exec open|C:\\AutoCAD\\acad.exe|" + expected + "|shown"));
}

TEST_F(LaunchTest, LastErrorIsWrittenInDecimalWithoutSign) {
  shell.fail_with = 0xFFFFFFF0u;
  Launch();
  EXPECT_TRUE(log.Has("messagebox 実行できません (4294967280)"));
}

TEST_F(LaunchTest, WaitThatDoesNotSeeTheEndLeavesThePanel) {
  for (const WaitResult result : {WaitResult::kFailed, WaitResult::kQuit}) {
    EventLog fresh;
    log = fresh;
    view.panel1.clear();
    app.wait_result = result;
    form = std::make_unique<TForm1>(Platform{registry, files, shell, app}, view);
    Launch();
    EXPECT_EQ(view.panel1, u"");
    EXPECT_EQ(From("sleep 1000"),
              (std::vector<std::string>{"sleep 1000", "icon delete", "app normal", "enable Button3",
                                        "terminate"}));
  }
}

// The session ends, or Restart Manager closes the launcher for an
// installation, while AutoCAD runs: the launcher ends at once, its icon
// gone, without the pause and without coming back on screen.
TEST_F(LaunchTest, SessionEndingWhileWaitingEndsAtOnceWithoutShowingAnything) {
  app.wait_result = WaitResult::kSessionEnding;
  Launch();
  EXPECT_EQ(From("wait"), (std::vector<std::string>{"wait", "icon delete", "terminate"}));
  EXPECT_EQ(view.panel1, u"");
  EXPECT_EQ(shell.icon_records.back().id, 1u) << "the icon that was added is the one removed";
}

TEST_F(LaunchTest, SecondPressWhileWaitingStartsNothing) {
  app.during_wait = [this] { view.PressButton1(); };
  Launch();
  EXPECT_EQ(log.Count("startupinfo"), 1);
  EXPECT_EQ(app.waited_on.size(), 1u);
}

// The window came back through the icon while AutoCAD runs: no button
// starts, searches, records or closes anything.
TEST_F(LaunchTest, WhileWaitingNoButtonActs) {
  files.AddFile(u"D:\\Picked\\acad.exe");
  view.dialog_results.push_back(u"D:\\Picked\\acad.exe");
  app.during_wait = [this] {
    log.Add("-- waiting");
    Run(&TForm1::Button1Click);
    Run(&TForm1::Button2Click);
    Run(&TForm1::Button3Click);
    log.Add("-- waited");
  };
  Launch();
  EXPECT_EQ(log.IndexOf("-- waited"), log.IndexOf("-- waiting") + 1);
  EXPECT_EQ(view.dialog_results.size(), 1u) << "no dialog was shown";
  EXPECT_EQ(Stored(u"AcadPath"), u"C:\\AutoCAD\\acad.exe");
  // After the launch has ended, the exit button closes again (the control).
  Run(&TForm1::Button3Click);
  EXPECT_EQ(log.entries.back(), "close");
}

TEST_F(LaunchTest, IconClickRestoresTheWindow) {
  app.during_wait = [this] {
    form->ICONMessage(TMessage{kIconCallbackMessage, 1, 0x0202, 0});  // button up: ignored
    log.Add("-- click");
    form->ICONMessage(TMessage{kIconCallbackMessage, 1, 0x0201, 0});
  };
  Launch();
  const std::vector<std::string> after = From("-- click");
  ASSERT_GE(after.size(), 4u);
  EXPECT_EQ(after[1], "icon delete");
  EXPECT_EQ(after[2], "app normal");
  EXPECT_EQ(after[3], "sleep 1000");
  EXPECT_EQ(log.IndexOf("-- click") - 1, log.IndexOf("wait"));
}

TEST_F(LaunchTest, ProcessHandleIsClosedWithTheLauncher) {
  Launch();
  EXPECT_EQ(shell.open_processes, 1);
  form.reset();
  EXPECT_EQ(shell.open_processes, 0);
}

TEST_F(LaunchTest, TypedPathIsNotWhatStarts) {
  files.AddFile(u"D:\\Picked\\setup.exe");
  view.dialog_results.push_back(u"D:\\Picked\\setup.exe");
  FormCreate();
  Run(&TForm1::Button2Click);
  view.SetEdit4Text(u"C:\\typed\\other.exe");
  view.PressButton1();
  EXPECT_TRUE(log.Has("exec open|D:\\Picked\\acad.exe| /t Halvane.dwt|shown"));
}

}  // namespace
}  // namespace halvane::test
