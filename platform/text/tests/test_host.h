// A text host standing in for the toolkit's: it answers with the notes box's
// properties (multi-line, read-only, word wrap, a kept vertical scroll bar, a
// 12-pixel "Microsoft YaHei" in black) and records what the text services tell
// it, turning the scroll reports into a bar's visibility, range and position the
// way the toolkit's host does.
#pragma once

#include <functional>
#include <vector>

#include "textserv.h"

namespace zv::test {

class TestHost final : public ITextHost {
 public:
  explicit TestHost(RECT client);

  // The host state the services report into.
  RECT client;
  bool barVisible = false;
  int barRange = -1;
  int barPosition = -1;
  std::vector<int> positions;  // every TxSetScrollPos
  std::vector<int> maxima;     // every TxSetScrollRange maximum
  int invalidations = 0;
  bool captured = false;
  int focusRequests = 0;
  HCURSOR cursor = nullptr;
  std::vector<DWORD> notifications;
  CHARFORMAT2W charFormat{};
  PARAFORMAT2 paraFormat{};
  DWORD scrollBars;
  DWORD propertyBits;
  // Called, while the services wait, whenever the bar turns visible or hidden:
  // the toolkit moves its client rectangle out of the bar's way then.
  std::function<void(bool visible)> onBarVisibility;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HDC STDMETHODCALLTYPE TxGetDC() override { return nullptr; }
  INT STDMETHODCALLTYPE TxReleaseDC(HDC) override { return 1; }
  BOOL STDMETHODCALLTYPE TxShowScrollBar(INT bar, BOOL show) override;
  BOOL STDMETHODCALLTYPE TxEnableScrollBar(INT bars, INT arrows) override;
  BOOL STDMETHODCALLTYPE TxSetScrollRange(INT bar, LONG minPos, INT maxPos, BOOL redraw) override;
  BOOL STDMETHODCALLTYPE TxSetScrollPos(INT bar, INT pos, BOOL redraw) override;
  void STDMETHODCALLTYPE TxInvalidateRect(LPCRECT, BOOL) override { ++invalidations; }
  void STDMETHODCALLTYPE TxViewChange(BOOL) override { ++invalidations; }
  BOOL STDMETHODCALLTYPE TxCreateCaret(HBITMAP, INT, INT) override { return TRUE; }
  BOOL STDMETHODCALLTYPE TxShowCaret(BOOL) override { return TRUE; }
  BOOL STDMETHODCALLTYPE TxSetCaretPos(INT, INT) override { return TRUE; }
  BOOL STDMETHODCALLTYPE TxSetTimer(UINT, UINT) override { return TRUE; }
  void STDMETHODCALLTYPE TxKillTimer(UINT) override {}
  void STDMETHODCALLTYPE TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) override {}
  void STDMETHODCALLTYPE TxSetCapture(BOOL capture) override { captured = capture != FALSE; }
  void STDMETHODCALLTYPE TxSetFocus() override { ++focusRequests; }
  void STDMETHODCALLTYPE TxSetCursor(HCURSOR set, BOOL) override { cursor = set; }
  BOOL STDMETHODCALLTYPE TxScreenToClient(LPPOINT) override { return TRUE; }
  BOOL STDMETHODCALLTYPE TxClientToScreen(LPPOINT) override { return TRUE; }
  HRESULT STDMETHODCALLTYPE TxActivate(LONG*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TxDeactivate(LONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TxGetClientRect(LPRECT rect) override;
  HRESULT STDMETHODCALLTYPE TxGetViewInset(LPRECT inset) override;
  HRESULT STDMETHODCALLTYPE TxGetCharFormat(const CHARFORMATW** format) override;
  HRESULT STDMETHODCALLTYPE TxGetParaFormat(const PARAFORMAT** format) override;
  COLORREF STDMETHODCALLTYPE TxGetSysColor(int index) override;
  HRESULT STDMETHODCALLTYPE TxGetBackStyle(TXTBACKSTYLE* style) override;
  HRESULT STDMETHODCALLTYPE TxGetMaxLength(DWORD* length) override;
  HRESULT STDMETHODCALLTYPE TxGetScrollBars(DWORD* bars) override;
  HRESULT STDMETHODCALLTYPE TxGetPasswordChar(WCHAR* c) override;
  HRESULT STDMETHODCALLTYPE TxGetAcceleratorPos(LONG* position) override;
  HRESULT STDMETHODCALLTYPE TxGetExtent(LPSIZEL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnTxCharFormatChange(const CHARFORMATW*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnTxParaFormatChange(const PARAFORMAT*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TxGetPropertyBits(DWORD mask, DWORD* bits) override;
  HRESULT STDMETHODCALLTYPE TxNotify(DWORD code, void*) override;
  HIMC STDMETHODCALLTYPE TxImmGetContext() override { return nullptr; }
  void STDMETHODCALLTYPE TxImmReleaseContext(HIMC) override {}
  HRESULT STDMETHODCALLTYPE TxGetSelectionBarWidth(LONG* width) override;

  static constexpr COLORREF kHighlight = RGB(0, 120, 215);

 private:
  void SetBarVisible(bool visible);
};

}  // namespace zv::test
