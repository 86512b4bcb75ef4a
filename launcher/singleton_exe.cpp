#include "launcher/singleton_exe.h"

namespace {
constexpr UINT kSecondInstanceExitCode = 1314;
}

SingletonExe::~SingletonExe() {
  if (stopEvent) SetEvent(stopEvent);
  if (watcher.joinable()) watcher.join();
  // The stop event is closed here, after the join, rather than by the watcher
  // as it ends: a watcher that ended early on a failed wait must not leave
  // this destructor signalling a handle that is already closed.
  if (stopEvent) CloseHandle(stopEvent);
  onOtherInstance = nullptr;
  onAlreadyRunning = nullptr;
}

SingletonExe& SingletonExe::SetAlreadyRunningHandler(Callback callback) {
  onAlreadyRunning = std::move(callback);
  return *this;
}

SingletonExe& SingletonExe::SetOtherInstanceHandler(Callback callback) {
  onOtherInstance = std::move(callback);
  return *this;
}

void SingletonExe::Acquire(const std::u16string& name) {
  const std::u16string eventName = u"Global\\" + name;
  guardEvent = CreateEventW(nullptr, FALSE, FALSE, eventName.c_str());
  if (!guardEvent || GetLastError() == ERROR_ALREADY_EXISTS) {
    if (onAlreadyRunning) onAlreadyRunning();
    SetEvent(guardEvent);
    ExitProcess(kSecondInstanceExitCode);
  }
  if (!onOtherInstance) return;
  stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // Without a stop event the watcher could never be stopped and joined.
  if (!stopEvent) return;
  watcher = std::thread(WatchForOthers, guardEvent, stopEvent, std::cref(onOtherInstance));
}

void WatchForOthers(HANDLE guardEvent, HANDLE stopEvent, const std::function<void()>& onOtherInstance) {
  const HANDLE handles[] = {guardEvent, stopEvent};
  for (;;) {
    const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0) {
      onOtherInstance();
    } else {
      // The stop event, or a failed wait: a wait that failed once fails
      // again, and retrying it would only spin. Noting later starts is not
      // worth a busy loop, so the watcher ends.
      return;
    }
  }
}
