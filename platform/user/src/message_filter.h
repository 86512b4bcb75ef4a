// The window and message-range filter of GetMessageW and PeekMessageW.
#pragma once

#include "win/user.h"

namespace zv::user {

struct MessageFilter {
  // Null: every message of the thread; (HWND)-1: only messages posted to the
  // thread itself (null hwnd); otherwise only messages of that window.
  HWND hwnd = nullptr;
  UINT min = 0;
  UINT max = 0;

  bool Matches(HWND target, UINT message) const {
    if (hwnd == reinterpret_cast<HWND>(-1)) {
      if (target != nullptr) return false;
    } else if (hwnd != nullptr && hwnd != target) {
      return false;
    }
    if (min == 0 && max == 0) return true;
    return message >= min && message <= max;
  }
};

}  // namespace zv::user
