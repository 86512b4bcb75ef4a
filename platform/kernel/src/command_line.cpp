#include "command_line.h"

namespace zv::kernel {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::size_t SkipBlanks(std::u16string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

std::u16string ProgramName(std::u16string_view text, std::size_t& pos) {
  std::u16string name;
  if (pos < text.size() && text[pos] == u'"') {
    const std::size_t close = text.find(u'"', pos + 1);
    const std::size_t end = close == std::u16string_view::npos ? text.size() : close;
    name = text.substr(pos + 1, end - pos - 1);
    pos = close == std::u16string_view::npos ? end : close + 1;
    return name;
  }
  while (pos < text.size() && !IsBlank(text[pos])) name += text[pos++];
  return name;
}

std::u16string NextArgument(std::u16string_view text, std::size_t& pos) {
  std::u16string argument;
  bool quoted = false;
  while (pos < text.size() && (quoted || !IsBlank(text[pos]))) {
    if (text[pos] == u'\\') {
      std::size_t backslashes = 0;
      while (pos < text.size() && text[pos] == u'\\') {
        ++backslashes;
        ++pos;
      }
      if (pos < text.size() && text[pos] == u'"') {
        argument.append(backslashes / 2, u'\\');
        if (backslashes % 2 == 1) {
          argument += u'"';
          ++pos;
        }
      } else {
        argument.append(backslashes, u'\\');
      }
    } else if (text[pos] == u'"') {
      if (quoted && pos + 1 < text.size() && text[pos + 1] == u'"') {
        argument += u'"';
        quoted = false;
        pos += 2;
      } else {
        quoted = !quoted;
        ++pos;
      }
    } else {
      argument += text[pos++];
    }
  }
  return argument;
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine) {
  std::vector<std::u16string> arguments;
  std::size_t pos = SkipBlanks(commandLine, 0);
  if (pos >= commandLine.size()) return arguments;
  arguments.push_back(ProgramName(commandLine, pos));
  for (pos = SkipBlanks(commandLine, pos); pos < commandLine.size(); pos = SkipBlanks(commandLine, pos)) {
    arguments.push_back(NextArgument(commandLine, pos));
  }
  return arguments;
}

}  // namespace zv::kernel
