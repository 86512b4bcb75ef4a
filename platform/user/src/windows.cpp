// Creating and destroying windows, and the relations between them.
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "activation.h"
#include "handles.h"
#include "internal.h"
#include "remote.h"
#include "state.h"
#include "win/kernel.h"

namespace {

using namespace zv::user;

std::shared_ptr<Window> NewRecord(const std::shared_ptr<WindowClass>& windowClass, DWORD exStyle,
                                  DWORD style, HWND parent, HWND owner, bool messageOnly,
                                  HMENU menu, HINSTANCE instance) {
  auto window = std::make_shared<Window>();
  window->windowClass = windowClass;
  window->threadId = GetCurrentThreadId();
  window->proc = windowClass->proc;
  window->style = style;
  window->exStyle = exStyle;
  // Only a child window takes its menu argument as its control id.
  window->id = (style & WS_CHILD) ? reinterpret_cast<LONG_PTR>(menu) : 0;
  window->instance = instance;
  window->parent = parent;
  window->owner = owner;
  window->messageOnly = messageOnly;
  window->extraBytes.assign(static_cast<std::size_t>(windowClass->windowExtra), 0);
  return window;
}

// Enters a new window into the records and gives it its handle.
HWND Enter(const std::shared_ptr<Window>& window) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  window->handle = MakeHandle(static_cast<DWORD>(getpid()), state.nextSerial++);
  state.windows[window->handle] = window;
  // A new window goes on top of its siblings, as on Windows.
  const auto parent = state.windows.find(window->parent);
  if (parent != state.windows.end()) {
    auto& siblings = parent->second->children;
    siblings.insert(siblings.begin(), window->handle);
  } else if (window->IsTopLevel()) {
    state.topLevels.insert(state.topLevels.begin(), window->handle);
  }
  ++window->windowClass->windowCount;
  return window->handle;
}

// Takes a window out of the records after its WM_NCDESTROY.
void Remove(HWND hwnd) {
  State& state = State::Get();
  std::shared_ptr<Window> window;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    const auto found = state.windows.find(hwnd);
    if (found == state.windows.end()) return;
    window = found->second;
    Unlink(state, *window);
    state.windows.erase(found);
    --window->windowClass->windowCount;
  }
  if (auto queue = QueueOf(window->threadId)) queue->ForgetWindow(hwnd);
}

HWND TopLevelAncestor(HWND hwnd) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  for (;;) {
    const auto found = state.windows.find(hwnd);
    if (found == state.windows.end() || found->second->parent == nullptr) return hwnd;
    hwnd = found->second->parent;
  }
}

std::vector<HWND> ChildrenOf(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  if (!window) return {};
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  return window->children;
}

// Owned windows of the calling thread; those of other threads only lose
// their owner when it goes.
std::vector<HWND> OwnedBy(HWND hwnd) {
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::vector<HWND> owned;
  const DWORD thread = GetCurrentThreadId();
  for (const auto& [handle, window] : state.windows) {
    if (window->owner == hwnd && window->threadId == thread) owned.push_back(handle);
  }
  return owned;
}

void MarkDestroying(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  if (!window) return;
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    window->destroying = true;
  }
  for (HWND child : ChildrenOf(hwnd)) MarkDestroying(child);
}

// WM_DESTROY goes to a window before its children ...
void SendDestroy(HWND hwnd) {
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  for (HWND child : ChildrenOf(hwnd)) SendDestroy(child);
}

// ... and WM_NCDESTROY to the children before their window.
void SendNcDestroy(HWND hwnd) {
  for (HWND child : ChildrenOf(hwnd)) SendNcDestroy(child);
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  Remove(hwnd);
}

bool IsAlive(HWND hwnd) { return FindRecord(hwnd) != nullptr; }

// A window that asks for the default placement starts at the origin without
// a size, as a pop-up window does on Windows; its program then places it.
RECT InitialRect(int x, int y, int width, int height) {
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = height = 0;
  return RECT{x, y, x + width, y + height};
}

}  // namespace

namespace zv::user {

HWND FindLocalTopLevel(const std::u16string* className, const std::u16string* title) {
  const std::u16string folded = className ? FoldCase(*className) : std::u16string();
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  for (HWND hwnd : state.topLevels) {
    const Window& window = *state.windows.at(hwnd);
    // A window on its way out is no longer offered.
    if (window.destroying) continue;
    if (className && FoldCase(window.windowClass->name) != folded) continue;
    // Titles compare exactly: a lookup by title must not hand a message to
    // a window that merely resembles the one asked for.
    if (title && window.text != *title) continue;
    return hwnd;
  }
  return nullptr;
}

}  // namespace zv::user

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  const auto windowClass = FindClass(className);
  if (!windowClass) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const bool messageOnly = parent == HWND_MESSAGE;
  HWND realParent = nullptr;
  HWND owner = nullptr;
  if (messageOnly) {
    style &= ~WS_CHILD;
  } else if (style & WS_CHILD) {
    if (parent == nullptr) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    realParent = parent;
  } else if (parent != nullptr) {
    owner = parent;
  }
  if ((realParent || owner) && !IsAlive(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  // The owner of a top-level window is always a top-level window.
  if (owner) owner = TopLevelAncestor(owner);
  if ((style & WS_CHILD) == 0) {
    // As on Windows: top-level windows clip their siblings, and an overlapped
    // window always has a caption.
    style |= WS_CLIPSIBLINGS;
    if ((style & WS_POPUP) == 0) style |= WS_CAPTION;
  }
  CurrentQueue();
  const RECT rect = InitialRect(x, y, width, height);
  // A window asked for visible is created hidden and shown once WM_CREATE
  // has been answered, as on Windows.
  const bool visible = (style & WS_VISIBLE) != 0;
  const auto window = NewRecord(windowClass, exStyle, style & ~WS_VISIBLE, realParent, owner,
                                messageOnly, menu, instance);
  window->rect = rect;
  const HWND hwnd = Enter(window);
  if (window->IsTopLevel()) zv::user::remote::EnsureServing();

  CREATESTRUCTW create{param, instance, menu, parent, rect.bottom - rect.top,
                       rect.right - rect.left, rect.top, rect.left, static_cast<LONG>(style),
                       windowName, className, exStyle};
  if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    // Refused before it was ever created: no WM_DESTROY, but WM_NCDESTROY so
    // that whatever the procedure attached at WM_NCCREATE is released.
    if (IsAlive(hwnd)) {
      MarkDestroying(hwnd);
      SendNcDestroy(hwnd);
    }
    return nullptr;
  }
  // Without a display the frame takes no room, and the answer changes nothing.
  RECT client = rect;
  if (IsAlive(hwnd)) SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
  if (IsAlive(hwnd) && SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!IsAlive(hwnd)) return nullptr;
  if (visible) ShowWindow(hwnd, (style & WS_CHILD) ? SW_SHOWNA : SW_SHOW);
  return IsAlive(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  {
    State& state = State::Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    // A window already on its way out (DestroyWindow called again from its
    // own WM_DESTROY, say) finishes the destruction under way.
    if (window->destroying) return TRUE;
  }
  MarkDestroying(hwnd);
  for (HWND owned : OwnedBy(hwnd)) DestroyWindow(owned);
  // It leaves the screen first: activation, focus and capture move away.
  if (auto part = GetDisplayWindow(hwnd)) part->Show(false, false);
  zv::user::ForgetInputOf(hwnd);
  SendDestroy(hwnd);
  SendNcDestroy(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  if (hwnd == nullptr) return FALSE;
  if (zv::user::IsLocalHandle(hwnd)) return IsAlive(hwnd);
  zv::user::remote::WindowFacts facts;
  return zv::user::remote::Query(hwnd, &facts);
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  DWORD thread = 0;
  if (zv::user::IsLocalHandle(hwnd)) {
    if (const auto window = FindRecord(hwnd)) thread = window->threadId;
  } else if (hwnd != nullptr) {
    zv::user::remote::WindowFacts facts;
    if (zv::user::remote::Query(hwnd, &facts)) thread = facts.threadId;
  }
  if (thread == 0) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (processId) *processId = zv::user::HandleProcess(hwnd);
  return thread;
}

HWND GetWindow(HWND hwnd, UINT relation) {
  const auto window = FindRecord(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (relation == GW_OWNER) return window->owner;
  if (relation == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
  if (relation > GW_CHILD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // The siblings: the parent's children, or the top-level windows.
  std::vector<HWND>* siblings = &state.topLevels;
  if (window->parent) {
    const auto parent = state.windows.find(window->parent);
    if (parent == state.windows.end()) return nullptr;
    siblings = &parent->second->children;
  }
  const auto at = std::find(siblings->begin(), siblings->end(), hwnd);
  if (at == siblings->end()) return nullptr;
  switch (relation) {
    case GW_HWNDFIRST: return siblings->front();
    case GW_HWNDLAST: return siblings->back();
    case GW_HWNDNEXT: return at + 1 == siblings->end() ? nullptr : *(at + 1);
    default: return at == siblings->begin() ? nullptr : *(at - 1);
  }
}

HWND GetParent(HWND hwnd) {
  const auto window = FindRecord(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  State& state = State::Get();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (window->style & WS_CHILD) return window->parent;
  // As on Windows, a pop-up window answers with its owner.
  return (window->style & WS_POPUP) ? window->owner : nullptr;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  std::optional<std::u16string> title;
  if (windowName) title = windowName;
  std::optional<std::u16string> name;
  if (className && zv::user::IsAtomName(className)) {
    // Atoms are private to the process that registered the class, so an
    // atom finds windows of this process only.
    const auto windowClass = FindClass(className);
    if (!windowClass) return nullptr;
    return FindLocalTopLevel(&windowClass->name, title ? &*title : nullptr);
  }
  if (className) name = className;
  const std::u16string* namePtr = name ? &*name : nullptr;
  const std::u16string* titlePtr = title ? &*title : nullptr;
  // This process's windows come first, then those of the other processes.
  if (HWND local = FindLocalTopLevel(namePtr, titlePtr)) return local;
  return zv::user::remote::FindElsewhere(namePtr, titlePtr);
}
