#include "handles.h"

#include <mutex>
#include <unordered_map>

#include "win/kernel.h"

namespace zv::kernel {
namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
  // Multiples of 4 as on Windows; starting above 0 keeps null an invalid handle.
  std::uintptr_t next = 4;
};

// Never destroyed: static destructors elsewhere may still close handles.
HandleTable& Table() {
  static auto* table = new HandleTable;
  return *table;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  auto& table = Table();
  std::lock_guard guard(table.lock);
  const auto value = table.next;
  table.next += 4;
  table.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupAnyHandle(HANDLE handle) {
  auto& table = Table();
  std::lock_guard guard(table.lock);
  const auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == table.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> removed;
  auto& table = Table();
  {
    std::lock_guard guard(table.lock);
    const auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == table.objects.end()) return false;
    removed = std::move(it->second);
    table.objects.erase(it);
  }
  // The object's own clean-up (closing a file, releasing an event name) runs
  // here, outside the table's lock, unless a waiter still holds it.
  return true;
}

}  // namespace zv::kernel

BOOL CloseHandle(HANDLE object) {
  if (!zv::kernel::RemoveHandle(object)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
