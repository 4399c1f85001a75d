// AutoCAD's command-line parameters, built from the launcher's own arguments.
#pragma once

#include <string>
#include <string_view>

namespace halvane {

inline constexpr std::u16string_view kDefaultParameters = u" /t Halvane.dwt";

// " /t Halvane.dwt" without arguments; otherwise every argument, last to
// first, as a space and the argument in double quotes. AutoCAD parses its
// command line the Microsoft way, where backslashes before a quote escape it,
// so a trailing run of backslashes is doubled: "D:\Drawings\\" reaches
// AutoCAD as D:\Drawings\ exactly.
std::u16string BuildParameterText(std::u16string_view launcher_command_line);

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
