// The invalid areas of windows and the WM_PAINT they bring.
#pragma once

#include "message_filter.h"
#include "win/user.h"

namespace zv::user {

// A WM_PAINT for a shown window of the calling thread that has something
// invalid and matches the filter. It stays due until the window is validated,
// as on Windows, so taking it removes nothing.
bool NextWindowPaint(const MessageFilter& filter, MSG* msg);
// Marks the whole client area invalid, to be erased first.
void InvalidateWhole(HWND hwnd);

}  // namespace zv::user
