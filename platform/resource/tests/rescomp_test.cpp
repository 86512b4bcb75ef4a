// The resource compiler refuses scripts it cannot compile faithfully, names
// the line at fault, and leaves no output behind.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class ResourceCompiler : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("zv_rescomp_test_" + std::to_string(getpid()));
    fs::create_directories(folder_);
    std::ofstream(folder_ / "data.bin") << "data";
    std::ofstream(folder_ / "not_an_icon.ico") << "plain text";
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs the compiler on `script`; returns its exit status and error output.
  int Compile(const std::string& script, std::string* errors) {
    std::ofstream(folder_ / "script.txt") << script;
    const std::string command = std::string(ZV_RESCOMP) + " " + (folder_ / "script.txt").string() + " " +
                                Output().string() + " 2>" + (folder_ / "errors.txt").string();
    const int status = std::system(command.c_str());
    std::ifstream errorFile(folder_ / "errors.txt");
    std::getline(errorFile, *errors);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  fs::path Output() const { return folder_ / "tree.bin"; }
  std::string Data(const char* name) const { return (folder_ / name).string(); }

  fs::path folder_;
};

TEST_F(ResourceCompiler, RefusesFaultyScripts) {
  const std::string data = Data("data.bin");
  struct Case {
    std::string script;
    std::string message;
  } cases[] = {
      {"resource\tRT_RCDATA\t1\t0\t" + data + "\nresource\t10\t1\t0\t" + data + "\n",
       "two resources with the same type, name and language"},
      {"resource\tRT_RCDATA\t70000\t0\t" + data + "\n", "script.txt:1: resource number out of range"},
      {"resource\tRT_RCDATA\t0\t0\t" + data + "\n", "script.txt:1: resource number out of range"},
      {"resource\tRT_RCDATA\t1\t0x10000\t" + data + "\n", "script.txt:1: bad language"},
      {"resource\tRT_RCDATA\t1\t0409\t" + data + "\n", "script.txt:1: ambiguous number"},
      {"resource\tRT_STRING\t1\t0\t" + data + "\n", "script.txt:1: unknown standard resource type"},
      {"resource\tRT_RCDATA\t1\t0\t" + Data("missing.bin") + "\n", "script.txt:1: cannot open"},
      {"icon\t1\t0\t" + Data("not_an_icon.ico") + "\n", "script.txt:1: not an icon file"},
      {"translation\t0x0804\t0x04b0\n", "script.txt:1: unexpected declaration"},
      {"version\t1.0.2\n", "script.txt:1: version needs four parts"},
      {"version\t1.0.0.2\nstring\tFileVersion\t1\n", "script.txt:2: unexpected declaration"},
      {"resource\tRT_RCDATA\t1\n", "script.txt:1: unexpected declaration"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    std::string errors;
    EXPECT_EQ(Compile(c.script, &errors), 1);
    EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(Output()));
  }
}

TEST_F(ResourceCompiler, WritesTheTreeForAGoodScript) {
  std::string errors;
  const std::string script = "resource\tZIPRES\t101\t2052\t" + Data("data.bin") +
                             "\nversion\t1.0.0.2\ntranslation\t0x0804\t0x04b0\nstring\tFileVersion\t1, 0, 0, 2\n";
  ASSERT_EQ(Compile(script, &errors), 0) << errors;
  // Root directory: one named type (ZIPRES) and one numbered (RT_VERSION).
  std::ifstream tree(Output(), std::ios::binary);
  unsigned char header[16];
  ASSERT_TRUE(tree.read(reinterpret_cast<char*>(header), sizeof(header)));
  EXPECT_EQ(header[12] | header[13] << 8, 1);
  EXPECT_EQ(header[14] | header[15] << 8, 1);
}

}  // namespace
