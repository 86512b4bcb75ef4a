// MessageBoxW without a display: the box's text goes to standard error, and
// the answer is the one that agrees to nothing. Run in a child process whose
// environment names no display.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

TEST(UserMessageBoxTest, WithoutADisplayTheTextGoesToStandardError) {
  struct Case {
    int type;
    int answer;
  };
  const Case cases[] = {{0 /* MB_OK */, 1 /* IDOK */},
                        {1 /* MB_OKCANCEL */, 2 /* IDCANCEL */},
                        {4 /* MB_YESNO */, 7 /* IDNO */}};
  for (const Case& c : cases) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " ZV_MESSAGE_BOX_HELPER " " +
                                std::to_string(c.type) + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);
    const int status = pclose(pipe);
    EXPECT_EQ(std::string(line), "Error: Get Data Failed! 获取失败\n") << c.type;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.answer) << c.type;
  }
}

}  // namespace
