// Raw input from the display (or from tests, at this same boundary) and its
// turning into the messages Windows sends: hit testing, WM_SETCURSOR,
// activation by click, capture, double clicks, hover and leave, keys.
#pragma once

#include "message_filter.h"
#include "win/user.h"

namespace zv::user {

enum class RawKind { Move, Button, Wheel, Key, Leave };

struct RawInput {
  RawKind kind = RawKind::Move;
  POINT screen{0, 0};      // pointer position, screen coordinates
  int button = 0;          // 0 left, 1 right, 2 middle
  bool down = false;       // buttons and keys
  int wheelDelta = 0;      // multiples of WHEEL_DELTA, positive away from the user
  UINT virtualKey = 0;
  UINT scanCode = 0;
  DWORD time = 0;          // GetTickCount time of the event
};

// Queues raw input for the calling thread, which turns it into messages when
// it next looks at its queue.
void InjectInput(const RawInput& input);
// The next message made from raw input that matches the filter; the hit
// tests, cursor and activation messages are sent while it is made.
bool NextInput(const MessageFilter& filter, bool remove, MSG* msg);
// Moves the window with the pointer until the left button goes up.
void BeginWindowDrag(HWND hwnd);
// The character a key gives on a US keyboard in the current shift state.
bool LayoutCharacter(WPARAM virtualKey, WCHAR* character);

}  // namespace zv::user
