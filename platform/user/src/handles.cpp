#include "handles.h"

#include <unistd.h>

namespace zv::user {

HWND MakeHandle(DWORD processId, DWORD serial) {
  const ULONG_PTR value = (static_cast<ULONG_PTR>(processId) << 32) | serial;
  return reinterpret_cast<HWND>(value);
}

DWORD HandleProcess(HWND hwnd) {
  return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(hwnd) >> 32);
}

bool IsLocalHandle(HWND hwnd) {
  return HandleProcess(hwnd) == static_cast<DWORD>(getpid());
}

}  // namespace zv::user
