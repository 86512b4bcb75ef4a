#include "worker/bind_callback.h"

#include "windows.h"
#include "worker/worker_messages.h"

HRESULT BindCallback::QueryInterface(REFIID, void**) { return E_NOTIMPL; }

ULONG BindCallback::AddRef() { return 0; }

ULONG BindCallback::Release() { return 0; }

HRESULT BindCallback::OnStartBinding(DWORD, IBinding*) { return E_NOTIMPL; }

HRESULT BindCallback::GetPriority(LONG*) { return E_NOTIMPL; }

HRESULT BindCallback::OnLowResource(DWORD) { return E_NOTIMPL; }

// Every notification is passed on, whatever its status, with its numbers
// unchanged; the window decides what to show. The download is never stopped.
HRESULT BindCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) {
  PostMessageW(window_, UM_DOWNLOAD_PROGRESS, progress, progressMax);
  return S_OK;
}

HRESULT BindCallback::OnStopBinding(HRESULT, LPCWSTR) { return E_NOTIMPL; }

// Not implemented, so that the download component keeps its default bind
// options, its cache policy included.
HRESULT BindCallback::GetBindInfo(DWORD*, BINDINFO*) { return E_NOTIMPL; }

HRESULT BindCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT BindCallback::OnObjectAvailable(REFIID, IUnknown*) { return E_NOTIMPL; }
