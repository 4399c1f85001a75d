// AutoCAD's command-line parameters, built from the launcher's own arguments.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace halvane {

inline constexpr std::u16string_view kDefaultParameters = u" /t Halvane.dwt";

// Makes a drawing's name full against the launcher's working folder.
using FullPathOf = std::function<std::u16string(std::u16string_view)>;

// AutoCAD's parameters from the launcher's command line. AutoCAD's own
// start-up switches are recognised without regard to case: with a value
// (the next argument, whatever it looks like) /b /c /ld /p /pl /s /set /t
// /v /w /product /language, without one /nologo /nossm /nohardware /r. Any
// other argument is a drawing. The text is: the drawings, last to first,
// each as a space and the drawing in double quotes; then the switches in
// their order, each as a space and the switch bare, and its value as a space
// and the value in double quotes; then, when no drawing and no /t was
// given, " /t Halvane.dwt". AutoCAD parses its command line the Microsoft
// way, where backslashes before a quote escape it, so a trailing run of
// backslashes is doubled: "D:\Drawings\\" reaches AutoCAD as D:\Drawings\.
// With `full_path`, a drawing not named in full (no drive letter, no "\" at
// its start) is made full with it: for an AutoCAD that starts in another
// folder than the launcher's.
std::u16string BuildParameterText(std::u16string_view launcher_command_line,
                                  const FullPathOf& full_path = {});

// Whether a drawing's name is not named in full: no drive letter, no "\" at
// its start.
bool IsRelativeName(std::u16string_view name);

// Whether `argument` is one of AutoCAD's switches, and whether it takes a
// value.
enum class SwitchKind { kNone, kBare, kWithValue };
SwitchKind AutoCadSwitch(std::u16string_view argument);

// The longest command line Windows can pass to a new process, in UTF-16
// units with its terminating zero.
inline constexpr std::size_t kMaxCommandLine = 32767;

// Whether starting `program` with `parameters` makes a command line that
// Windows passes whole: the program path in quotes, a space and the
// parameters. A longer one would reach AutoCAD cut short.
bool FitsOnACommandLine(std::u16string_view program, std::u16string_view parameters);

// One argument quoted for a Microsoft-style command line (no inner quotes).
std::u16string QuoteArgument(std::u16string_view argument);

}  // namespace halvane
