// The pure text rules: command-line splitting, the folder part of a path,
// the error report's full stop, and AutoCAD's parameter text.
#include <gtest/gtest.h>

#include <algorithm>

#include "launcher/ParameterText.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "tests/fakes/MicrosoftArgs.h"
#include "tests/fakes/Text.h"

namespace halvane {
namespace {

TEST(CommandLine, SplitsByTheLaunchersRules) {
  struct Case {
    std::u16string line;
    std::vector<std::u16string> args;  // after the program file
  } const cases[] = {
      {u"prog.exe", {}},
      {u"\"C:\\Halvane 2023\\Halvane2023.exe\"", {}},
      {u"prog a \"b c\" d", {u"a", u"b c", u"d"}},
      {u"prog a \"\" b", {u"a", u"b"}},
      {u"prog \"\"\"\" a", {u"a"}},
      {u"prog \"C:\\My Drawings\\plan.dwg\"", {u"C:\\My Drawings\\plan.dwg"}},
      {u"prog \"D:\\Drawings\\\" next", {u"D:\\Drawings\\", u"next"}},
      {u"prog ab\"c d\"e", {u"abc de"}},
      {u"prog \"open to the end", {u"open to the end"}},
      {u"prog\ta\x01"
       u"b\x1f"
       u"c",
       {u"a", u"b", u"c"}},
      {u"prog   trailing   ", {u"trailing"}},
      {u"prog \\\"x y\\\"", {u"\\x y\\"}},
      {u"\"prog\"a b", {u"b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
    const std::vector<std::u16string> split = SplitCommandLine(c.line);
    ASSERT_FALSE(split.empty()) << "the program file is always there";
    EXPECT_EQ(std::vector<std::u16string>(split.begin() + 1, split.end()), c.args);
  }
}

TEST(CommandLine, ProgramFileComesFirst) {
  EXPECT_EQ(SplitCommandLine(u"\"C:\\a b\\x.exe\" y")[0], u"C:\\a b\\x.exe");
  EXPECT_EQ(SplitCommandLine(u""), std::vector<std::u16string>{u""}) << "even when empty";
}

TEST(FolderPart, KeepsTheLastSeparator) {
  EXPECT_EQ(ExtractFilePath(u"D:\\Tools\\AutoCAD\\setup.exe"), u"D:\\Tools\\AutoCAD\\");
  EXPECT_EQ(ExtractFilePath(u"E:\\x.exe"), u"E:\\");
  EXPECT_EQ(ExtractFilePath(u"E:x.exe"), u"E:");
  EXPECT_EQ(ExtractFilePath(u"setup.exe"), u"");
  EXPECT_EQ(ExtractFilePath(u""), u"");
}

// A folder keeps its closing backslash only at a drive's root.
TEST(FolderPart, FolderOfAProgramFile) {
  struct Case {
    std::u16string path, folder;
  } const cases[] = {
      {u"C:\\Program Files (x86)\\Fenwright\\Halvane2023\\Halvane2023.exe",
       u"C:\\Program Files (x86)\\Fenwright\\Halvane2023"},
      {u"C:\\Halvane2023.exe", u"C:\\"},
      {u"\\\\server\\share\\Halvane2023.exe", u"\\\\server\\share"},
      {u"Halvane2023.exe", u""},
      {u"", u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FolderOf(c.path), c.folder) << test::Utf8(c.path);
}

TEST(FolderPart, NamesCompareWithoutCaseInAsciiOnly) {
  EXPECT_TRUE(SameAsciiName(u"JPN", u"jpn"));
  EXPECT_TRUE(SameAsciiName(u"C:\\Halvane", u"c:\\HALVANE"));
  EXPECT_FALSE(SameAsciiName(u"jpn", u"jpn2"));
  EXPECT_FALSE(SameAsciiName(u"enu", u"jpn"));
  // Full-width letters are other names, as they are for the launcher.
  EXPECT_FALSE(SameAsciiName(u"ｊｐｎ", u"jpn"));
}

TEST(ErrorReport, AddsAFullStopAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorReportText(u"'AcadPath' のデータ型が不正です"),
            u"'AcadPath' のデータ型が不正です.");
  EXPECT_EQ(ErrorReportText(u"Done."), u"Done.");
  EXPECT_EQ(ErrorReportText(u"code -"), u"code -");
  // The report of a window that could not be made, as the box shows it.
  EXPECT_EQ(ErrorReportText(WindowCreationFailedText(1400)), u"ウィンドウを作成できません (1400)");
  EXPECT_EQ(WindowCreationFailedText(0), u"ウィンドウを作成できません (0)");
  EXPECT_EQ(WindowCreationFailedText(4294967295u), u"ウィンドウを作成できません (4294967295)");
  EXPECT_EQ(ErrorReportText(u"item /"), u"item /.");
  EXPECT_EQ(ErrorReportText(u""), u"");
}

TEST(ParameterText, DefaultWithoutArgumentsElseArgumentsLastToFirst) {
  struct Case {
    std::u16string line;
    std::u16string expected;
  } const cases[] = {
      {u"Halvane2023.exe", u" /t Halvane.dwt"},
      {u"Halvane2023.exe \"\"", u" /t Halvane.dwt"},
      {u"Halvane2023.exe \"C:\\My Drawings\\plan.dwg\"", u" \"C:\\My Drawings\\plan.dwg\""},
      {u"Halvane2023.exe a.dwg b.dwg c.dwg", u" \"c.dwg\" \"b.dwg\" \"a.dwg\""},
      {u"Halvane2023.exe \"D:\\Drawings\\\" x", u" \"x\" \"D:\\Drawings\\\\\""},
      {u"Halvane2023.exe C:\\a\\\\\\", u" \"C:\\a\\\\\\\\\\\\\""},
      {u"Halvane2023.exe \\\\server\\share\\p.dwg", u" \"\\\\server\\share\\p.dwg\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildParameterText(c.line), c.expected) << std::string(c.line.begin(), c.line.end());
  }
}

// AutoCAD's own switches keep their order and their values; the drawings
// keep today's form; the template is added only where nothing else names
// what to open.
TEST(ParameterText, SwitchesKeepTheirOrderAndValuesAfterTheDrawings) {
  struct Case {
    const char* label;
    std::u16string line;
    std::u16string expected;
  } const cases[] = {
      {"a profile alone: the template added", u"L /p \"My Profile\"",
       u" /p \"My Profile\" /t Halvane.dwt"},
      {"profile and script", u"L /p \"My Profile\" /b setup.scr",
       u" /p \"My Profile\" /b \"setup.scr\" /t Halvane.dwt"},
      {"a switch without a value", u"L /nologo", u" /nologo /t Halvane.dwt"},
      {"drawings with a switch between them", u"L a.dwg /nologo b.dwg",
       u" \"b.dwg\" \"a.dwg\" /nologo"},
      {"drawings only: today's text", u"L a.dwg b.dwg", u" \"b.dwg\" \"a.dwg\""},
      {"an explicit /t: no second template", u"L /t other.dwt", u" /t \"other.dwt\""},
      {"another letter case", u"L /P Halvane /NoLogo", u" /P \"Halvane\" /NoLogo /t Halvane.dwt"},
      {"a switch last, without its value: bare", u"L a.dwg /p", u" \"a.dwg\" /p"},
      {"a switch where a value is expected is the value", u"L /p /nologo",
       u" /p \"/nologo\" /t Halvane.dwt"},
      {"every switch with a value",
       u"L /b 1 /c 2 /ld 3 /pl 4 /s 5 /set 6 /v 7 /w 8 /product 9 /language 10",
       u" /b \"1\" /c \"2\" /ld \"3\" /pl \"4\" /s \"5\" /set \"6\" /v \"7\" /w \"8\" /product "
       u"\"9\""
       u" /language \"10\" /t Halvane.dwt"},
      {"every switch without", u"L /nologo /nossm /nohardware /r",
       u" /nologo /nossm /nohardware /r /t Halvane.dwt"},
      {"a value ending in a backslash", u"L /s \"C:\\Support\\\"",
       u" /s \"C:\\Support\\\\\" /t Halvane.dwt"},
      {"no switch: other slashed words are drawings", u"L /x /pp", u" \"/pp\" \"/x\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(BuildParameterText(c.line), c.expected);
  }
}

// Started from another folder than AutoCAD's, a drawing named relative to
// the launcher's folder is made full; a full one, a share's, a drive's own
// and every switch's value go as given. Without the resolver (the usual
// start from the shortcut) nothing changes.
TEST(ParameterText, RelativeDrawingsAreMadeFullOnlyWhenAsked) {
  const FullPathOf full = [](std::u16string_view name) {
    return u"C:\\Drawings\\" + std::u16string(name);
  };
  struct Case {
    const char* label;
    std::u16string line;
    std::u16string expected;
  } const cases[] = {
      {"a relative drawing", u"L plan.dwg", u" \"C:\\Drawings\\plan.dwg\""},
      {"with ..\\", u"L ..\\old\\plan.dwg", u" \"C:\\Drawings\\..\\old\\plan.dwg\""},
      {"a full path", u"L D:\\plan.dwg", u" \"D:\\plan.dwg\""},
      {"a drive's own folder", u"L D:plan.dwg", u" \"D:plan.dwg\""},
      {"a share", u"L \\\\server\\cad\\plan.dwg", u" \"\\\\server\\cad\\plan.dwg\""},
      {"rooted on the current drive", u"L \\plans\\a.dwg", u" \"\\plans\\a.dwg\""},
      {"a switch's value", u"L /b setup.scr", u" /b \"setup.scr\" /t Halvane.dwt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(BuildParameterText(c.line, full), c.expected);
  }
  EXPECT_EQ(BuildParameterText(u"L plan.dwg"), u" \"plan.dwg\"") << "not asked: as given";
}

TEST(ParameterText, MicrosoftParsingGivesBackTheArgumentsLastToFirst) {
  const std::u16string lines[] = {
      u"L \"D:\\Drawings\\\" \"C:\\Program Files\\x.dwg\" plain",
      u"L \\\\\\ a\\b\\ \"\\\\ \\\\\"",
      u"L \"図面\\平面図.dwg\" \"\U0001F3E0\\\\\"",
      u"L \"tab\there\" /tee",
  };
  for (const std::u16string& line : lines) {
    const std::vector<std::u16string> all = SplitCommandLine(line);
    std::vector<std::u16string> expected(all.begin() + 1, all.end());
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(test::MicrosoftSplit(BuildParameterText(line)), expected);
  }
}

}  // namespace
}  // namespace halvane
