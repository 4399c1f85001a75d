// Each platform operation failing in turn, during a first start and during a
// later start: the launcher reports what it should, ends or goes on, and
// leaves no key open and no process handle unclosed.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

enum class Fault { kNone, kKeyOpen, kValueWrite, kCopy, kStart, kWait, kIconAdd };

struct Case {
  const char* label;
  Fault fault;
  bool first_start;
};

class FaultTest : public LauncherTest, public ::testing::WithParamInterface<Case> {};

TEST_P(FaultTest, EndsAsSpecifiedWithNothingLeftOpen) {
  const Case& c = GetParam();
  files.AddFile(kDefaultAcad1);
  InstallTables();
  AutoCadProfile(PlotStyles());
  if (!c.first_start)
    StorePath(kDefaultAcad1);
  switch (c.fault) {
    case Fault::kNone:
      break;
    case Fault::kKeyOpen:
      registry.fail_open = [](std::u16string_view) { return true; };
      break;
    case Fault::kValueWrite:
      registry.fail_set = [](std::u16string_view) { return true; };
      break;
    case Fault::kCopy:
      files.fail_copy = [](std::u16string_view) { return true; };
      break;
    case Fault::kStart:
      shell.fail_with = 5;
      break;
    case Fault::kWait:
      app.wait_result = WaitResult::kFailed;
      break;
    case Fault::kIconAdd:
      shell.notify_result = false;
      break;
  }
  FormCreate();

  const bool write_fails = c.fault == Fault::kValueWrite && c.first_start;
  EXPECT_EQ(log.Has("error 'LibPath' の設定に失敗しました."), write_fails);
  // Only the failed write stops the start; every other fault still launches.
  EXPECT_EQ(log.Has("press Button1"), !write_fails);
  if (!write_fails) {
    EXPECT_EQ(log.entries.back(), "terminate");
    EXPECT_EQ(log.Has("messagebox 実行できません (5)"), c.fault == Fault::kStart);
    EXPECT_EQ(view.panel1 == u"実行終了", c.fault != Fault::kStart && c.fault != Fault::kWait);
    EXPECT_EQ(log.Count("icon add"), 1);
    EXPECT_EQ(log.Count("icon delete"), 1);
  }
  if (c.first_start && c.fault != Fault::kValueWrite) {
    const bool copied = files.Contents(PlotStyles() + u"\\Hv_mono.ctb").has_value();
    EXPECT_EQ(copied, c.fault != Fault::kCopy);
  }
  EXPECT_EQ(registry.OpenKeys(), 0);
  form.reset();
  EXPECT_EQ(shell.open_processes, 0);
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  const std::pair<const char*, Fault> faults[] = {
      {"none", Fault::kNone},
      {"key_open", Fault::kKeyOpen},
      {"value_write", Fault::kValueWrite},
      {"copy", Fault::kCopy},
      {"start", Fault::kStart},
      {"wait", Fault::kWait},
      {"icon_add", Fault::kIconAdd},
  };
  for (const auto& [label, fault] : faults) {
    cases.push_back({label, fault, true});
    cases.push_back({label, fault, false});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(EachOperation,
                         FaultTest,
                         ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.label) +
                                  (info.param.first_start ? "_first_start" : "_later_start");
                         });

TEST_F(LauncherTest, InstallationAtADriveRootIsRecordedAsTheRoot) {
  files.current_directory = u"D:\\";
  files.AddFile(kDefaultAcad1);
  InstallTables(u"D:\\");
  AutoCadProfile(PlotStyles());
  FormCreate();
  EXPECT_EQ(Stored(u"LibPath"), u"D:\\");
  EXPECT_EQ(files.Contents(PlotStyles() + u"\\Hv_mono.ctb"), "add-on Hv_mono.ctb");
}

// The one place where handlers' errors stop reports each, whatever it is,
// and lets nothing through.
TEST(EventDispatch, EveryErrorIsReportedAndNoneGoesFurther) {
  EventLog log;
  FakeApplication app(log);
  Dispatch(app, [] { throw ERegistryException(u"'AcadPath' の取得に失敗しました"); });
  Dispatch(app, [] { throw std::runtime_error("out of luck"); });
  Dispatch(app, [] { throw 42; });
  Dispatch(app, [] {});
  EXPECT_EQ(log.entries,
            (std::vector<std::string>{
                "error " + Utf8(ErrorReportText(u"'AcadPath' の取得に失敗しました")),
                "error out of luck.", "error " + Utf8(ErrorReportText(kUnexpectedError))}));
}

}  // namespace
}  // namespace halvane::test
