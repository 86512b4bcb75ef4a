// Figures of the kernel part: how fast a SetEvent reaches a waiting thread
// (unnamed and machine-wide events), and how fast a move between file
// systems copies a package-sized file.
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "windows.h"
#include "zv/text.h"

namespace {

// One round trip: this thread sets `ping` and waits for the other's `pong`.
void PingPong(benchmark::State& state, HANDLE ping, HANDLE pong) {
  std::atomic<bool> stop{false};
  std::thread echo([&] {
    while (WaitForSingleObject(ping, INFINITE) == WAIT_OBJECT_0 && !stop) SetEvent(pong);
  });
  for (auto _ : state) {
    SetEvent(ping);
    WaitForSingleObject(pong, INFINITE);
  }
  stop = true;
  SetEvent(ping);
  echo.join();
  CloseHandle(ping);
  CloseHandle(pong);
}

void BM_UnnamedEventRoundTrip(benchmark::State& state) {
  PingPong(state, CreateEventW(nullptr, FALSE, FALSE, nullptr), CreateEventW(nullptr, FALSE, FALSE, nullptr));
}
BENCHMARK(BM_UnnamedEventRoundTrip)->UseRealTime();

void BM_NamedEventRoundTrip(benchmark::State& state) {
  const std::string id = std::to_string(getpid());
  PingPong(state, CreateEventW(nullptr, FALSE, FALSE, zv::FromUtf8("Global\\zv-bench-ping-" + id).c_str()),
           CreateEventW(nullptr, FALSE, FALSE, zv::FromUtf8("Global\\zv-bench-pong-" + id).c_str()));
}
BENCHMARK(BM_NamedEventRoundTrip)->UseRealTime();

void BM_NamedEventCreateAndClose(benchmark::State& state) {
  const std::u16string name = zv::FromUtf8("Global\\zv-bench-create-" + std::to_string(getpid()));
  for (auto _ : state) CloseHandle(CreateEventW(nullptr, FALSE, FALSE, name.c_str()));
}
BENCHMARK(BM_NamedEventCreateAndClose);

void BM_MoveAcrossFileSystems(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const std::filesystem::path here = std::filesystem::temp_directory_path() / ("zv-bench-" + std::to_string(getpid()));
  const std::filesystem::path there = "/dev/shm/zv-bench-" + std::to_string(getpid());
  std::filesystem::create_directories(here);
  std::filesystem::create_directories(there);
  const std::u16string from = zv::FromUtf8((here / "pkg.7z").string());
  const std::u16string to = zv::FromUtf8((there / "pkg.7z").string());
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(here / "pkg.7z", std::ios::binary) << std::string(size, 'z');
    std::filesystem::remove(there / "pkg.7z");
    state.ResumeTiming();
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED)) state.SkipWithError("move failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  std::filesystem::remove_all(here);
  std::filesystem::remove_all(there);
}
BENCHMARK(BM_MoveAcrossFileSystems)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
