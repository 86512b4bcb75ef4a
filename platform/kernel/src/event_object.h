// Events: unnamed ones in the process's memory, named ones in a small shared
// file that every process holding the name maps.
#pragma once

#include <memory>
#include <string>

#include "waitable.h"

namespace zv::kernel {

// The state of an event. Bit 0 of `word` is the signal; the bits above count
// the times it was set, so every SetEvent changes the word a waiter sleeps on.
struct EventCell {
  std::atomic<std::uint32_t> word;
  std::atomic<std::uint32_t> manualReset;
};

class EventObject : public Waitable {
 public:
  std::atomic<std::uint32_t>& Word() override { return Cell().word; }
  bool IsSignaled(std::uint32_t word) const override { return (word & 1u) != 0; }
  bool Consume(std::uint32_t word) override;
  void Restore() override { Set(); }

  void Set();
  void Reset();

 protected:
  virtual EventCell& Cell() = 0;
};

// The machine-wide event of that name (without "Global\" or "Local\"),
// created with these settings unless some process already holds it; then
// `existed` is true and the holder's settings stay. Null (last error set) on
// failure.
std::shared_ptr<EventObject> OpenNamedEvent(const std::u16string& name, bool manualReset,
                                            bool initialState, bool& existed);

}  // namespace zv::kernel
