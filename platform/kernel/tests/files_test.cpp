// Attributes, deletion, folders, file handles, file times and searches.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "test_support.h"
#include "windows.h"

namespace {

using kernel_test::ReadText;
using kernel_test::ScratchFolder;
using kernel_test::Wide;
using kernel_test::WriteText;

mode_t ModeOf(const std::filesystem::path& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(ULONGLONG ticks) {
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

TEST(KernelFiles, AttributesOfFilesFoldersAndMissingPaths) {
  ScratchFolder folder;
  WriteText(folder / "plain.txt", "abc");
  WriteText(folder / "locked.txt", "abc");
  chmod((folder / "locked.txt").c_str(), 0444);

  EXPECT_EQ(GetFileAttributesW(Wide(folder / "plain.txt").c_str()), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(GetFileAttributesW(Wide(folder / "locked.txt").c_str()), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(GetFileAttributesW(Wide(folder.path()).c_str()), FILE_ATTRIBUTE_DIRECTORY);
  // Windows-style separators reach the same file.
  EXPECT_EQ(GetFileAttributesW(Wide(folder.path().string() + "\\plain.txt").c_str()), FILE_ATTRIBUTE_NORMAL);

  struct Case { std::u16string path; DWORD error; };
  const Case missing[] = {
      {Wide(folder / "absent.txt"), ERROR_FILE_NOT_FOUND},
      {Wide(folder / "absent" / "x.txt"), ERROR_PATH_NOT_FOUND},
      {Wide(folder / "plain.txt" / "x.txt"), ERROR_PATH_NOT_FOUND},
      {u"", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : missing) {
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesW(c.path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), c.error) << std::string(c.path.begin(), c.path.end());
  }
}

TEST(KernelFiles, AttributeDataOfAFileAndOfAFolder) {
  ScratchFolder folder;
  WriteText(folder / "data.bin", std::string(70000, 'x'));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(Wide(folder / "data.bin").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(data.nFileSizeLow, 70000u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  struct stat info {};
  ASSERT_EQ(stat((folder / "data.bin").c_str(), &info), 0);
  const ULONGLONG expected = (static_cast<ULONGLONG>(info.st_mtim.tv_sec) + 11644473600ull) * 10000000ull +
                             static_cast<ULONGLONG>(info.st_mtim.tv_nsec) / 100;
  EXPECT_EQ(Ticks(data.ftLastWriteTime), expected);

  ASSERT_TRUE(GetFileAttributesExW(Wide(folder.path()).c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(GetFileAttributesExW(Wide(folder / "none").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(KernelFiles, SetFileAttributesMapsReadOnlyAndPosixModes) {
  struct Case { const char* name; mode_t before; DWORD attributes; mode_t after; };
  const Case cases[] = {
      {"read-only clears every write bit", 0664, FILE_ATTRIBUTE_READONLY, 0444},
      {"normal keeps the mode", 0640, FILE_ATTRIBUTE_NORMAL, 0640},
      {"clearing read-only lets the owner write", 0444, FILE_ATTRIBUTE_ARCHIVE, 0644},
      {"posix mode from an archive", 0644, (0100755u << 16) | 0x8000u | FILE_ATTRIBUTE_ARCHIVE, 0755},
      {"posix mode with read-only", 0644, (0100555u << 16) | 0x8000u | FILE_ATTRIBUTE_READONLY, 0555},
      {"set-user-id from an archive is dropped", 0644, (0104755u << 16) | 0x8000u, 0755},
  };
  ScratchFolder folder;
  for (const auto& c : cases) {
    const auto path = folder / "item";
    WriteText(path, "x");
    chmod(path.c_str(), c.before);
    EXPECT_TRUE(SetFileAttributesW(Wide(path).c_str(), c.attributes)) << c.name;
    EXPECT_EQ(ModeOf(path), c.after) << c.name;
  }
  // A folder stays open to its owner whatever an archive says.
  const auto sub = folder / "sub";
  std::filesystem::create_directory(sub);
  EXPECT_TRUE(SetFileAttributesW(Wide(sub).c_str(), (040500u << 16) | 0x8000u | FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(ModeOf(sub), 0700u);
  EXPECT_FALSE(SetFileAttributesW(Wide(folder / "none").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(KernelFiles, DeleteFileDeletesFilesOnly) {
  ScratchFolder folder;
  WriteText(folder / "a.dll", "x");
  std::filesystem::create_directory(folder / "dir");
  EXPECT_TRUE(DeleteFileW(Wide(folder / "a.dll").c_str()));
  EXPECT_FALSE(std::filesystem::exists(folder / "a.dll"));

  struct Case { std::filesystem::path path; DWORD error; };
  const Case failures[] = {
      {folder / "dir", ERROR_ACCESS_DENIED},
      {folder / "a.dll", ERROR_FILE_NOT_FOUND},
      {folder / "none" / "a.dll", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : failures) {
    EXPECT_FALSE(DeleteFileW(Wide(c.path).c_str())) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder / "dir"));
}

TEST(KernelFiles, CreateAndRemoveFolders) {
  ScratchFolder folder;
  EXPECT_TRUE(CreateDirectoryW(Wide(folder / "new").c_str(), nullptr));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "new"));
  EXPECT_FALSE(CreateDirectoryW(Wide(folder / "new").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryW(Wide(folder / "a" / "b").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  WriteText(folder / "new" / "f", "x");
  EXPECT_FALSE(RemoveDirectoryW(Wide(folder / "new").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(RemoveDirectoryW(Wide(folder / "new" / "f").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  std::filesystem::remove(folder / "new" / "f");
  EXPECT_TRUE(RemoveDirectoryW(Wide(folder / "new").c_str()));
  EXPECT_FALSE(std::filesystem::exists(folder / "new"));
}

TEST(KernelFiles, CreateFileDispositions) {
  struct Case {
    const char* name;
    bool exists;
    DWORD disposition;
    bool opens;
    DWORD error;  // last error after the call
    const char* contentAfter;
  };
  const Case cases[] = {
      {"create new, absent", false, CREATE_NEW, true, ERROR_SUCCESS, ""},
      {"create new, present", true, CREATE_NEW, false, ERROR_FILE_EXISTS, "old"},
      {"create always, absent", false, CREATE_ALWAYS, true, ERROR_SUCCESS, ""},
      {"create always, present", true, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
      {"open existing, absent", false, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
      {"open existing, present", true, OPEN_EXISTING, true, ERROR_SUCCESS, "old"},
      {"open always, absent", false, OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
      {"open always, present", true, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old"},
      {"truncate existing, absent", false, TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
      {"truncate existing, present", true, TRUNCATE_EXISTING, true, ERROR_SUCCESS, ""},
  };
  for (const auto& c : cases) {
    ScratchFolder folder;
    const auto path = folder / "f.bin";
    if (c.exists) WriteText(path, "old");
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    c.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (c.contentAfter == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(path)) << c.name;
    } else {
      EXPECT_EQ(ReadText(path), c.contentAfter) << c.name;
    }
  }
}

TEST(KernelFiles, AFolderOpensOnlyWithBackupSemantics) {
  ScratchFolder folder;
  EXPECT_EQ(CreateFileW(Wide(folder.path()).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileW(Wide(folder.path()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  const HANDLE dir = CreateFileW(Wide(folder.path()).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(dir, INVALID_HANDLE_VALUE);
  const FILETIME written = FromTicks(132000000000000000ull);  // 2019-04-16
  EXPECT_TRUE(SetFileTime(dir, nullptr, nullptr, &written));
  EXPECT_TRUE(CloseHandle(dir));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(Wide(folder.path()).c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(Ticks(data.ftLastWriteTime), Ticks(written));
}

TEST(KernelFiles, ReadWriteSeekSizeAndTruncate) {
  ScratchFolder folder;
  const auto path = folder / "f.bin";
  const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, "hello world", 11, &done, nullptr));
  EXPECT_EQ(done, 11u);
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, 11);

  LARGE_INTEGER move{};
  LARGE_INTEGER position{};
  move.QuadPart = -5;
  ASSERT_TRUE(SetFilePointerEx(file, move, &position, FILE_END));
  EXPECT_EQ(position.QuadPart, 6);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(std::string(buffer, done), "world");
  // At the end a read succeeds with nothing.
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(done, 0u);

  move.QuadPart = 5;
  ASSERT_TRUE(SetFilePointerEx(file, move, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  EXPECT_TRUE(FlushFileBuffers(file));
  ASSERT_TRUE(CloseHandle(file));
  EXPECT_EQ(ReadText(path), "hello");

  // Seeking before the start fails and the handle stays usable.
  const HANDLE reader = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  move.QuadPart = -1;
  EXPECT_FALSE(SetFilePointerEx(reader, move, nullptr, FILE_BEGIN));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(WriteFile(reader, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(SetEndOfFile(reader));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(CloseHandle(reader));
  EXPECT_EQ(ReadText(path), "hello");
}

TEST(KernelFiles, HandlesAreCheckedAndClosedOnce) {
  ScratchFolder folder;
  const HANDLE file = CreateFileW(Wide(folder / "f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  DWORD done = 0;
  EXPECT_FALSE(WriteFile(file, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  // An event is no file.
  const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(WriteFile(event, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(event);
}

TEST(KernelFiles, FileTimesRoundTripAndNullLeavesATimeAlone) {
  ScratchFolder folder;
  const auto path = folder / "t.bin";
  WriteText(path, "x");
  const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const FILETIME accessed = FromTicks(116444736000000000ull + 12345670ull);  // 1970-01-01 00:00:01.234567
  const FILETIME written = FromTicks(125911584000000000ull);                 // 2000-01-01
  ASSERT_TRUE(SetFileTime(file, nullptr, &accessed, &written));
  const FILETIME later = FromTicks(133000000000000000ull);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &later));
  FILETIME gotAccess{}, gotWrite{};
  ASSERT_TRUE(GetFileTime(file, nullptr, &gotAccess, &gotWrite));
  EXPECT_EQ(Ticks(gotAccess), Ticks(accessed));
  EXPECT_EQ(Ticks(gotWrite), Ticks(later));
  CloseHandle(file);

  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_atim.tv_sec, 1);
  EXPECT_EQ(info.st_atim.tv_nsec, 234567000);
  EXPECT_EQ(info.st_mtim.tv_sec, (133000000000000000ll - 116444736000000000ll) / 10000000);
}

TEST(KernelFiles, FindListsAFolderSortedWithWildcards) {
  ScratchFolder folder;
  WriteText(folder / "b.dat", "12345");
  WriteText(folder / "a.txt", "");
  WriteText(folder / "README", "");
  std::filesystem::create_directory(folder / "sub");

  struct Case { const char* pattern; std::vector<std::string> names; };
  const Case cases[] = {
      {"*", {".", "..", "README", "a.txt", "b.dat", "sub"}},
      {"*.*", {".", "..", "README", "a.txt", "b.dat", "sub"}},
      {"*.TXT", {"a.txt"}},
      {"?.dat", {"b.dat"}},
      {"sub", {"sub"}},
  };
  for (const auto& c : cases) {
    WIN32_FIND_DATAW data{};
    const std::u16string pattern = Wide(folder.path().string() + "\\" + c.pattern);
    const HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << c.pattern;
    std::vector<std::string> names;
    do {
      names.push_back(std::string(data.cFileName, data.cFileName + lstrlenW(data.cFileName)));
      if (names.back() == "b.dat") {
        EXPECT_EQ(data.nFileSizeLow, 5u);
      }
      if (names.back() == "sub") {
        EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
      }
    } while (FindNextFileW(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(search));
    EXPECT_EQ(names, c.names) << c.pattern;
  }

  WIN32_FIND_DATAW data{};
  EXPECT_EQ(FindFirstFileW(Wide(folder / "*.none").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileW(Wide(folder / "missing" / "*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(KernelFiles, FolderQueriesFollowTheBufferRules) {
  WCHAR buffer[4096];
  const DWORD length = GetCurrentDirectoryW(4096, buffer);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::u16string(buffer, length), Wide(std::filesystem::current_path()));
  // Too small: the size needed, terminator included, and nothing written.
  buffer[0] = u'#';
  EXPECT_EQ(GetCurrentDirectoryW(length, buffer), length + 1);
  EXPECT_EQ(buffer[0], u'#');

  const DWORD tempLength = GetTempPathW(4096, buffer);
  ASSERT_GT(tempLength, 0u);
  EXPECT_EQ(buffer[tempLength - 1], u'/');
  EXPECT_EQ(buffer[tempLength], u'\0');
  EXPECT_TRUE(std::filesystem::is_directory(std::u16string(buffer, tempLength)));
  EXPECT_EQ(GetTempPathW(0, nullptr), tempLength + 1);
}

}  // namespace
