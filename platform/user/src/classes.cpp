// Window classes. Classes are registered per process in one namespace: a name
// registered twice in a process is refused, whatever instance handle comes
// with it; the instance handle is recorded but not used to tell classes apart.
#include "internal.h"
#include "state.h"
#include "win/kernel.h"

namespace {

using zv::user::State;
using zv::user::WindowClass;

// The class registered under a name or an atom; null when there is none.
// Expects the state lock to be held.
std::shared_ptr<WindowClass> LookUpLocked(State& state, LPCWSTR className) {
  if (zv::user::IsAtomName(className)) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className));
    for (const auto& [name, windowClass] : state.classes) {
      if (windowClass->atom == atom) return windowClass;
    }
    return nullptr;
  }
  const auto found = state.classes.find(zv::user::FoldCase(className));
  return found == state.classes.end() ? nullptr : found->second;
}

}  // namespace

namespace zv::user {

std::shared_ptr<WindowClass> FindClass(LPCWSTR className) {
  if (className == nullptr) return nullptr;
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  return LookUpLocked(state, className);
}

}  // namespace zv::user

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXW) || wc->lpfnWndProc == nullptr ||
      wc->lpszClassName == nullptr || zv::user::IsAtomName(wc->lpszClassName) ||
      wc->lpszClassName[0] == 0 || wc->cbClsExtra < 0 || wc->cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::u16string name(wc->lpszClassName);
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto& slot = state.classes[zv::user::FoldCase(name)];
  if (slot) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  if (state.nextAtom == 0) {
    state.classes.erase(zv::user::FoldCase(name));
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  slot = std::make_shared<WindowClass>(WindowClass{
      state.nextAtom++, name, wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra,
      wc->hInstance, wc->hIcon, wc->hIconSm, wc->hCursor, wc->hbrBackground, wc->lpszMenuName});
  return slot->atom;
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (wc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const WNDCLASSEXW ex{sizeof(WNDCLASSEXW), wc->style,        wc->lpfnWndProc,   wc->cbClsExtra,
                       wc->cbWndExtra,      wc->hInstance,    wc->hIcon,         wc->hCursor,
                       wc->hbrBackground,   wc->lpszMenuName, wc->lpszClassName, nullptr};
  return RegisterClassExW(&ex);
}

BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSEXW wc) {
  if (wc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto windowClass = zv::user::FindClass(className);
  if (!windowClass) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  // The name handed back is the caller's own, so it outlives the class.
  *wc = WNDCLASSEXW{sizeof(WNDCLASSEXW),       windowClass->style,      windowClass->proc,
                    windowClass->classExtra,   windowClass->windowExtra, windowClass->instance,
                    windowClass->icon,         windowClass->cursor,     windowClass->background,
                    windowClass->menuName,     className,               windowClass->smallIcon};
  return windowClass->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
  const auto windowClass = zv::user::FindClass(className);
  if (!windowClass) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (windowClass->windowCount > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  state.classes.erase(zv::user::FoldCase(windowClass->name));
  return TRUE;
}
