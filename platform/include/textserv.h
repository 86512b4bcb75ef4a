// The windowless rich edit text services: ITextServices, which lays out, draws,
// scrolls and selects text, and ITextHost, through which it asks its host for
// the client rectangle, formats, scroll bars, caret, capture and repaints.
// Both keep the published slot order of the interfaces. CreateTextServices is
// reached as GetProcAddress(LoadLibraryW(u"msftedit.dll"), "CreateTextServices").
#pragma once

#include "objbase.h"  // BSTR
#include "richedit.h"
#include "win/base.h"
#include "win/gdi.h"
#include "win/unknwn.h"

struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECTL = RECTL*;
using LPCRECTL = const RECTL*;

struct SIZEL {
  LONG cx;
  LONG cy;
};
using LPSIZEL = SIZEL*;

struct DVTARGETDEVICE;
struct IDropTarget;

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_DOCPRINT = 8;

enum TXTBACKSTYLE { TXTBACK_TRANSPARENT = 0, TXTBACK_OPAQUE = 1 };

enum TXTHITRESULT { TXTHITRESULT_NOHIT = 0, TXTHITRESULT_TRANSPARENT = 1, TXTHITRESULT_CLOSE = 2, TXTHITRESULT_HIT = 3 };

enum TXTNATURALSIZE {
  TXTNS_FITTOCONTENT2 = 0,
  TXTNS_FITTOCONTENT = 1,
  TXTNS_ROUNDTOLINE = 2,
  TXTNS_FITTOCONTENT3 = 3,
};

enum TXTVIEW { TXTVIEW_ACTIVE = 0, TXTVIEW_INACTIVE = -1 };

// Property bits (TxGetPropertyBits, OnTxPropertyBitsChange).
constexpr DWORD TXTBIT_RICHTEXT = 0x00000001;
constexpr DWORD TXTBIT_MULTILINE = 0x00000002;
constexpr DWORD TXTBIT_READONLY = 0x00000004;
constexpr DWORD TXTBIT_SHOWACCELERATOR = 0x00000008;
constexpr DWORD TXTBIT_USEPASSWORD = 0x00000010;
constexpr DWORD TXTBIT_HIDESELECTION = 0x00000020;
constexpr DWORD TXTBIT_SAVESELECTION = 0x00000040;
constexpr DWORD TXTBIT_AUTOWORDSEL = 0x00000080;
constexpr DWORD TXTBIT_VERTICAL = 0x00000100;
constexpr DWORD TXTBIT_SELBARCHANGE = 0x00000200;
constexpr DWORD TXTBIT_WORDWRAP = 0x00000400;
constexpr DWORD TXTBIT_ALLOWBEEP = 0x00000800;
constexpr DWORD TXTBIT_DISABLEDRAG = 0x00001000;
constexpr DWORD TXTBIT_VIEWINSETCHANGE = 0x00002000;
constexpr DWORD TXTBIT_BACKSTYLECHANGE = 0x00004000;
constexpr DWORD TXTBIT_MAXLENGTHCHANGE = 0x00008000;
constexpr DWORD TXTBIT_SCROLLBARCHANGE = 0x00010000;
constexpr DWORD TXTBIT_CHARFORMATCHANGE = 0x00020000;
constexpr DWORD TXTBIT_PARAFORMATCHANGE = 0x00040000;
constexpr DWORD TXTBIT_EXTENTCHANGE = 0x00080000;
constexpr DWORD TXTBIT_CLIENTRECTCHANGE = 0x00100000;
constexpr DWORD TXTBIT_USECURRENTBKG = 0x00200000;

// {8D33F740-CF58-11CE-A89D-00AA006CADC5}
inline constexpr IID IID_ITextServices = {0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
// {C5BDD8D0-D26E-11CE-A89E-00AA006CADC5}
inline constexpr IID IID_ITextHost = {0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};

struct ITextServices : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxDraw(DWORD drawAspect, LONG lindex, void* aspect, DVTARGETDEVICE* targetDevice,
                                           HDC hdcDraw, HDC hicTargetDev, LPCRECTL bounds, LPCRECTL metafileBounds,
                                           LPRECT update, BOOL(CALLBACK* continueProc)(DWORD), DWORD continueArg,
                                           LONG viewId) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetHScroll(LONG* min, LONG* max, LONG* pos, LONG* page, BOOL* enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetVScroll(LONG* min, LONG* max, LONG* pos, LONG* page, BOOL* enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTxSetCursor(DWORD drawAspect, LONG lindex, void* aspect,
                                                  DVTARGETDEVICE* targetDevice, HDC hdcDraw, HDC hicTargetDev,
                                                  LPCRECT client, INT x, INT y) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxQueryHitPoint(DWORD drawAspect, LONG lindex, void* aspect,
                                                    DVTARGETDEVICE* targetDevice, HDC hdcDraw, HDC hicTargetDev,
                                                    LPCRECT client, INT x, INT y, DWORD* hitResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTxInPlaceActivate(LPCRECT client) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTxInPlaceDeactivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTxUIActivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTxUIDeactivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetText(BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxSetText(LPCWSTR text) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetCurTargetX(LONG* x) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetBaseLinePos(LONG* baseLine) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetNaturalSize(DWORD aspect, HDC hdcDraw, HDC hicTargetDev,
                                                     DVTARGETDEVICE* targetDevice, DWORD mode, const SIZEL* extent,
                                                     LONG* width, LONG* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetDropTarget(IDropTarget** dropTarget) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTxPropertyBitsChange(DWORD mask, DWORD bits) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetCachedSize(DWORD* width, DWORD* height) = 0;
};

struct ITextHost : IUnknown {
  virtual HDC STDMETHODCALLTYPE TxGetDC() = 0;
  virtual INT STDMETHODCALLTYPE TxReleaseDC(HDC hdc) = 0;
  virtual BOOL STDMETHODCALLTYPE TxShowScrollBar(INT bar, BOOL show) = 0;
  virtual BOOL STDMETHODCALLTYPE TxEnableScrollBar(INT bars, INT arrows) = 0;
  virtual BOOL STDMETHODCALLTYPE TxSetScrollRange(INT bar, LONG minPos, INT maxPos, BOOL redraw) = 0;
  virtual BOOL STDMETHODCALLTYPE TxSetScrollPos(INT bar, INT pos, BOOL redraw) = 0;
  virtual void STDMETHODCALLTYPE TxInvalidateRect(LPCRECT rect, BOOL mode) = 0;
  virtual void STDMETHODCALLTYPE TxViewChange(BOOL update) = 0;
  virtual BOOL STDMETHODCALLTYPE TxCreateCaret(HBITMAP bitmap, INT width, INT height) = 0;
  virtual BOOL STDMETHODCALLTYPE TxShowCaret(BOOL show) = 0;
  virtual BOOL STDMETHODCALLTYPE TxSetCaretPos(INT x, INT y) = 0;
  virtual BOOL STDMETHODCALLTYPE TxSetTimer(UINT id, UINT timeout) = 0;
  virtual void STDMETHODCALLTYPE TxKillTimer(UINT id) = 0;
  virtual void STDMETHODCALLTYPE TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN updateRegion,
                                                  LPRECT update, UINT flags) = 0;
  virtual void STDMETHODCALLTYPE TxSetCapture(BOOL capture) = 0;
  virtual void STDMETHODCALLTYPE TxSetFocus() = 0;
  virtual void STDMETHODCALLTYPE TxSetCursor(HCURSOR cursor, BOOL text) = 0;
  virtual BOOL STDMETHODCALLTYPE TxScreenToClient(LPPOINT point) = 0;
  virtual BOOL STDMETHODCALLTYPE TxClientToScreen(LPPOINT point) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxActivate(LONG* oldState) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxDeactivate(LONG newState) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetClientRect(LPRECT client) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetViewInset(LPRECT inset) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetCharFormat(const CHARFORMATW** format) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetParaFormat(const PARAFORMAT** format) = 0;
  virtual COLORREF STDMETHODCALLTYPE TxGetSysColor(int index) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetBackStyle(TXTBACKSTYLE* style) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetMaxLength(DWORD* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetScrollBars(DWORD* scrollBars) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetPasswordChar(WCHAR* passwordChar) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetAcceleratorPos(LONG* position) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetExtent(LPSIZEL extent) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTxCharFormatChange(const CHARFORMATW* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTxParaFormatChange(const PARAFORMAT* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetPropertyBits(DWORD mask, DWORD* bits) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxNotify(DWORD notification, void* data) = 0;
  virtual HIMC STDMETHODCALLTYPE TxImmGetContext() = 0;
  virtual void STDMETHODCALLTYPE TxImmReleaseContext(HIMC context) = 0;
  virtual HRESULT STDMETHODCALLTYPE TxGetSelectionBarWidth(LONG* width) = 0;
};

// Makes text services for `host`. The services hold the host without a reference
// of their own (the host owns them); `*services` receives their IUnknown.
STDAPI CreateTextServices(IUnknown* outer, ITextHost* host, IUnknown** services);
using PCreateTextServices = HRESULT (*)(IUnknown* outer, ITextHost* host, IUnknown** services);
