#include "launcher/ParameterText.h"

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
  const int count = ParamCount(launcher_command_line);
  if (count <= 0)
    return std::u16string(kDefaultParameters);
  std::u16string text;
  for (int i = count; i >= 1; --i) {
    text.push_back(u' ');
    text.append(QuoteArgument(ParamStr(launcher_command_line, i)));
  }
  return text;
}

}  // namespace halvane
