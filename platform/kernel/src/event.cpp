// CreateEventW, SetEvent and ResetEvent.
#include "event_object.h"

#include <string_view>

namespace zv::kernel {

bool EventObject::Consume(std::uint32_t word) {
  if (Cell().manualReset.load(std::memory_order_relaxed) != 0) return true;
  return Cell().word.compare_exchange_strong(word, word & ~1u, std::memory_order_acq_rel);
}

void EventObject::Set() {
  auto& word = Cell().word;
  std::uint32_t current = word.load(std::memory_order_acquire);
  do {
    if (current & 1u) return;
  } while (!word.compare_exchange_weak(current, (((current >> 1) + 1) << 1) | 1u, std::memory_order_acq_rel));
  WakeAll(word);
}

void EventObject::Reset() { Cell().word.fetch_and(~1u, std::memory_order_acq_rel); }

}  // namespace zv::kernel

namespace {

class LocalEvent : public zv::kernel::EventObject {
 public:
  LocalEvent(bool manualReset, bool initialState) {
    cell_.word.store(initialState ? 1u : 0u);
    cell_.manualReset.store(manualReset ? 1u : 0u);
  }

 protected:
  zv::kernel::EventCell& Cell() override { return cell_; }

 private:
  zv::kernel::EventCell cell_{};
};

// "Global\" and "Local\" name the same machine-wide namespace here: the
// product needs exclusion across users, and there are no sessions to keep
// apart.
std::u16string_view WithoutNamespace(std::u16string_view name) {
  for (std::u16string_view prefix : {std::u16string_view(u"Global\\"), std::u16string_view(u"Local\\")}) {
    if (name.substr(0, prefix.size()) == prefix) return name.substr(prefix.size());
  }
  return name;
}

}  // namespace

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  const std::u16string_view bareName = name == nullptr ? std::u16string_view() : WithoutNamespace(name);
  if (bareName.empty()) {
    SetLastError(ERROR_SUCCESS);
    return zv::kernel::InsertHandle(std::make_shared<LocalEvent>(manualReset != FALSE, initialState != FALSE));
  }
  if (bareName.size() > MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  bool existed = false;
  auto event = zv::kernel::OpenNamedEvent(std::u16string(bareName), manualReset != FALSE, initialState != FALSE, existed);
  if (!event) return nullptr;
  const HANDLE handle = zv::kernel::InsertHandle(std::move(event));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL SetEvent(HANDLE event) {
  const auto object = zv::kernel::LookupHandle<zv::kernel::EventObject>(event);
  if (!object) return FALSE;
  object->Set();
  return TRUE;
}

BOOL ResetEvent(HANDLE event) {
  const auto object = zv::kernel::LookupHandle<zv::kernel::EventObject>(event);
  if (!object) return FALSE;
  object->Reset();
  return TRUE;
}
