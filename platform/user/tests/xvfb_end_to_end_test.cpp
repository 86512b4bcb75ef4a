// The sample window program on a real X server (Xvfb, started and stopped by
// this test by its own process id), driven with xdotool as a user would:
// click, double click, wheel, typing, dragging by the top strip and a modal
// box. The program writes a line for each reaction; a screenshot of its first
// paint is compared with a reference image.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Generous: only a program that hangs ever reaches it; nothing is timed.
constexpr auto kPatience = std::chrono::seconds(60);

bool Installed(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& display, int outFd) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
  if (outFd >= 0) dup2(outFd, STDOUT_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

// Reads one line from `fd`, waiting until the deadline; empty at the end.
std::string ReadLine(int fd, std::chrono::steady_clock::time_point deadline) {
  std::string line;
  char c = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd poller{fd, POLLIN, 0};
    if (poll(&poller, 1, 100) <= 0) continue;
    if (read(fd, &c, 1) != 1) return line;
    if (c == '\n') return line;
    line.push_back(c);
  }
  return line;
}

class UserXvfbEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "import", "compare"}) {
      if (!Installed(tool)) GTEST_SKIP() << tool << " is not installed (./run installs it)";
    }
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    // Xvfb picks a free display number itself and tells it on the pipe.
    xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp"},
                  "", -1);
    close(pipeFds[1]);
    const std::string number = ReadLine(pipeFds[0], std::chrono::steady_clock::now() + kPatience);
    close(pipeFds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    display_ = ":" + number;
  }

  void TearDown() override {
    if (sample_ > 0) {
      kill(sample_, SIGKILL);
      waitpid(sample_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (xvfb_ > 0) {
      kill(xvfb_, SIGTERM);
      waitpid(xvfb_, nullptr, 0);
    }
  }

  void StartSample() {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    sample_ = Spawn({ZV_SAMPLE_WINDOW}, display_, pipeFds[1]);
    close(pipeFds[1]);
    out_ = pipeFds[0];
  }

  std::string Next() { return ReadLine(out_, std::chrono::steady_clock::now() + kPatience); }

  void Xdo(const std::string& arguments) {
    ASSERT_EQ(std::system(("DISPLAY=" + display_ + " xdotool " + arguments).c_str()), 0) << arguments;
  }

  pid_t xvfb_ = -1;
  pid_t sample_ = -1;
  int out_ = -1;
  std::string display_;
};

TEST_F(UserXvfbEndToEndTest, TheSampleWindowAnswersAUser) {
  StartSample();
  int x = 0;
  int y = 0;
  const std::string shown = Next();
  ASSERT_EQ(std::sscanf(shown.c_str(), "shown %d %d", &x, &y), 2) << shown;
  // Centred in the 1024 x 768 screen.
  EXPECT_EQ(x, (1024 - 500) / 2);
  EXPECT_EQ(y, (768 - 310) / 2);

  // The first paint against the reference. The fuzz absorbs anti-aliasing
  // differences at glyph edges; the count allows a few glyphs to differ but
  // not a missing window, image, text line or button (each thousands of
  // pixels).
  const std::string shot = testing::TempDir() + "zv_sample_" + std::to_string(getpid()) + ".png";
  ASSERT_EQ(std::system(("DISPLAY=" + display_ + " import -window root " + shot).c_str()), 0);
  const std::string compare = "compare -metric AE -fuzz 10% " ZV_SAMPLE_REFERENCE " " + shot + " null: 2>&1";
  FILE* pipe = popen(compare.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buffer[256] = {};
  std::fread(buffer, 1, sizeof buffer - 1, pipe);
  const int compareStatus = pclose(pipe);
  std::remove(shot.c_str());
  // compare exits with 0 (alike) or 1 (different) and prints a count; 2 is
  // an error such as images of different sizes.
  ASSERT_TRUE(WIFEXITED(compareStatus) && WEXITSTATUS(compareStatus) <= 1) << buffer;
  char* end = nullptr;
  const double differing = std::strtod(buffer, &end);
  ASSERT_NE(end, buffer) << buffer;
  EXPECT_LT(differing, 1500.0) << "pixels differing from the reference: " << buffer;

  const auto at = [&](int dx, int dy) { return std::to_string(x + dx) + " " + std::to_string(y + dy); };
  Xdo("mousemove " + at(265, 238) + " click 1");
  EXPECT_EQ(Next(), "click 1");
  Xdo("mousemove " + at(150, 100) + " click --repeat 2 --delay 80 1");
  EXPECT_EQ(Next(), "double click 1");
  Xdo("click 5");
  EXPECT_EQ(Next(), "wheel -120");
  Xdo("type --delay 50 hi");
  EXPECT_EQ(Next(), "typed 104");
  EXPECT_EQ(Next(), "typed 105");

  // Dragged by the top strip, with no window manager to help.
  Xdo("mousemove " + at(100, 15) + " mousedown 1 mousemove " + at(130, 35) + " mousemove " + at(160, 55) +
      " mouseup 1");
  std::string moved;
  do {
    moved = Next();
  } while (!moved.empty() && moved != "moved " + at(60, 40));
  EXPECT_EQ(moved, "moved " + at(60, 40));
  x += 60;
  y += 40;

  // The box is modal: a click on the window under it does nothing.
  Xdo("mousemove " + at(410, 238) + " click 1");
  EXPECT_EQ(Next(), "box shown");
  Xdo("mousemove " + at(265, 238) + " click 1");
  Xdo("key Return");
  EXPECT_EQ(Next(), "box answered 1");
  Xdo("mousemove " + at(265, 238) + " click 1");
  EXPECT_EQ(Next(), "click 2");

  Xdo("key Escape");
  EXPECT_EQ(Next(), "closed");
  int status = -1;
  ASSERT_EQ(waitpid(sample_, &status, 0), sample_);
  sample_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
