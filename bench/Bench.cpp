// Measures what the launcher adds to AutoCAD's start and end, beyond its two
// designed pauses, against a baseline taken in the same run:
//   bench.exe LAUNCHER TRIVIAL FLAT_END STANDIN REPORT [RUNS [BASELINE]]
// LAUNCHER is the benchmark build of Halvane2023.exe (it records timestamps of
// its phases), TRIVIAL a program that only records when it starts, FLAT_END
// a flat program that does the launch's closing steps and nothing else (the
// baseline of the end), STANDIN the stand-in AutoCAD, BASELINE a benchmark
// build of another revision whose registry and file work (phase 06) is
// measured beside this one's, start for start. The table goes to standard
// output and to REPORT.
#include <windows.h>

#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

double g_frequency = 1;
const wchar_t* const kTables[] = {L"Hv_color.ctb", L"Hv_mono.ctb", L"Hv_mono2.ctb"};

LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}
double Ms(LONGLONG ticks) {
  return ticks * 1000.0 / g_frequency;
}

std::wstring Temp() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  return temp;
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return {};
  std::string data(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
  CloseHandle(file);
  data.resize(read);
  return data;
}

void WriteAll(const std::wstring& path, const std::string& data) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(file);
}

// A string value of the current user's, its key made if missing.
void SetString(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
}

// Another program busy in the application data: a name made or removed
// about every 10 ms, in the folder itself and in its Autodesk folder by
// turns, until told to stop.
struct Churn {
  std::wstring app_data, autodesk;
  volatile LONG stop = 0;
  volatile LONG changes = 0;
};

DWORD WINAPI ChurnNames(void* parameter) {
  Churn& churn = *static_cast<Churn*>(parameter);
  for (int i = 0; !churn.stop; ++i) {
    const std::wstring folder = (i / 2) % 2 ? churn.autodesk : churn.app_data;
    const std::wstring name = folder + L"\\halvane-bench-churn-" + std::to_wstring(i / 4 % 8);
    if (i % 2 == 0)
      CreateDirectoryW(name.c_str(), nullptr);
    else
      RemoveDirectoryW(name.c_str());
    InterlockedIncrement(&churn.changes);
    Sleep(10);
  }
  return 0;
}

std::map<std::string, LONGLONG> ReadMarks(const std::wstring& path) {
  std::map<std::string, LONGLONG> marks;
  std::istringstream in(ReadAll(path));
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t space = line.rfind(' ');
    if (space == std::string::npos)
      continue;
    marks[line.substr(0, space)] = std::stoll(line.substr(space + 1));
  }
  DeleteFileW(path.c_str());
  return marks;
}

LONGLONG ReadCounter(const std::wstring& path) {
  std::istringstream in(ReadAll(path));
  LONGLONG value = 0;
  in >> value;
  DeleteFileW(path.c_str());
  return value;
}

LONGLONG StandInStarted(const std::wstring& record) {
  const std::string raw = ReadAll(record);
  std::wstring text(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / 2);
  const std::size_t at = text.find(L"started=");
  return at == std::wstring::npos ? 0 : std::stoll(text.substr(at + 8));
}

struct Run {
  HANDLE process = nullptr;
  LONGLONG created = 0;  // just before CreateProcess
  LONGLONG ended = 0;    // when the wait saw the process end
  SIZE_T peak_working_set = 0;
  SIZE_T private_bytes = 0;
  bool memory_known = false;
};

Run Start(const std::wstring& exe,
          const std::wstring& folder,
          DWORD sample_ms,
          const std::wstring& arguments = L"") {
  Run run;
  std::wstring command = L"\"" + exe + L"\"" + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  run.created = Now();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &si, &pi)) {
    std::fprintf(stderr, "cannot start %ls\n", exe.c_str());
    std::exit(1);
  }
  CloseHandle(pi.hThread);
  run.process = pi.hProcess;
  for (;;) {
    const DWORD r = WaitForSingleObject(pi.hProcess, sample_ms ? sample_ms : INFINITE);
    if (r == WAIT_OBJECT_0)
      break;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory)) &&
        memory.PeakWorkingSetSize > 0) {
      run.memory_known = true;
      run.peak_working_set = std::max(run.peak_working_set, memory.PeakWorkingSetSize);
      run.private_bytes = std::max(run.private_bytes, memory.PrivateUsage);
    }
  }
  run.ended = Now();
  return run;
}

double CpuMs(HANDLE process) {
  FILETIME creation, exit, kernel, user;
  GetProcessTimes(process, &creation, &exit, &kernel, &user);
  const auto value = [](FILETIME t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (value(kernel) + value(user)) / 10000.0;
}

struct Stats {
  double median, min, max;
};
Stats Of(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  return {median, values.front(), values.back()};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 6) {
    std::fprintf(stderr,
                 "usage: bench LAUNCHER TRIVIAL FLAT_END STANDIN REPORT [RUNS [BASELINE]]\n");
    return 2;
  }
  const std::wstring launcher = argv[1], trivial = argv[2], flat_end = argv[3];
  const std::wstring standin_source = argv[4], report = argv[5];
  const int runs = argc > 6 ? _wtoi(argv[6]) : 10;
  const std::wstring baseline = argc > 7 ? argv[7] : L"";
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  g_frequency = static_cast<double>(frequency.QuadPart);

  // A later start: the stored path names the stand-in, so nothing is searched.
  // The add-on is installed (template and tables) and the user's AutoCAD
  // profile already holds the tables, as after the first start: every start
  // looks for the profiles and finds nothing to copy. AutoCAD's registry is
  // as its first start leaves it: one product key, one profile, whose
  // plot-style search path names the default folder.
  const std::wstring folder = Temp() + L"halvane-bench";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring tables = folder + L"\\Plot Styles";
  CreateDirectoryW(tables.c_str(), nullptr);
  wchar_t app_data[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, app_data);
  const std::wstring autodesk = std::wstring(app_data) + L"\\Autodesk";
  const std::wstring profile = autodesk + L"\\AutoCAD 2023\\R24.2\\jpn\\Plotters\\Plot Styles";
  SHCreateDirectoryExW(nullptr, profile.c_str(), nullptr);
  WriteAll(folder + L"\\Halvane.dwt", "template");
  WriteAll(profile + L"\\acad.ctb", "autocad's own table");
  // The list of released tables names an earlier release's copy, which
  // the start with replacements below puts into the profile.
  const std::string earlier = "an earlier release's table";
  const std::string earlier_sha256 =
      "c0427687f1c724a6adf46d5bd8287cd05bb945bdd0bbef4afa757e9fea15c8c7";  // of `earlier`
  std::string released;
  for (const wchar_t* table : kTables) {
    WriteAll(tables + L"\\" + table, "add-on table");
    released += earlier_sha256 + "  " + std::string(table, table + wcslen(table)) + "\r\n";
  }
  WriteAll(tables + L"\\released.sha256", released);
  // The profile as the last start left it: copies of the current tables,
  // with their last-write times.
  for (const wchar_t* table : kTables)
    CopyFileW((tables + L"\\" + table).c_str(), (profile + L"\\" + table).c_str(), FALSE);
  const std::wstring standin = folder + L"\\acad.exe";
  CopyFileW(standin_source.c_str(), standin.c_str(), FALSE);
  const std::wstring product = L"Software\\Autodesk\\AutoCAD\\R24.2\\ACAD-6101:411";
  const std::wstring roaming_root = autodesk + L"\\AutoCAD 2023\\R24.2\\jpn\\";
  SetString(product, L"RoamableRootFolder", roaming_root);
  SetString(product + L"\\Profiles", L"", L"<<Unnamed Profile>>");
  SetString(product + L"\\Profiles\\<<Unnamed Profile>>\\General", L"PrinterStyleSheetDir",
            profile);
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Fenwright\\Halvane2023", 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExW(key, L"AcadPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(standin.c_str()),
                 static_cast<DWORD>((standin.size() + 1) * 2));
  RegCloseKey(key);

  const std::wstring marks = folder + L"\\marks.txt";
  const std::wstring ended_file = folder + L"\\ended.txt";
  const std::wstring record = folder + L"\\record.txt";
  SetEnvironmentVariableW(L"HALVANE_BENCH_MARKS", marks.c_str());
  SetEnvironmentVariableW(L"HALVANE_STANDIN_ENDED", ended_file.c_str());
  SetEnvironmentVariableW(L"HALVANE_STANDIN_RECORD", record.c_str());
  SetEnvironmentVariableW(L"HALVANE_FLAT_STANDIN", standin.c_str());

  // Many drawings dropped on the shortcut: one-letter arguments, each adding
  // " x" to the launcher's command line and " \"x\"" to AutoCAD's.
  const auto many = [](int count) {
    std::wstring arguments;
    for (int i = 0; i < count; ++i)
      arguments += L" " + std::wstring(1, static_cast<wchar_t>(L'a' + i % 26));
    return arguments;
  };
  const int argument_counts[] = {2000, 8000};
  std::map<int, std::wstring> arguments_for;
  for (const int count : argument_counts)
    arguments_for[count] = many(count);
  std::map<int, std::vector<double>> with_arguments, extra_for_arguments, work_with_arguments;

  std::vector<double> trivial_start, start_overhead, end_overhead, wakeups, flat_end_overhead,
      end_beyond_flat, baseline_work, work_beyond_baseline, start_beyond_baseline, work_replacing;
  std::map<std::string, std::vector<double>> phases;
  const auto phase = [&](const std::string& name, double value) { phases[name].push_back(value); };
  for (int i = 0; i < runs; ++i) {
    // The baseline, and the launcher, alternately.
    Run floor = Start(trivial, folder, 0);
    CloseHandle(floor.process);
    auto trivial_marks = ReadMarks(marks);
    const double floor_ms = Ms(trivial_marks["entry"] - floor.created);
    trivial_start.push_back(floor_ms);

    SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", L"0.5");
    Run run = Start(launcher, folder, 0);
    CloseHandle(run.process);
    auto m = ReadMarks(marks);
    const LONGLONG acad_started = StandInStarted(record);
    const LONGLONG acad_ended = ReadCounter(ended_file);
    start_overhead.push_back(Ms(acad_started - run.created) - 800 - 2 * floor_ms);
    end_overhead.push_back(Ms(run.ended - acad_ended) - 1000);

    // The flat program's end, for the same stand-in session.
    Run flat = Start(flat_end, folder, 0);
    CloseHandle(flat.process);
    const LONGLONG flat_acad_ended = ReadCounter(ended_file);
    DeleteFileW(record.c_str());
    flat_end_overhead.push_back(Ms(flat.ended - flat_acad_ended) - 1000);
    end_beyond_flat.push_back(end_overhead.back() - flat_end_overhead.back());
    wakeups.push_back(static_cast<double>(m["wakeups"]));
    phase("01 process start to wWinMain", Ms(m["entry"] - run.created));
    phase("02a COM", Ms(m["com"] - m["entry"]));
    phase("02b application window", Ms(m["application"] - m["com"]));
    phase("03 window creation", Ms(m["window"] - m["application"]));
    phase("04 splash shown (before its pause)", Ms(m["splash pause"] - m["window"]));
    phase("05 splash pause (designed 800)", Ms(m["splash paused"] - m["splash pause"]));
    phase("06 registry and file work", Ms(m["execute"] - m["splash paused"]));
    phase("07 ShellExecuteEx", Ms(m["executed"] - m["execute"]));
    phase("08 AutoCAD's first instruction after the call", Ms(acad_started - m["executed"]));
    phase("09 AutoCAD's end to the wait's return", Ms(m["waited"] - acad_ended));
    phase("10 end pause (designed 1000)", Ms(m["end paused"] - m["end pause"]));
    phase("11 end pause to the event loop's end", Ms(m["exit"] - m["end paused"]));
    phase("12 event loop's end to process end", Ms(run.ended - m["exit"]));

    // The baseline revision's start, right after this one's.
    if (!baseline.empty()) {
      Run before = Start(baseline, folder, 0);
      CloseHandle(before.process);
      auto before_marks = ReadMarks(marks);
      ReadCounter(ended_file);
      baseline_work.push_back(Ms(before_marks["execute"] - before_marks["splash paused"]));
      work_beyond_baseline.push_back(phases["06 registry and file work"].back() -
                                     baseline_work.back());
      const double before_start = Ms(StandInStarted(record) - before.created) - 800 - 2 * floor_ms;
      start_beyond_baseline.push_back(start_overhead.back() - before_start);
    }

    // A start that brings the profile's three tables up to date from an
    // earlier release's copies.
    for (const wchar_t* table : kTables)
      WriteAll(profile + L"\\" + table, earlier);
    {
      Run replacing = Start(launcher, folder, 0);
      CloseHandle(replacing.process);
      auto replacing_marks = ReadMarks(marks);
      ReadCounter(ended_file);
      work_replacing.push_back(Ms(replacing_marks["execute"] - replacing_marks["splash paused"]));
    }

    // The same start with thousands of arguments, against the one above.
    for (const int count : argument_counts) {
      Run busy = Start(launcher, folder, 0, arguments_for[count]);
      CloseHandle(busy.process);
      auto busy_marks = ReadMarks(marks);
      ReadCounter(ended_file);
      work_with_arguments[count].push_back(Ms(busy_marks["execute"] - busy_marks["splash paused"]));
      const double overhead = Ms(StandInStarted(record) - busy.created) - 800 - 2 * floor_ms;
      with_arguments[count].push_back(overhead);
      extra_for_arguments[count].push_back(overhead - start_overhead.back());
    }
  }

  // A 5-second AutoCAD session for the CPU time and the memory.
  SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", L"5");
  Run session = Start(launcher, folder, 100);
  const double cpu = CpuMs(session.process);
  CloseHandle(session.process);
  const auto session_marks = ReadMarks(marks);
  ReadCounter(ended_file);

  // A new user's first AutoCAD session: no plot-style folder yet, so the
  // waiting launcher watches for the one AutoCAD would make, which this
  // stand-in never makes. Ten seconds quiet, then ten seconds while another
  // program makes and removes a name about every 10 ms, in the application
  // data and in its Autodesk folder by turns. The CPU time is the
  // launcher's own, read from inside at the wait's start and end.
  const std::wstring set_aside = autodesk + L"\\AutoCAD 2023 (set aside)";
  MoveFileW((autodesk + L"\\AutoCAD 2023").c_str(), set_aside.c_str());
  SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", L"10");
  struct Watching {
    double cpu_ms = 0, seconds = 0;
    long long wakeups = 0;
  };
  const auto watching_session = [&] {
    Run run = Start(launcher, folder, 0);
    CloseHandle(run.process);
    auto m = ReadMarks(marks);
    ReadCounter(ended_file);
    return Watching{(m["waited cpu"] - m["wait cpu"]) / 10000.0, Ms(m["waited"] - m["wait"]) / 1000,
                    m["wakeups"]};
  };
  const Watching quiet = watching_session();
  Churn churn{std::wstring(app_data), autodesk};
  HANDLE churning = CreateThread(nullptr, 0, &ChurnNames, &churn, 0, nullptr);
  const Watching busy = watching_session();
  churn.stop = 1;
  WaitForSingleObject(churning, INFINITE);
  CloseHandle(churning);
  MoveFileW(set_aside.c_str(), (autodesk + L"\\AutoCAD 2023").c_str());

  std::ostringstream out;
  char line[256];
  out << "| figure | median | min | max |\n| --- | ---: | ---: | ---: |\n";
  const auto row = [&](const std::string& name, const std::vector<double>& values,
                       const char* unit) {
    const Stats s = Of(values);
    std::snprintf(line, sizeof(line), "| %s | %.1f %s | %.1f %s | %.1f %s |\n", name.c_str(),
                  s.median, unit, s.min, unit, s.max, unit);
    out << line;
  };
  row("trivial program: creation to wWinMain (the floor, once)", trivial_start, "ms");
  row("start overhead beyond 800 ms and two process starts", start_overhead, "ms");
  for (const int count : argument_counts) {
    row("start overhead with " + std::to_string(count) + " arguments", with_arguments[count], "ms");
    row("  of which beyond the same run's start without arguments", extra_for_arguments[count],
        "ms");
    row("  of which registry, file work and parameter text (phase 06)", work_with_arguments[count],
        "ms");
  }
  row("end overhead beyond 1000 ms", end_overhead, "ms");
  row("flat program doing the same closing steps: end beyond 1000 ms (the end's baseline)",
      flat_end_overhead, "ms");
  row("  launcher's end beyond the flat program's (same run, paired)", end_beyond_flat, "ms");
  row("wake-ups of the waiting thread (0.5 s session)", wakeups, "");
  for (const auto& [name, values] : phases)
    row("phase " + name, values, "ms");
  row("phase 06 of a start that brings three tables up to date", work_replacing, "ms");
  if (!baseline.empty()) {
    row("phase 06 of the baseline revision's build (same run)", baseline_work, "ms");
    row("  this build's phase 06 beyond the baseline's (paired)", work_beyond_baseline, "ms");
    row("  this build's whole start overhead beyond the baseline's (paired)", start_beyond_baseline,
        "ms");
  }
  std::snprintf(line, sizeof(line),
                "\nOne 5-second session: launcher CPU time (user + kernel) %.1f ms; "
                "wake-ups while waiting %lld.\n",
                cpu, session_marks.count("wakeups") ? session_marks.at("wakeups") : -1LL);
  out << line;
  for (const auto& [label, w] : {std::pair<const char*, const Watching&>{"quiet", quiet},
                                 {"while another program makes and removes names", busy}}) {
    std::snprintf(line, sizeof(line),
                  "Waiting while it watches for the plot-style folder, %s: launcher CPU time "
                  "%.1f ms over %.1f s (%.2f ms a second), %lld wake-ups.\n",
                  label, w.cpu_ms, w.seconds, w.seconds > 0 ? w.cpu_ms / w.seconds : 0.0,
                  w.wakeups);
    out << line;
  }
  std::snprintf(line, sizeof(line), "The other program made and removed %ld names.\n",
                static_cast<long>(churn.changes));
  out << line;
  if (session.memory_known) {
    std::snprintf(line, sizeof(line), "Peak working set %.1f MiB; private bytes %s.\n",
                  session.peak_working_set / 1048576.0,
                  session.private_bytes
                      ? (std::to_string(session.private_bytes / 1024) + " KiB").c_str()
                      : "not reported by this platform");
  } else {
    std::snprintf(line, sizeof(line),
                  "Peak working set and private bytes: not reported by this platform.\n");
  }
  out << line;
  std::printf("%s", out.str().c_str());
  WriteAll(report, out.str());

  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Fenwright");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Autodesk");
  DeleteFileW(standin.c_str());
  DeleteFileW(record.c_str());
  for (const wchar_t* table : kTables) {
    DeleteFileW((tables + L"\\" + table).c_str());
    DeleteFileW((profile + L"\\" + table).c_str());
  }
  DeleteFileW((tables + L"\\released.sha256").c_str());
  DeleteFileW((profile + L"\\acad.ctb").c_str());
  for (std::wstring gone = profile; gone.size() > autodesk.size();
       gone.erase(gone.find_last_of(L'\\'))) {
    RemoveDirectoryW(gone.c_str());
  }
  RemoveDirectoryW(autodesk.c_str());
  DeleteFileW((folder + L"\\Halvane.dwt").c_str());
  RemoveDirectoryW(tables.c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}
