// Objects a wait can be satisfied by: events and processes. Each keeps its
// state in one 32-bit word that changes whenever the object may have become
// signalled, so waiters sleep on the words with futexes, across processes too
// when the word lies in shared memory.
#pragma once

#include <atomic>
#include <cstdint>

#include "handles.h"

namespace zv::kernel {

class Waitable : public KernelObject {
 public:
  virtual std::atomic<std::uint32_t>& Word() = 0;
  virtual bool IsSignaled(std::uint32_t word) const = 0;
  // Takes the signal seen in `word` (an auto-reset event resets); false when
  // the word changed meanwhile and must be read again.
  virtual bool Consume(std::uint32_t word) = 0;
  // Gives back a signal taken by Consume, when a wait for all objects could
  // not take every one of them.
  virtual void Restore() {}
};

// Wakes every thread, in any process, that sleeps on `word`.
void WakeAll(std::atomic<std::uint32_t>& word);

}  // namespace zv::kernel
