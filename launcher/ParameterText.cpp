#include "launcher/ParameterText.h"

#include <vector>

#include "platform/Files.h"

namespace halvane {

std::u16string QuoteArgument(std::u16string_view argument) {
  std::size_t trailing = 0;
  while (trailing < argument.size() && argument[argument.size() - 1 - trailing] == u'\\') {
    ++trailing;
  }
  std::u16string quoted;
  quoted.reserve(argument.size() + trailing + 2);
  quoted.push_back(u'"');
  quoted.append(argument);
  quoted.append(trailing, u'\\');
  quoted.push_back(u'"');
  return quoted;
}

std::u16string BuildParameterText(std::u16string_view launcher_command_line) {
  // Split once: asking for each argument by position would split the whole
  // line again every time, and thousands of dropped drawings would cost
  // seconds.
  const std::vector<std::u16string> args = SplitCommandLine(launcher_command_line);
  if (args.size() <= 1)
    return std::u16string(kDefaultParameters);
  std::u16string text;
  for (std::size_t i = args.size() - 1; i >= 1; --i) {
    text.push_back(u' ');
    text.append(QuoteArgument(args[i]));
  }
  return text;
}

bool FitsOnACommandLine(std::u16string_view program, std::u16string_view parameters) {
  // The quoted program path, a space and the parameters, and the terminator.
  const std::size_t length = 1 + program.size() + 1 + 1 + parameters.size();
  return length + 1 <= kMaxCommandLine;
}

}  // namespace halvane
