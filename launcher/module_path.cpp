#include "launcher/module_path.h"

#include <windows.h>

#include <vector>

namespace {

template <typename Char, typename Getter>
std::basic_string<Char> ReadModulePath(Getter getModuleFileName) {
  std::vector<Char> buffer(MAX_PATH);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = getModuleFileName(nullptr, buffer.data(), size);
    if (length == 0) return {};
    if (length < size) return std::basic_string<Char>(buffer.data(), length);
    buffer.assign(buffer.size() * 2, Char{});
  }
}

template <typename String>
std::size_t FindLastSeparator(const String& path) {
  using Char = typename String::value_type;
  const Char separators[] = {Char('\\'), Char('/'), Char(0)};
  return path.find_last_of(separators);
}

}  // namespace

std::u16string ModulePathW() { return ReadModulePath<WCHAR>(GetModuleFileNameW); }

std::string ModulePathA() { return ReadModulePath<CHAR>(GetModuleFileNameA); }

std::size_t LastSeparator(const std::u16string& path) { return FindLastSeparator(path); }

std::size_t LastSeparator(const std::string& path) { return FindLastSeparator(path); }
