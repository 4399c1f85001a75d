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

SwitchKind AutoCadSwitch(std::u16string_view argument) {
  static constexpr std::u16string_view kWithValue[] = {u"/b",  u"/c", u"/ld",      u"/p",
                                                       u"/pl", u"/s", u"/set",     u"/t",
                                                       u"/v",  u"/w", u"/product", u"/language"};
  static constexpr std::u16string_view kBare[] = {u"/nologo", u"/nossm", u"/nohardware", u"/r"};
  for (const std::u16string_view name : kWithValue) {
    if (SameAsciiName(argument, name))
      return SwitchKind::kWithValue;
  }
  for (const std::u16string_view name : kBare) {
    if (SameAsciiName(argument, name))
      return SwitchKind::kBare;
  }
  return SwitchKind::kNone;
}

bool IsRelativeName(std::u16string_view name) {
  const bool drive = name.size() >= 2 && name[1] == u':';
  return !drive && !name.starts_with(u'\\');
}

std::u16string BuildParameterText(std::u16string_view launcher_command_line,
                                  const FullPathOf& full_path) {
  // Split once: asking for each argument by position would split the whole
  // line again every time, and thousands of dropped drawings would cost
  // seconds.
  const std::vector<std::u16string> args = SplitCommandLine(launcher_command_line);
  if (args.size() <= 1)
    return std::u16string(kDefaultParameters);
  std::vector<std::size_t> drawings;
  std::u16string switches;
  bool template_given = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const SwitchKind kind = AutoCadSwitch(args[i]);
    if (kind == SwitchKind::kNone) {
      drawings.push_back(i);
      continue;
    }
    switches.push_back(u' ');
    switches.append(args[i]);
    if (kind == SwitchKind::kWithValue) {
      template_given = template_given || SameAsciiName(args[i], u"/t");
      // A switch at the end without its value is passed bare.
      if (i + 1 < args.size()) {
        switches.push_back(u' ');
        switches.append(QuoteArgument(args[++i]));
      }
    }
  }
  std::u16string text;
  for (auto it = drawings.rbegin(); it != drawings.rend(); ++it) {
    const std::u16string& drawing = args[*it];
    text.push_back(u' ');
    text.append(QuoteArgument(full_path && IsRelativeName(drawing) ? full_path(drawing) : drawing));
  }
  text.append(switches);
  if (drawings.empty() && !template_given)
    text.append(kDefaultParameters);
  return text;
}

bool FitsOnACommandLine(std::u16string_view program, std::u16string_view parameters) {
  // The quoted program path, a space and the parameters, and the terminator.
  const std::size_t length = 1 + program.size() + 1 + 1 + parameters.size();
  return length + 1 <= kMaxCommandLine;
}

}  // namespace halvane
