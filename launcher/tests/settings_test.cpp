#include "launcher/launcher_settings.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct SettingsCase {
  const char* name;
  std::string text;
  std::int32_t id;
};

void PrintTo(const SettingsCase& c, std::ostream* out) { *out << c.name; }

class ReadOemIdTable : public testing::TestWithParam<SettingsCase> {};

TEST_P(ReadOemIdTable, ReadsTheFirstWord) {
  std::istringstream settings(GetParam().text);
  EXPECT_EQ(ReadOemIdFrom(settings), GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadOemIdTable,
    testing::Values(SettingsCase{"plain", R"({"id":25})", 25},
                    SettingsCase{"space_after_colon", R"({"id": 25})", 0},
                    SettingsCase{"more_lines", "{\"id\":25}\nsomething else", 25},
                    SettingsCase{"leading_white_space", " \t\r\n{\"id\":25}\f{\"id\":3}", 25},
                    SettingsCase{"byte_order_mark", "\xEF\xBB\xBF{\"id\":25}", 0},
                    SettingsCase{"zero", R"({"id":0})", 0},
                    SettingsCase{"no_id", R"({})", 0},
                    SettingsCase{"other_member", R"({"other":3})", 0},
                    SettingsCase{"true", R"({"id":true})", 1},
                    SettingsCase{"real", R"({"id":7.9})", 7},
                    SettingsCase{"negative_real", R"({"id":-7.9})", -7},
                    SettingsCase{"negative", R"({"id":-4})", -4},
                    SettingsCase{"largest", R"({"id":2147483647})", 2147483647},
                    SettingsCase{"smallest", R"({"id":-2147483648})", -2147483647 - 1},
                    SettingsCase{"comments", R"(/*x*/{"id":/*y*/9}//z)", 9},
                    SettingsCase{"empty_file", "", 0},
                    // What asInt would refuse reads as no usable id.
                    SettingsCase{"string", R"({"id":"25"})", 0},
                    SettingsCase{"array", R"({"id":[25]})", 0},
                    SettingsCase{"object", R"({"id":{"id":25}})", 0},
                    SettingsCase{"above_int_range", R"({"id":2147483648})", 0},
                    SettingsCase{"below_int_range", R"({"id":-2147483649})", 0},
                    SettingsCase{"real_above_range", R"({"id":2147483647.5})", 0},
                    SettingsCase{"huge_real", R"({"id":1e400})", 0},
                    SettingsCase{"root_array", R"([{"id":25}])", 0},
                    SettingsCase{"root_number", "25", 0},
                    SettingsCase{"nested_beyond_limit", std::string(3000, '[') + std::string(3000, ']'), 0}));

}  // namespace
