// The single-instance guard: only one launcher runs at a time on the machine.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

class SingletonExe {
 public:
  using Callback = std::function<void()>;

  SingletonExe() = default;
  SingletonExe(const SingletonExe&) = delete;
  SingletonExe& operator=(const SingletonExe&) = delete;
  ~SingletonExe();

  // Both handlers must be set before Acquire.
  SingletonExe& SetAlreadyRunningHandler(Callback callback);
  SingletonExe& SetOtherInstanceHandler(Callback callback);

  // Claims the machine-wide event "Global\" + name. A second instance runs
  // its already-running handler, wakes the first one and ends the process
  // with exit code 1314 (seen as 34 by a parent on this platform).
  void Acquire(const std::u16string& name);

 private:
  std::thread watcher;
  Callback onAlreadyRunning;
  Callback onOtherInstance;
  HANDLE guardEvent = nullptr;
  HANDLE stopEvent = nullptr;
};

// The watcher's loop: calls onOtherInstance each time guardEvent is signalled
// and returns when stopEvent is signalled or the wait fails.
void WatchForOthers(HANDLE guardEvent, HANDLE stopEvent, const std::function<void()>& onOtherInstance);
