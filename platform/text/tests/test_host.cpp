#include "test_host.h"

#include <cstring>

namespace zv::test {

TestHost::TestHost(RECT clientRect)
    : client(clientRect),
      scrollBars(0x00200000 | ES_DISABLENOSCROLL),  // WS_VSCROLL, kept
      propertyBits(TXTBIT_RICHTEXT | TXTBIT_MULTILINE | TXTBIT_READONLY | TXTBIT_HIDESELECTION | TXTBIT_WORDWRAP) {
  charFormat.cbSize = sizeof(CHARFORMAT2W);
  charFormat.dwMask = CFM_ALL | CFM_WEIGHT;
  charFormat.yHeight = 180;  // 12 pixels
  charFormat.wWeight = FW_NORMAL;
  charFormat.crTextColor = RGB(0, 0, 0);
  charFormat.bCharSet = DEFAULT_CHARSET;
  const char16_t face[] = u"Microsoft YaHei";
  std::memcpy(charFormat.szFaceName, face, sizeof(face));
  paraFormat.cbSize = sizeof(PARAFORMAT2);
  paraFormat.dwMask = PFM_ALIGNMENT | PFM_TABSTOPS;
  paraFormat.wAlignment = PFA_LEFT;
  paraFormat.cTabCount = 1;
  paraFormat.rgxTabs[0] = 720;
}

HRESULT STDMETHODCALLTYPE TestHost::QueryInterface(REFIID iid, void** object) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ITextHost)) {
    *object = this;
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

void TestHost::SetBarVisible(bool visible) {
  if (visible == barVisible) return;
  barVisible = visible;
  if (onBarVisibility) onBarVisibility(visible);
}

BOOL STDMETHODCALLTYPE TestHost::TxShowScrollBar(INT, BOOL show) {
  SetBarVisible(show != FALSE);
  return TRUE;
}

BOOL STDMETHODCALLTYPE TestHost::TxEnableScrollBar(INT, INT arrows) {
  SetBarVisible(arrows != 3);  // ESB_DISABLE_BOTH hides the toolkit's bar
  return TRUE;
}

BOOL STDMETHODCALLTYPE TestHost::TxSetScrollRange(INT, LONG minPos, INT maxPos, BOOL) {
  maxima.push_back(maxPos);
  const int range = maxPos - minPos - (client.bottom - client.top);
  if (range > 0) barRange = range;
  SetBarVisible(range > 0);
  return TRUE;
}

BOOL STDMETHODCALLTYPE TestHost::TxSetScrollPos(INT, INT pos, BOOL) {
  barPosition = pos;
  positions.push_back(pos);
  return TRUE;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetClientRect(LPRECT rect) {
  *rect = client;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetViewInset(LPRECT inset) {
  *inset = RECT{0, 0, 0, 0};
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetCharFormat(const CHARFORMATW** format) {
  *format = &charFormat;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetParaFormat(const PARAFORMAT** format) {
  *format = &paraFormat;
  return S_OK;
}

COLORREF STDMETHODCALLTYPE TestHost::TxGetSysColor(int index) {
  switch (index) {
    case 13: return kHighlight;        // COLOR_HIGHLIGHT
    case 14: return RGB(255, 255, 255);  // COLOR_HIGHLIGHTTEXT
    case 5: return RGB(255, 255, 255);   // COLOR_WINDOW
    default: return RGB(0, 0, 0);
  }
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetBackStyle(TXTBACKSTYLE* style) {
  *style = TXTBACK_TRANSPARENT;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetMaxLength(DWORD* length) {
  *length = 32767;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetScrollBars(DWORD* bars) {
  *bars = scrollBars;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetPasswordChar(WCHAR* c) {
  *c = 0;
  return S_FALSE;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetAcceleratorPos(LONG* position) {
  *position = -1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetPropertyBits(DWORD mask, DWORD* bits) {
  *bits = propertyBits & mask;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestHost::TxNotify(DWORD code, void*) {
  notifications.push_back(code);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestHost::TxGetSelectionBarWidth(LONG* width) {
  *width = 0;
  return S_OK;
}

}  // namespace zv::test
