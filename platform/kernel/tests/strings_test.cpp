// Code page conversions, lstr* calls, MulDiv, errors and tick counts.
#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "test_support.h"
#include "windows.h"
#include "zv/errors.h"

namespace {

TEST(KernelCodePages, Utf8ToWideFollowsTheBufferRules) {
  const char* text = "\xe6\x9b\xb4 ok";  // U+66F4, space, "ok"
  for (UINT codePage : {CP_UTF8, CP_ACP}) {
    EXPECT_EQ(MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0), 5);  // terminator counted
    EXPECT_EQ(MultiByteToWideChar(codePage, 0, text, 3, nullptr, 0), 1);
    WCHAR out[8] = {};
    EXPECT_EQ(MultiByteToWideChar(codePage, 0, text, -1, out, 8), 5);
    EXPECT_EQ(std::u16string(out), u"\u66f4 ok");
    EXPECT_EQ(MultiByteToWideChar(codePage, 0, text, -1, out, 4), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  }
  const char bad[] = "a\x80z";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bad, 3, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  WCHAR replaced[4] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, bad, 3, replaced, 4), 3);
  EXPECT_EQ(replaced[1], u'\uFFFD');
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "", 0, replaced, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(936, 0, "a", 1, replaced, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(KernelCodePages, WideToUtf8FollowsTheBufferRules) {
  const WCHAR text[] = u"\U0001F600x";
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), 6);
  char out[8] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, out, 8, nullptr, nullptr), 6);
  EXPECT_EQ(std::string(out), "\xf0\x9f\x98\x80x");
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, out, 5, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  const WCHAR lone[] = {u'a', static_cast<WCHAR>(0xD800), u'b'};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 3, out, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 3, out, 8, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(out, 5), "a\xef\xbf\xbd" "b");
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, out, 8, "?", &usedDefault), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(KernelStrings, LstrCalls) {
  char path[32] = "C:\\Apps\\Client";
  EXPECT_EQ(lstrcatA(path, "\\launcher.dat"), path);
  EXPECT_STREQ(path, "C:\\Apps\\Client\\launcher.dat");
  EXPECT_EQ(lstrlenW(u"Zorvik"), 6);
  EXPECT_EQ(lstrlenW(nullptr), 0);
  WCHAR copy[8] = {};
  EXPECT_EQ(lstrcpyW(copy, u"abc"), copy);
  EXPECT_EQ(std::u16string(copy), u"abc");

  struct Case { const char16_t* a; const char16_t* b; int exact; int noCase; };
  const Case cases[] = {
      {u"abc", u"abc", 0, 0},      {u"abc", u"ABC", 1, 0},       {u"abc", u"abd", -1, -1},
      {u"ab", u"abc", -1, -1},     {nullptr, u"", 0, 0},         {u"\u00c9T\u00c9", u"\u00e9t\u00e9", -1, 0},
      {u"\u0416", u"\u0436", -1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lstrcmpW(c.a, c.b), c.exact);
    EXPECT_EQ(lstrcmpiW(c.a, c.b), c.noCase);
  }
}

TEST(KernelStrings, MulDivRoundsAndReportsOverflow) {
  struct Case { int number, numerator, denominator, result; };
  const Case cases[] = {
      {400, 2540, 96, 10583},  // 10583.33
      {5, 1, 2, 3},            // half away from zero
      {-5, 1, 2, -3},
      {5, -1, 2, -3},
      {7, 1, -2, -4},          // -3.5
      {0x40000000, 4, 2, -1},  // 2^31 does not fit
      {1, 1, 0, -1},
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.result)
        << c.number << " * " << c.numerator << " / " << c.denominator;
  }
}

TEST(KernelErrors, LastErrorIsPerThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD seenThere = 1;
  std::thread other([&] {
    seenThere = GetLastError();
    SetLastError(ERROR_DISK_FULL);
  });
  other.join();
  EXPECT_EQ(seenThere, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(KernelErrors, ErrnoBecomesTheWindowsCode) {
  kernel_test::ScratchFolder folder;
  const std::string inFolder = (folder / "x").string();
  const std::string belowMissing = (folder / "missing" / "x").string();
  struct Case { int err; std::string path; DWORD existsError; DWORD code; };
  const Case cases[] = {
      {ENOENT, inFolder, ERROR_FILE_EXISTS, ERROR_FILE_NOT_FOUND},
      {ENOENT, belowMissing, ERROR_FILE_EXISTS, ERROR_PATH_NOT_FOUND},
      {ENOENT, "", ERROR_FILE_EXISTS, ERROR_FILE_NOT_FOUND},
      {ENOTDIR, "", ERROR_FILE_EXISTS, ERROR_PATH_NOT_FOUND},
      {EACCES, "", ERROR_FILE_EXISTS, ERROR_ACCESS_DENIED},
      {EPERM, "", ERROR_FILE_EXISTS, ERROR_ACCESS_DENIED},
      {EISDIR, "", ERROR_FILE_EXISTS, ERROR_ACCESS_DENIED},
      {EBUSY, "", ERROR_FILE_EXISTS, ERROR_SHARING_VIOLATION},
      {ETXTBSY, "", ERROR_FILE_EXISTS, ERROR_SHARING_VIOLATION},
      {EEXIST, "", ERROR_FILE_EXISTS, ERROR_FILE_EXISTS},
      {EEXIST, "", ERROR_ALREADY_EXISTS, ERROR_ALREADY_EXISTS},
      {ENOTEMPTY, "", ERROR_FILE_EXISTS, ERROR_DIR_NOT_EMPTY},
      {ENOSPC, "", ERROR_FILE_EXISTS, ERROR_DISK_FULL},
      {ENAMETOOLONG, "", ERROR_FILE_EXISTS, ERROR_FILENAME_EXCED_RANGE},
      {EXDEV, "", ERROR_FILE_EXISTS, ERROR_NOT_SAME_DEVICE},
      {EMFILE, "", ERROR_FILE_EXISTS, ERROR_TOO_MANY_OPEN_FILES},
      {ENOMEM, "", ERROR_FILE_EXISTS, ERROR_NOT_ENOUGH_MEMORY},
      {EINVAL, "", ERROR_FILE_EXISTS, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(zv::Win32ErrorFromErrno(c.err, c.path, c.existsError), c.code) << c.err << " " << c.path;
  }
  zv::SetLastErrorFromErrno(EACCES);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(KernelTime, TickCountsAdvanceWithSleep) {
  const ULONGLONG before = GetTickCount64();
  const DWORD before32 = GetTickCount();
  Sleep(20);
  EXPECT_GE(GetTickCount64() - before, 20u);
  EXPECT_GE(static_cast<DWORD>(GetTickCount() - before32), 20u);
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
  DWORD otherThread = GetCurrentThreadId();
  std::thread([&] { otherThread = GetCurrentThreadId(); }).join();
  EXPECT_NE(otherThread, GetCurrentThreadId());
  EXPECT_EQ(GetCurrentThreadId(), GetCurrentProcessId());  // the main thread
}

}  // namespace
