#include "script.h"

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>

#include "icon_group.h"
#include "version_block.h"
#include "zv/text.h"

namespace rescomp {
namespace {

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

std::u16string Utf16(const std::string& text) {
  auto wide = zv::FromUtf8Strict(text);
  if (!wide) throw std::runtime_error("text is not UTF-8: " + text);
  return *wide;
}

// Decimal, or hexadecimal with 0x. A leading zero is refused: "0409" could
// be meant as hexadecimal and would silently be another number.
std::optional<std::uint32_t> ParseNumber(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos || digits.size() > 8)
    return std::nullopt;
  if (!hex && digits.size() > 1 && digits[0] == '0') throw std::runtime_error("ambiguous number (use 0x for hexadecimal): " + text);
  const unsigned long long value = std::stoull(digits, nullptr, hex ? 16 : 10);
  if (value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::uint16_t Parse16(const std::string& text, const char* what) {
  const auto value = ParseNumber(text);
  if (!value || *value > 0xFFFF) throw std::runtime_error(std::string("bad ") + what + ": " + text);
  return static_cast<std::uint16_t>(*value);
}

ResourceName ParseName(const std::string& text) {
  static const std::map<std::string, std::uint16_t> kStandardTypes = {
      {"RT_CURSOR", 1}, {"RT_BITMAP", 2},  {"RT_ICON", 3},        {"RT_RCDATA", 10},
      {"RT_GROUP_CURSOR", 12}, {"RT_GROUP_ICON", 14}, {"RT_VERSION", 16}, {"RT_MANIFEST", 24}};
  if (const auto standard = kStandardTypes.find(text); standard != kStandardTypes.end())
    return NumberedName(standard->second);
  if (text.rfind("RT_", 0) == 0) throw std::runtime_error("unknown standard resource type: " + text);
  if (const auto number = ParseNumber(text)) {
    // Number 0 cannot be asked for: MAKEINTRESOURCE(0) is a null pointer.
    if (*number == 0 || *number > 0xFFFF) throw std::runtime_error("resource number out of range: " + text);
    return NumberedName(static_cast<std::uint16_t>(*number));
  }
  ResourceName name{true, 0, Utf16(text)};
  for (char16_t& c : name.text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  }
  return name;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw std::runtime_error("cannot read " + path);
  return bytes;
}

void ParseVersion(const std::string& text, VersionInfo* info) {
  std::istringstream parts(text);
  std::string part;
  int count = 0;
  while (std::getline(parts, part, '.')) {
    if (count == 4) throw std::runtime_error("version has more than four parts: " + text);
    info->version[count++] = Parse16(part, "version part");
  }
  if (count != 4) throw std::runtime_error("version needs four parts: " + text);
}

class ScriptReader {
 public:
  void Line(const std::vector<std::string>& f) {
    const std::string& kind = f[0];
    if (kind == "resource" && f.size() == 5) {
      script_.resources.push_back(Resource{ParseName(f[1]), ParseName(f[2]), Parse16(f[3], "language"), ReadFile(f[4])});
    } else if (kind == "icon" && f.size() == 4) {
      AddIconGroup(ParseName(f[1]), Parse16(f[2], "language"), ReadFile(f[3]), &nextIconId_, &script_.resources);
    } else if (kind == "version" && f.size() == 2 && !script_.version) {
      script_.version.emplace();
      ParseVersion(f[1], &*script_.version);
    } else if (kind == "translation" && f.size() == 3 && script_.version) {
      script_.version->translations.push_back({Parse16(f[1], "language"), Parse16(f[2], "code page"), {}});
    } else if (kind == "string" && f.size() == 3 && script_.version && !script_.version->translations.empty()) {
      script_.version->translations.back().strings.emplace_back(Utf16(f[1]), Utf16(f[2]));
    } else {
      throw std::runtime_error("unexpected declaration");
    }
  }

  Script Finish() {
    if (script_.version) script_.resources.push_back(VersionResource(*script_.version));
    return std::move(script_);
  }

 private:
  Script script_;
  std::uint16_t nextIconId_ = 1;
};

}  // namespace

Script ReadScript(const std::string& path) {
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot open " + path);
  ScriptReader reader;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (line.empty()) continue;
    try {
      reader.Line(SplitFields(line));
    } catch (const std::runtime_error& error) {
      throw std::runtime_error(path + ":" + std::to_string(number) + ": " + error.what());
    }
  }
  return reader.Finish();
}

}  // namespace rescomp
