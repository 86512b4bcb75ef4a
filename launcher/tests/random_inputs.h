// Seeded random inputs for the readers of outside data: mutations of a few
// well-formed seeds (bytes flipped, inserted, deleted, spliced), so that the
// inputs stay close to what the readers understand and reach deep into them.
// The seed is fixed: a failure repeats on every run.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

class RandomInputs {
 public:
  explicit RandomInputs(std::vector<std::string> seeds, std::uint32_t seed = 20261211)
      : seeds_(std::move(seeds)), random_(seed) {}

  std::string Next() {
    std::string input = seeds_[Below(seeds_.size())];
    const std::size_t edits = 1 + Below(8);
    for (std::size_t i = 0; i < edits; ++i) Mutate(input);
    return input;
  }

 private:
  std::size_t Below(std::size_t limit) {
    return limit == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, limit - 1)(random_);
  }

  char Byte() {
    static const char interesting[] = {'\0', '\x80', '\xC0', '\xE0', '\xED', '\xF0', '\xF4', '\xFF', '"', '\\',
                                       '{', '}', '[', ']', ':', ',', '.', '/', '?', '#', '|', '-', '9', ' '};
    if (Below(2) == 0) return interesting[Below(sizeof interesting)];
    return static_cast<char>(Below(256));
  }

  void Mutate(std::string& input) {
    switch (Below(5)) {
      case 0:
        if (!input.empty()) input[Below(input.size())] = Byte();
        break;
      case 1:
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(Below(input.size() + 1)), Byte());
        break;
      case 2:
        if (!input.empty()) input.erase(Below(input.size()), 1 + Below(4));
        break;
      case 3: {
        const std::string& other = seeds_[Below(seeds_.size())];
        input.insert(Below(input.size() + 1), other.substr(Below(other.size() + 1)));
        break;
      }
      default:
        input.append(std::string(1 + Below(64), Byte()));
        break;
    }
  }

  std::vector<std::string> seeds_;
  std::mt19937 random_;
};
