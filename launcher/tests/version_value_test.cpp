// Reading a FileVersion from the version resource of real programs: client
// stand-ins built with several version layouts.
#include "child_process.h"

#include "TestServer.h"

#include <gtest/gtest.h>

namespace {

struct VersionCase {
  const char* name;
  std::string path;
  std::string valueName;
  std::string printed;  // the probe's "<result> <value>"
};

void PrintTo(const VersionCase& c, std::ostream* out) { *out << c.name; }

class ReadVersionValueOf : public testing::TestWithParam<VersionCase> {};

TEST_P(ReadVersionValueOf, GivesTheFirstTranslationsValue) {
  zv::test::TempDir dir;
  const VersionCase& c = GetParam();
  const Finished probe = RunToEnd({LAUNCHER_PROBE_PATH, "version", c.valueName, c.path}, dir.path());
  EXPECT_EQ(probe.exitCode, 0);
  EXPECT_EQ(probe.output, c.printed + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadVersionValueOf,
    testing::Values(
        VersionCase{"client", CLIENT_STANDIN_PATH, "FileVersion", "true " ZV_CLIENT_STANDIN_VERSION},
        VersionCase{"first_of_two_translations", STANDIN_TWO_TRANSLATIONS_PATH, "FileVersion", "true 3.0.0.1"},
        VersionCase{"resource_compiler_style", STANDIN_RC_STYLE_PATH, "FileVersion", "true 1, 0, 0, 2"},
        VersionCase{"value_missing_leaves_it", STANDIN_NO_FILE_VERSION_PATH, "FileVersion", "true (untouched)"},
        VersionCase{"no_version_resource", LAUNCHER_PROBE_PATH, "FileVersion", "false (untouched)"},
        VersionCase{"no_file", "/nonexistent/Zorvik.exe", "FileVersion", "false (untouched)"},
        VersionCase{"empty_name", CLIENT_STANDIN_PATH, "", "false (untouched)"},
        VersionCase{"other_value", CLIENT_STANDIN_PATH, "ProductName", "true Zorvik"}));

}  // namespace
