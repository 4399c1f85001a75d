#include "platform/Files.h"

namespace halvane {

std::u16string ExtractFilePath(std::u16string_view path) {
  const std::size_t last = path.find_last_of(u"\\:");
  if (last == std::u16string_view::npos)
    return {};
  return std::u16string(path.substr(0, last + 1));
}

std::u16string FolderOf(std::u16string_view path) {
  std::u16string folder = ExtractFilePath(path);
  const bool drive_root = folder.size() == 3 && folder[1] == u':';
  if (!folder.empty() && folder.back() == u'\\' && !drive_root)
    folder.pop_back();
  return folder;
}

bool SameAsciiName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size())
    return false;
  const auto fold = [](char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
  };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i]))
      return false;
  }
  return true;
}

namespace {

bool IsSeparator(char16_t c) {
  return c >= 1 && c <= 32;
}

// Reads one argument starting at `pos`; returns the position after it.
std::size_t NextArgument(std::u16string_view line, std::size_t pos, std::u16string& out) {
  out.clear();
  // Separators and empty quoted pairs before an argument are skipped.
  for (;;) {
    while (pos < line.size() && IsSeparator(line[pos]))
      ++pos;
    if (pos + 1 < line.size() && line[pos] == u'"' && line[pos + 1] == u'"') {
      pos += 2;
      continue;
    }
    break;
  }
  while (pos < line.size() && line[pos] != u'\0' && !IsSeparator(line[pos])) {
    if (line[pos] == u'"') {
      ++pos;
      while (pos < line.size() && line[pos] != u'\0' && line[pos] != u'"')
        out.push_back(line[pos++]);
      if (pos < line.size() && line[pos] == u'"')
        ++pos;
    } else {
      out.push_back(line[pos++]);
    }
  }
  return pos;
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
  std::vector<std::u16string> args;
  std::u16string arg;
  std::size_t pos = 0;
  // The program file is always element 0, even when empty.
  pos = NextArgument(line, pos, arg);
  args.push_back(arg);
  for (;;) {
    pos = NextArgument(line, pos, arg);
    if (arg.empty())
      break;
    args.push_back(arg);
  }
  return args;
}

}  // namespace halvane
