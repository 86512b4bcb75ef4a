// The module path, the own module handle and the built-in modules.
#include <gtest/gtest.h>

#include <climits>
#include <unistd.h>

#include "test_support.h"
#include "windows.h"
#include "zv/builtin_modules.h"

namespace {

std::string ExecutablePath() {
  char path[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return std::string(path, static_cast<size_t>(length < 0 ? 0 : length));
}

TEST(KernelModule, ModuleFileNameIsTheRunningProgram) {
  const std::u16string expected = kernel_test::Wide(ExecutablePath());
  WCHAR wide[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
  EXPECT_EQ(std::u16string(wide, length), expected);
  char narrow[MAX_PATH] = {};
  EXPECT_EQ(GetModuleFileNameA(nullptr, narrow, MAX_PATH), ExecutablePath().size());
  EXPECT_EQ(std::string(narrow), ExecutablePath());

  const HMODULE own = GetModuleHandleW(nullptr);
  ASSERT_NE(own, nullptr);
  WCHAR again[MAX_PATH] = {};
  EXPECT_EQ(GetModuleFileNameW(own, again, MAX_PATH), length);
}

TEST(KernelModule, AShortBufferGetsACutPathAndAnError) {
  const std::string path = ExecutablePath();
  const auto length = static_cast<DWORD>(path.size());
  struct Case { DWORD size; DWORD result; DWORD error; std::size_t kept; };
  const Case cases[] = {
      {length + 1, length, ERROR_SUCCESS, length},
      {length, length, ERROR_INSUFFICIENT_BUFFER, length - 1},
      {5, 5, ERROR_INSUFFICIENT_BUFFER, 4},
      {1, 1, ERROR_INSUFFICIENT_BUFFER, 0},
  };
  for (const auto& c : cases) {
    std::vector<char> buffer(c.size + 1, '#');
    SetLastError(12345);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), c.size), c.result) << c.size;
    EXPECT_EQ(GetLastError(), c.error) << c.size;
    EXPECT_EQ(std::string(buffer.data()), path.substr(0, c.kept)) << c.size;
    EXPECT_EQ(buffer[c.size], '#') << "wrote past the buffer of " << c.size;

    std::vector<WCHAR> wide(c.size + 1, u'#');
    EXPECT_EQ(GetModuleFileNameW(nullptr, wide.data(), c.size), c.result) << c.size;
    EXPECT_EQ(GetLastError(), c.error) << c.size;
    EXPECT_EQ(wide[c.kept], u'\0');
    EXPECT_EQ(wide[c.size], u'#');
  }
  EXPECT_EQ(GetModuleFileNameW(nullptr, nullptr, 0), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

INT_PTR Seven() { return 7; }
INT_PTR Eight() { return 8; }

// Registered during static initialisation, as the layer's parts do.
const zv::BuiltinProc kSeven{u"zvtest.dll", "Seven", &Seven};
const zv::BuiltinProc kEight{u"ZvTest.DLL", "Eight", &Eight};

TEST(KernelModule, BuiltInModulesLoadByNameInAnyCase) {
  const HMODULE module = LoadLibraryW(u"ZVTEST.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(LoadLibraryW(u"zvtest"), module);  // ".dll" is implied
  const FARPROC seven = GetProcAddress(module, "Seven");
  const FARPROC eight = GetProcAddress(module, "Eight");
  ASSERT_NE(seven, nullptr);
  ASSERT_NE(eight, nullptr);
  EXPECT_EQ(seven(), 7);
  EXPECT_EQ(eight(), 8);
  EXPECT_EQ(GetModuleHandleW(u"zvtest.dll"), module);

  EXPECT_EQ(GetProcAddress(module, "seven"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(LoadLibraryW(u"kernel32.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_TRUE(FreeLibrary(module));
  // Freed as often as loaded: the handle is no longer valid.
  EXPECT_FALSE(FreeLibrary(module));
  EXPECT_EQ(GetProcAddress(module, "Seven"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

}  // namespace
