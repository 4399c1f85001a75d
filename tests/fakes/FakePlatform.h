// Fakes of the shell, the application window and the main window's view,
// recording into one EventLog, and a bundle of all fakes for the tests of
// the launcher's logic.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "launcher/LauncherView.h"
#include "platform/Application.h"
#include "platform/Shell.h"
#include "tests/fakes/EventLog.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/Text.h"

namespace halvane::test {

// Tells `observer` of each of its watches that a change in the fake file
// system has signalled, as the wait does, until none is left.
inline void DeliverChanges(const FakeFileSystem& files, WaitObserver& observer) {
  for (int delivered = 0; delivered < 1000; ++delivered) {
    const std::vector<std::uintptr_t> waitables = observer.Waitables();
    std::size_t index = 0;
    while (index < waitables.size() && !files.Signalled(waitables[index]))
      ++index;
    if (index == waitables.size())
      return;
    observer.Signalled(index);
  }
}

class FakeShell : public Shell {
 public:
  explicit FakeShell(EventLog& log) : log_(log) {}

  class FakeProcess : public Process {
   public:
    explicit FakeProcess(int& open) : open_(open) { ++open_; }
    ~FakeProcess() override { --open_; }
    std::uintptr_t Waitable() const override { return 0x4242; }

   private:
    int& open_;
  };

  StartResult Execute(const ShellExecuteRequest& request) override {
    log_.Add("exec " + Utf8(request.verb) + "|" + Utf8(request.file) + "|" +
             Utf8(request.parameters) + "|" +
             (request.show == WindowState::kShown ? "shown" : "not shown"));
    last_request_owner = request.owner;
    last_request_directory = request.directory;
    StartResult result;
    if (fail_with) {
      result.error = *fail_with;
      return result;
    }
    result.info.process = std::make_unique<FakeProcess>(open_processes);
    return result;
  }
  void ReadStartupInfo(StartupInfo& info) override {
    info.show_window = 1;
    log_.Add("startupinfo");
  }
  // As the Win32 shell: a shown icon comes back with a re-created taskbar.
  bool ShowIcon(const NotifyIconData& icon) override {
    log_.Add("icon add");
    icon_records.push_back(icon);
    shown = notify_result;
    return notify_result;
  }
  bool RemoveIcon(const NotifyIconData& icon) override {
    log_.Add("icon delete");
    icon_records.push_back(icon);
    shown = false;
    return notify_result;
  }
  void TaskbarCreated() override {
    log_.Add("taskbar created");
    if (shown)
      ShowIcon(icon_records.back());
  }
  void Sleep(std::uint32_t milliseconds) override {
    log_.Add("sleep " + std::to_string(milliseconds));
  }

  std::optional<std::uint32_t> fail_with;
  bool notify_result = true;
  bool shown = false;
  std::vector<NotifyIconData> icon_records;
  WindowHandle last_request_owner = 0;
  std::u16string last_request_directory = u"(no start)";
  int open_processes = 0;

 private:
  EventLog& log_;
};

class FakeApplication : public Application {
 public:
  explicit FakeApplication(EventLog& log) : log_(log) {}
  void ShowApplicationWindow(WindowState state) override {
    log_.Add(state == WindowState::kHidden      ? "app hidden"
             : state == WindowState::kNormal    ? "app normal"
             : state == WindowState::kMinimized ? "app minimized"
                                                : "app shown");
  }
  void ProcessMessages() override { log_.Add("process messages"); }
  WaitResult WaitForProcess(const Process* process, WaitObserver* observer) override {
    log_.Add("wait");
    waited_on.push_back(process);
    observed = observer;
    if (during_wait)
      during_wait();
    observed = nullptr;
    if (!process)
      return WaitResult::kFailed;
    return wait_result;
  }
  void Terminate() override { log_.Add("terminate"); }
  IconHandle Icon() override { return 0x5150; }
  void ShowMessage(std::u16string_view text) override { log_.Add("messagebox " + Utf8(text)); }
  void ShowError(std::u16string_view message) override {
    log_.Add("error " + Utf8(ErrorReportText(message)));
  }

  WaitResult wait_result = WaitResult::kProcessEnded;
  std::function<void()> during_wait;
  std::vector<const Process*> waited_on;
  // What the wait in progress also waits on (for `during_wait`).
  WaitObserver* observed = nullptr;

 private:
  EventLog& log_;
};

class RecordingView : public LauncherView {
 public:
  explicit RecordingView(EventLog& log) : log_(log) {}

  void SetEdit4Text(std::u16string_view text) override {
    edit4 = text;
    log_.Add("edit4 " + Utf8(text));
  }
  void SetEnabled(ViewControl control, bool enabled) override {
    this->enabled[static_cast<int>(control)] = enabled;
    static const char* const names[] = {"Button1", "Button2", "Button3", "Edit4"};
    log_.Add(std::string(enabled ? "enable " : "disable ") + names[static_cast<int>(control)]);
  }
  void SetPanel1Text(std::u16string_view text) override {
    panel1 = text;
    log_.Add("panel1 " + Utf8(text));
  }
  void PressButton1() override {
    log_.Add("press Button1");
    if (on_press_button1)
      on_press_button1();
  }
  OpenDialogResult ExecuteOpenDialog1() override {
    log_.Add("dialog");
    if (dialog_failure)
      return {std::nullopt, *dialog_failure};
    if (dialog_results.empty())
      return {};
    auto result = dialog_results.front();
    dialog_results.pop_front();
    return {result, 0};
  }
  WindowHandle Handle() override { return 0x1010; }
  void Close() override { log_.Add("close"); }
  void CreateSplash() override { log_.Add("splash create"); }
  void ShowSplash() override { log_.Add("splash show"); }
  void RepaintSplash() override { log_.Add("splash repaint"); }
  void ReleaseSplash() override { log_.Add("splash release"); }

  bool Enabled(ViewControl control) const { return enabled[static_cast<int>(control)]; }

  std::u16string edit4;
  std::u16string panel1;
  bool enabled[4] = {true, true, true, true};
  std::deque<std::optional<std::u16string>> dialog_results;
  // The dialog fails with this HRESULT, every time.
  std::optional<std::uint32_t> dialog_failure;
  std::function<void()> on_press_button1;

 private:
  EventLog& log_;
};

}  // namespace halvane::test
