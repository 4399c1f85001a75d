// The application window (the hidden owner of all the launcher's windows,
// which carries its taskbar button), the event loop's controls, and the
// launcher's message boxes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Shell.h"

namespace halvane {

inline constexpr std::u16string_view kApplicationTitle = u"Halvane2023";
// A number in decimal digits, without sign.
std::u16string Decimal(std::uint32_t value);

// What the launcher says when a window of its own could not be made: "ウィンドウを
// 作成できません (" with the error code in decimal and ")". The program then
// ends with that code.
std::u16string WindowCreationFailedText(std::uint32_t error);

// What a wait for a process also waits on: when one of these is signalled,
// the wait tells the observer and goes on waiting. The list is asked for
// again after each signal.
class WaitObserver {
 public:
  virtual ~WaitObserver() = default;
  virtual std::vector<std::uintptr_t> Waitables() const = 0;
  // The one at `index` of the list last given was signalled.
  virtual void Signalled(std::size_t index) = 0;
};

class Application {
 public:
  virtual ~Application() = default;
  // Shows the application window in that state, with what it implies for
  // the windows it owns (minimised and hidden hide them, normal brings them
  // back).
  virtual void ShowApplicationWindow(WindowState state) = 0;
  // Every message loop belongs to the application. A loop nested in the
  // event loop that takes the request to quit posts it again and returns,
  // so only the event loop ends the program.
  virtual void ProcessMessages() = 0;
  // Waits without a time-out for the process to end, handling window
  // messages as the event loop does, and telling `observer` of what else
  // it waits on; kFailed at once for no process.
  virtual WaitResult WaitForProcess(const Process* process, WaitObserver* observer) = 0;
  // Asks the event loop to stop (posts the quit message).
  virtual void Terminate() = 0;
  virtual IconHandle Icon() = 0;
  // A box captioned with the title, the text unchanged, OK, no icon.
  virtual void ShowMessage(std::u16string_view text) = 0;
  // A box captioned with the title, the error icon, OK, and ErrorReportText.
  virtual void ShowError(std::u16string_view message) = 0;
  // Text in the system's code page (what a runtime error says), as UTF-16.
  // Here each byte is taken as the character of its value, which is right
  // for ASCII; Windows' application converts as its code page says.
  virtual std::u16string FromSystemCodePage(std::string_view text);
};

// What the error report says of an error that says nothing of itself.
inline constexpr std::u16string_view kUnexpectedError = u"予期しないエラーが発生しました";

// The error report's text: the message, with a full stop after it when its
// last character's code is above that of the full stop.
std::u16string ErrorReportText(std::u16string_view message);

}  // namespace halvane

namespace halvane {

// A window message as a message handler of the main window receives it.
struct TMessage {
  std::uint32_t Msg = 0;
  std::uint32_t WParam = 0;
  std::int32_t LParam = 0;
  std::int32_t Result = 0;
};

inline constexpr std::uint32_t kIconCallbackMessage = 0x0400 + 100;  // WM_USER + 100

// Whether a callback message of the notification icon is its click: the left
// button pressed on it (the mouse message in LParam).
inline bool IsIconClick(const TMessage& msg) {
  constexpr std::uint32_t kLeftButtonDown = 0x0201;  // WM_LBUTTONDOWN
  return static_cast<std::uint32_t>(msg.LParam) == kLeftButtonDown;
}

}  // namespace halvane
