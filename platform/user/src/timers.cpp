// Timers. A timer belongs to the thread of its window (or to the calling
// thread for a timer without a window); its WM_TIMER is made when that
// thread finds nothing else to do and the timer is due.
#include "state.h"
#include "win/kernel.h"

using zv::user::CurrentQueue;
using zv::user::FindRecord;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  if (hwnd != nullptr) {
    const auto window = FindRecord(hwnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    if (window->threadId != GetCurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
  }
  const UINT_PTR set = CurrentQueue()->SetTimer(hwnd, id, elapseMs, proc);
  // A window timer answers with a non-zero value even for the id 0.
  return hwnd != nullptr && set == 0 ? 1 : set;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  if (hwnd != nullptr && !FindRecord(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!CurrentQueue()->KillTimer(hwnd, id)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
