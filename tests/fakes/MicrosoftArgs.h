// How a program built with Microsoft's runtime splits its parameters (as
// CommandLineToArgvW does after the program name): what AutoCAD will see.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace halvane::test {

inline std::vector<std::u16string> MicrosoftSplit(std::u16string_view s) {
  std::vector<std::u16string> args;
  std::size_t i = 0;
  const std::size_t n = s.size();
  for (;;) {
    while (i < n && (s[i] == u' ' || s[i] == u'\t'))
      ++i;
    if (i >= n)
      break;
    std::u16string arg;
    bool quoted = false;
    while (i < n) {
      const char16_t c = s[i];
      if (!quoted && (c == u' ' || c == u'\t'))
        break;
      if (c == u'\\') {
        std::size_t k = 0;
        while (i < n && s[i] == u'\\')
          ++k, ++i;
        if (i < n && s[i] == u'"') {
          arg.append(k / 2, u'\\');
          if (k % 2 == 1) {
            arg.push_back(u'"');
            ++i;
          }
        } else {
          arg.append(k, u'\\');
        }
      } else if (c == u'"') {
        if (quoted && i + 1 < n && s[i + 1] == u'"') {
          arg.push_back(u'"');
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg.push_back(c);
        ++i;
      }
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace halvane::test
