// Rectangle helpers.
#include <algorithm>

#include "win/user.h"

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (rect == nullptr) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }

BOOL CopyRect(LPRECT dest, const RECT* src) {
  if (dest == nullptr || src == nullptr) return FALSE;
  *dest = *src;
  return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
  return rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL PtInRect(const RECT* rect, POINT point) {
  return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
         point.y < rect->bottom;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  *rect = RECT{rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
  return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  *rect = RECT{rect->left - dx, rect->top - dy, rect->right + dx, rect->bottom + dy};
  return TRUE;
}

BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b) {
  if (dest == nullptr || a == nullptr || b == nullptr) return FALSE;
  const RECT result{std::max(a->left, b->left), std::max(a->top, b->top),
                    std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
  // No overlap gives the empty rectangle, as on Windows.
  *dest = IsRectEmpty(&result) ? RECT{0, 0, 0, 0} : result;
  return IsRectEmpty(dest) ? FALSE : TRUE;
}

BOOL UnionRect(LPRECT dest, const RECT* a, const RECT* b) {
  if (dest == nullptr || a == nullptr || b == nullptr) return FALSE;
  if (IsRectEmpty(a)) {
    *dest = IsRectEmpty(b) ? RECT{0, 0, 0, 0} : *b;
  } else if (IsRectEmpty(b)) {
    *dest = *a;
  } else {
    *dest = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                 std::max(a->bottom, b->bottom)};
  }
  return IsRectEmpty(dest) ? FALSE : TRUE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
         a->bottom == b->bottom;
}
