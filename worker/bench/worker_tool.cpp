// The worker's steps one at a time, for the benchmarks that time them
// against the reference tools.
//
//   worker_tool fetch URL TARGET     DownloadPackage; prints "PROGRESS_MESSAGES <n>"
//   worker_tool extract ARCHIVE DEST SevenZipExtractor::ExtractTo; prints "RESULT <code>"
//
// Exit code 0 when the step succeeded.
#include <cstdio>
#include <cstring>
#include <string>

#include "windows.h"
#include "worker/archive/seven_zip_extractor.h"
#include "worker/package_download.h"
#include "worker/worker_messages.h"

namespace {

std::u16string FromUtf8(const char* text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(length), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
  wide.pop_back();
  return wide;
}

int Fetch(const char* url, const char* target) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"WorkerTool";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"WorkerTool", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const bool done = DownloadPackage(FromUtf8(url), FromUtf8(target), window);
  long messages = 0;
  MSG msg{};
  while (PeekMessageW(&msg, window, UM_DOWNLOAD_PROGRESS, UM_DOWNLOAD_PROGRESS, PM_REMOVE)) ++messages;
  std::printf("PROGRESS_MESSAGES %ld\n", messages);
  DestroyWindow(window);
  return done ? 0 : 1;
}

int Extract(const char* archive, const char* destination) {
  SevenZip::SevenZipExtractor extractor;
  extractor.SetPath(FromUtf8(archive));
  const HRESULT result = extractor.ExtractTo(FromUtf8(destination));
  std::printf("RESULT %d\n", static_cast<int>(result));
  return result == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "fetch") == 0) return Fetch(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "extract") == 0) return Extract(argv[2], argv[3]);
  std::fprintf(stderr, "usage: worker_tool fetch URL TARGET | extract ARCHIVE DEST\n");
  return 2;
}
