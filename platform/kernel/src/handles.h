// The kernel handle table: every HANDLE the kernel part hands out (files,
// searches, events, processes) names a reference-counted object here.
#pragma once

#include <memory>

#include "win/kernel.h"

namespace zv::kernel {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// Registers the object and returns its new handle; handle values are never
// reused, so a stale handle fails instead of reaching another object.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle, or null (with ERROR_INVALID_HANDLE set) when the
// handle is unknown or names an object of another kind.
template <typename T>
std::shared_ptr<T> LookupHandle(HANDLE handle);

// Forgets the handle; the object lives on while a call still uses it.
bool RemoveHandle(HANDLE handle);

std::shared_ptr<KernelObject> LookupAnyHandle(HANDLE handle);

template <typename T>
std::shared_ptr<T> LookupHandle(HANDLE handle) {
  auto typed = std::dynamic_pointer_cast<T>(LookupAnyHandle(handle));
  if (!typed) SetLastError(ERROR_INVALID_HANDLE);
  return typed;
}

}  // namespace zv::kernel
