// Where windows are: their rectangles, their screen positions, and which
// windows are shown. Reads take the state lock themselves.
#pragma once

#include <memory>

#include "state.h"

namespace zv::user {

// The window's rectangle in its own coordinates (screen for a top-level
// window, the parent's client area for a child); empty for no window.
RECT RectOf(HWND hwnd);
// The top-left corner of the window (and so of its client area) on screen.
POINT ScreenOrigin(HWND hwnd);
// The window itself for a top-level window, else its top-level ancestor.
HWND TopLevelOf(HWND hwnd);
// Visible, and every ancestor visible too.
bool IsShown(HWND hwnd);
bool HasStyle(HWND hwnd, DWORD bits);
// Top-level windows in Z order, topmost first.
std::vector<HWND> TopLevelsInOrder();

}  // namespace zv::user
