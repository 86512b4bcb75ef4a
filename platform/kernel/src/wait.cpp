// WaitForSingleObject and WaitForMultipleObjects: futex sleeps on the state
// words of the objects, never polling.
#include <cerrno>
#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

#include "waitable.h"
#include "zv/errors.h"

namespace zv::kernel {

void WakeAll(std::atomic<std::uint32_t>& word) {
  // Not FUTEX_PRIVATE: named events live in memory shared between processes.
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

}  // namespace zv::kernel

namespace {

using zv::kernel::Waitable;
using Objects = std::vector<std::shared_ptr<Waitable>>;

timespec DeadlineAfter(DWORD milliseconds) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  long long nanoseconds = now.tv_nsec + static_cast<long long>(milliseconds % 1000) * 1'000'000;
  return timespec{now.tv_sec + static_cast<time_t>(milliseconds / 1000 + nanoseconds / 1'000'000'000),
                  static_cast<long>(nanoseconds % 1'000'000'000)};
}

futex_waitv SleepEntry(Waitable& object, std::uint32_t seen) {
  return futex_waitv{seen, reinterpret_cast<std::uint64_t>(&object.Word()), FUTEX_32, 0};
}

// Wait for any: the first signalled object in handle order wins.
bool TakeAny(const Objects& objects, std::vector<futex_waitv>& sleepOn, DWORD& index) {
  for (std::size_t i = 0; i < objects.size(); ++i) {
    std::uint32_t word = objects[i]->Word().load(std::memory_order_acquire);
    while (objects[i]->IsSignaled(word)) {
      if (objects[i]->Consume(word)) {
        index = static_cast<DWORD>(i);
        return true;
      }
      word = objects[i]->Word().load(std::memory_order_acquire);
    }
    sleepOn[i] = SleepEntry(*objects[i], word);
  }
  return false;
}

// Wait for all: only when every object is signalled are their signals taken;
// one taken away meanwhile gives the others back and the wait goes on.
bool TakeAll(const Objects& objects, std::vector<futex_waitv>& sleepOn) {
  std::vector<std::uint32_t> words(objects.size());
  bool allSignaled = true;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    words[i] = objects[i]->Word().load(std::memory_order_acquire);
    allSignaled = allSignaled && objects[i]->IsSignaled(words[i]);
    sleepOn[i] = SleepEntry(*objects[i], words[i]);
  }
  if (!allSignaled) return false;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (!objects[i]->Consume(words[i])) {
      for (std::size_t j = 0; j < i; ++j) objects[j]->Restore();
      // The word that changed makes the sleep below return at once.
      return false;
    }
  }
  return true;
}

DWORD WaitOn(const Objects& objects, bool waitAll, DWORD milliseconds) {
  const bool forever = milliseconds == INFINITE;
  const timespec deadline = forever ? timespec{} : DeadlineAfter(milliseconds);
  std::vector<futex_waitv> sleepOn(objects.size());
  for (;;) {
    DWORD index = 0;
    if (waitAll ? TakeAll(objects, sleepOn) : TakeAny(objects, sleepOn, index)) return WAIT_OBJECT_0 + index;
    if (milliseconds == 0) return WAIT_TIMEOUT;
    const long result = syscall(SYS_futex_waitv, sleepOn.data(), static_cast<unsigned>(sleepOn.size()), 0,
                                forever ? nullptr : &deadline, CLOCK_MONOTONIC);
    if (result >= 0 || errno == EAGAIN || errno == EINTR) continue;
    if (errno == ETIMEDOUT) return WAIT_TIMEOUT;
    zv::SetLastErrorFromErrno(errno);
    return WAIT_FAILED;
  }
}

bool HasDuplicates(DWORD count, const HANDLE* handles) {
  for (DWORD i = 0; i < count; ++i) {
    for (DWORD j = i + 1; j < count; ++j) {
      if (handles[i] == handles[j]) return true;
    }
  }
  return false;
}

}  // namespace

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  // Waiting for all of a list that names one object twice is refused, as on
  // Windows: its signal could not be taken twice.
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr || (waitAll && HasDuplicates(count, handles))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  Objects objects;
  for (DWORD i = 0; i < count; ++i) {
    auto object = zv::kernel::LookupHandle<Waitable>(handles[i]);
    if (!object) return WAIT_FAILED;
    objects.push_back(std::move(object));
  }
  return WaitOn(objects, waitAll != FALSE, milliseconds);
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}
