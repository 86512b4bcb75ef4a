#include "internet_handles.h"

#include <map>
#include <mutex>

#include "win/kernel.h"

namespace zv::net {
namespace {

// Handles are checked against this table, so a stale or foreign value is
// refused instead of being followed.
std::mutex tableMutex;
std::map<HINTERNET, std::unique_ptr<InternetHandle>>& Table() {
  static std::map<HINTERNET, std::unique_ptr<InternetHandle>> table;
  return table;
}

}  // namespace

HINTERNET RegisterHandle(std::unique_ptr<InternetHandle> handle) {
  HINTERNET value = handle.get();
  std::lock_guard lock(tableMutex);
  Table().emplace(value, std::move(handle));
  return value;
}

InternetHandle* FindHandle(HINTERNET handle, HandleKind kind) {
  std::lock_guard lock(tableMutex);
  auto found = Table().find(handle);
  if (found == Table().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (found->second->kind != kind) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return nullptr;
  }
  return found->second.get();
}

bool CloseHandleOf(HINTERNET handle) {
  std::unique_ptr<InternetHandle> closing;
  {
    std::lock_guard lock(tableMutex);
    auto found = Table().find(handle);
    if (found == Table().end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    closing = std::move(found->second);
    Table().erase(found);
  }
  return true;  // the transfer, if any, is torn down outside the lock
}

}  // namespace zv::net
