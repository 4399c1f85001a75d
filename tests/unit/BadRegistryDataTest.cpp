// Bad data in every registry value the launcher reads, through the whole
// start-up: an error report where the value is of another type, else the
// value as stored (or nothing), and never a key left open.
#include <gtest/gtest.h>

#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

enum class Value { kAcadPath, kCurVer, kAcadLocation };
enum class Outcome { kError, kNothingFound, kLaunched, kTaken };

struct Row {
  const char* label;
  Value value;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
  Outcome outcome;
  std::string launched;  // the path started, for kLaunched
};

std::vector<std::uint8_t> Text(std::u16string_view text, bool terminated = true) {
  std::vector<std::uint8_t> data = EncodeRegistryString(text);
  if (!terminated)
    data.resize(data.size() - 2);
  return data;
}

// A stored path of half a million characters, whose file the tests create.
std::u16string BigPath() {
  return u"C:\\" + std::u16string(512 * 1024, u'x');
}

std::vector<Row> Rows() {
  const std::u16string big = BigPath();
  std::vector<Row> rows;
  for (const Value value : {Value::kAcadPath, Value::kCurVer, Value::kAcadLocation}) {
    rows.push_back({"dword", value, kRegDword, {1, 0, 0, 0}, Outcome::kError, ""});
    rows.push_back({"qword", value, kRegQword, {1, 0, 0, 0, 0, 0, 0, 0}, Outcome::kError, ""});
    rows.push_back({"binary of odd length", value, kRegBinary, {1, 2, 3}, Outcome::kError, ""});
    rows.push_back({"multi sz", value, kRegMultiSz, Text(u"C:\\AC\0", true), Outcome::kError, ""});
    rows.push_back({"none with data", value, kRegNone, {0x41, 0}, Outcome::kError, ""});
    rows.push_back({"empty binary", value, kRegBinary, {}, Outcome::kNothingFound, ""});
    rows.push_back({"empty sz", value, kRegSz, {}, Outcome::kNothingFound, ""});
    // A long stored path is taken as it stands; a long folder or CurVer finds nothing.
    rows.push_back({"one mebibyte", value, kRegSz, Text(big),
                    value == Value::kAcadPath ? Outcome::kTaken : Outcome::kNothingFound, ""});
  }
  // String data that is taken as it stands.
  rows.push_back({"expand sz stays unexpanded", Value::kAcadPath, kRegExpandSz,
                  Text(u"%ProgramFiles%\\AC\\acad.exe"), Outcome::kLaunched,
                  "%ProgramFiles%\\AC\\acad.exe"});
  rows.push_back({"no terminator", Value::kAcadPath, kRegSz, Text(u"D:\\AC\\acad.exe", false),
                  Outcome::kLaunched, "D:\\AC\\acad.exe"});
  rows.push_back({"zero inside", Value::kAcadPath, kRegSz, Text(u"D:\\AC\\acad.exe\0junk"),
                  Outcome::kLaunched, "D:\\AC\\acad.exe"});
  rows.push_back({"outside the basic plane", Value::kAcadPath, kRegSz,
                  Text(u"D:\\\U0001F3E0\\acad.exe"), Outcome::kLaunched,
                  "D:\\\U0001F3E0\\acad.exe"});
  rows.push_back({"odd byte count", Value::kAcadLocation, kRegSz,
                  [] {
                    auto d = Text(u"D:\\AC", false);
                    d.push_back('x');
                    return d;
                  }(),
                  Outcome::kLaunched, "D:\\AC\\acad.exe"});
  rows.push_back({"stored path whose file is gone", Value::kAcadPath, kRegSz,
                  Text(u"D:\\Gone\\acad.exe"), Outcome::kNothingFound, ""});
  rows.push_back({"CurVer climbing out with ..", Value::kCurVer, kRegSz, Text(u"..\\..\\Evil"),
                  Outcome::kNothingFound, ""});
  rows.push_back({"CurVer with a backslash", Value::kCurVer, kRegSz, Text(u"ACAD-1\\deeper"),
                  Outcome::kNothingFound, ""});
  rows.push_back({"expand sz CurVer", Value::kCurVer, kRegExpandSz, Text(u"%CURVER%"),
                  Outcome::kNothingFound, ""});
  return rows;
}

const char16_t* Name(Value value) {
  switch (value) {
    case Value::kAcadPath:
      return u"AcadPath";
    case Value::kCurVer:
      return u"CurVer";
    case Value::kAcadLocation:
      return u"AcadLocation";
  }
  return u"";
}

TEST(BadRegistryData, EveryCaseEndsAsSpecifiedWithNoKeyLeftOpen) {
  constexpr std::u16string_view kUser = u"Software\\Autodesk\\AutoCAD\\R24.2";
  constexpr std::u16string_view kMachine = u"SOFTWARE\\Autodesk\\AutoCAD\\R24.2\\ACAD-1";
  for (const Row& row : Rows()) {
    SCOPED_TRACE(std::string(row.label) + " in " + Utf8(Name(row.value)));
    EventLog log;
    FakeRegistry registry;
    FakeFileSystem files(&log);
    FakeShell shell(log);
    FakeApplication app(log);
    RecordingView view(log);
    files.AddFile(u"D:\\AC\\acad.exe");
    files.AddFile(u"D:\\AC\\x\\acad.exe");
    // The files that the stored paths name, taken literally.
    files.AddFile(u"%ProgramFiles%\\AC\\acad.exe");
    files.AddFile(u"D:\\\U0001F3E0\\acad.exe");
    files.AddFile(BigPath());
    // The launcher's key, Autodesk's key pointing at D:\AC, with one value bad.
    if (row.value != Value::kAcadPath) {
      registry.PutString(RootKey::CurrentUser, kUser, u"CurVer", u"ACAD-1");
      registry.PutString(RootKey::LocalMachine, kMachine, u"AcadLocation", u"D:\\AC\\x");
    }
    const std::u16string_view path = row.value == Value::kAcadPath ? kUserKeyPath
                                     : row.value == Value::kCurVer ? kUser
                                                                   : kMachine;
    registry.PutValue(
        row.value == Value::kAcadLocation ? RootKey::LocalMachine : RootKey::CurrentUser, path,
        Name(row.value), row.type, row.data);
    TForm1 form(Platform{registry, files, shell, app}, view);
    view.on_press_button1 = [&] { Dispatch(app, [&] { form.Button1Click(); }); };
    Dispatch(app, [&] { form.FormCreate(); });

    const std::string error = "error '" + Utf8(Name(row.value)) + "' のデータ型が不正です.";
    switch (row.outcome) {
      case Outcome::kError:
        EXPECT_TRUE(log.Has(error));
        EXPECT_FALSE(log.Has("press Button1"));
        break;
      case Outcome::kNothingFound:
        EXPECT_FALSE(log.Has(error));
        EXPECT_FALSE(log.Has("press Button1"));
        EXPECT_TRUE(Inspect(form).ACADLocation.empty());
        break;
      case Outcome::kTaken:
        EXPECT_FALSE(log.Has(error));
        EXPECT_TRUE(log.Has("press Button1"));
        EXPECT_EQ(Inspect(form).ACADLocation.size(), 3u + 512 * 1024);
        break;
      case Outcome::kLaunched:
        EXPECT_FALSE(log.Has(error));
        EXPECT_TRUE(log.Has("exec open|" + row.launched + "| /t Halvane.dwt|shown"));
        break;
    }
    EXPECT_TRUE(log.Has("splash release"));
    EXPECT_EQ(registry.OpenKeys(), 0);
  }
}

TEST(BadRegistryData, ValueThatChangesBetweenSizeAndDataIsReported) {
  EventLog log;
  FakeRegistry registry;
  FakeFileSystem files(&log);
  FakeShell shell(log);
  FakeApplication app(log);
  RecordingView view(log);
  registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"AcadPath", u"D:\\AC\\acad.exe");
  // Another program makes the value longer, then removes it.
  registry.between_size_and_data = [&](std::u16string_view) {
    registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"AcadPath", u"D:\\Longer\\acad.exe");
  };
  TForm1 form(Platform{registry, files, shell, app}, view);
  Dispatch(app, [&] { form.FormCreate(); });
  EXPECT_TRUE(log.Has("error 'AcadPath' の取得に失敗しました."));
  EXPECT_EQ(registry.OpenKeys(), 0);

  EventLog log2;
  FakeApplication app2(log2);
  registry.between_size_and_data = nullptr;
  registry.fail_read_data = [](std::u16string_view) { return true; };
  TForm1 form2(Platform{registry, files, shell, app2}, view);
  Dispatch(app2, [&] { form2.FormCreate(); });
  EXPECT_TRUE(log2.Has("error 'AcadPath' の取得に失敗しました."));
}

}  // namespace
}  // namespace halvane::test
