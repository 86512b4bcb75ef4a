// The objects behind HINTERNET values. Each handle carries a copy of what it
// needs from its parents, so handles may be closed in any order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "http_transfer.h"
#include "wininet.h"

namespace zv::net {

enum class HandleKind { Session, Connection, Request };

struct SessionSettings {
  std::string agent;
  bool direct = false;  // no proxy; otherwise the system's proxy settings
};

struct InternetHandle {
  explicit InternetHandle(HandleKind kind) : kind(kind) {}
  virtual ~InternetHandle() = default;
  const HandleKind kind;
};

struct SessionHandle : InternetHandle {
  SessionHandle() : InternetHandle(HandleKind::Session) {}
  SessionSettings settings;
};

struct ConnectionHandle : InternetHandle {
  ConnectionHandle() : InternetHandle(HandleKind::Connection) {}
  SessionSettings settings;
  std::string host;
  INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER;
};

struct RequestHandle : InternetHandle {
  RequestHandle() : InternetHandle(HandleKind::Request) {}
  SessionSettings settings;
  std::string host;
  INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER;
  std::string verb;
  std::string object;
  std::string version;
  std::string referrer;
  std::vector<std::string> acceptTypes;
  DWORD flags = 0;
  DWORD securityFlags = 0;
  std::unique_ptr<HttpTransfer> transfer;  // present once the request was sent
};

// Takes ownership and returns the handle value for it.
HINTERNET RegisterHandle(std::unique_ptr<InternetHandle> handle);

// The live handle behind `handle` when it is of `kind`; otherwise nullptr with
// the last error set (ERROR_INVALID_HANDLE, ERROR_INTERNET_INCORRECT_HANDLE_TYPE).
InternetHandle* FindHandle(HINTERNET handle, HandleKind kind);

template <typename T>
T* Find(HINTERNET handle, HandleKind kind) {
  return static_cast<T*>(FindHandle(handle, kind));
}

// Destroys the handle; false (ERROR_INVALID_HANDLE) when it is not live.
bool CloseHandleOf(HINTERNET handle);

}  // namespace zv::net
