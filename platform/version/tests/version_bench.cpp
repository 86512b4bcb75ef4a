// What reading a client's FileVersion costs, the way the launcher does it at
// every start: size, block, translation table, then the string. Files: a
// small PE, and one of our own programs (several MB; only its section table
// and resource section are read).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "win/kernel.h"
#include "win/version.h"
#include "zv/text.h"

namespace {

void ReadFileVersion(benchmark::State& state, const std::string& path) {
  const std::u16string wide = zv::FromUtf8(path);
  for (auto _ : state) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &handle);
    std::vector<std::uint8_t> block(size);
    LPVOID value = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoW(wide.c_str(), handle, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) ||
        !VerQueryValueW(block.data(), u"\\StringFileInfo\\080404b0\\FileVersion", &value, &length)) {
      state.SkipWithError("no FileVersion");
      break;
    }
    benchmark::DoNotOptimize(value);
  }
}

void OwnResource(benchmark::State& state) {
  for (auto _ : state) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (found == nullptr) {
      state.SkipWithError("no version resource");
      break;
    }
    benchmark::DoNotOptimize(LockResource(LoadResource(nullptr, found)));
    benchmark::DoNotOptimize(SizeofResource(nullptr, found));
  }
}

BENCHMARK_CAPTURE(ReadFileVersion, small_pe, std::string(ZV_VERSION_FIXTURES) + "/pe64_two_translations.exe");
BENCHMARK_CAPTURE(ReadFileVersion, own_program, std::string(ZV_VERSION_FIXTURE_PROGRAM));
BENCHMARK(OwnResource);

}  // namespace

BENCHMARK_MAIN();
