// The windowless text services: one document (plain text in the host's single
// character format), its layout at the host's client width, a selection, a
// vertical scroll position in pixels, and the host's scroll bar kept in step.
#pragma once

#include <string>

#include "text_layout.h"
#include "textserv.h"

namespace zv::text {

class TextServices final : public ITextServices {
 public:
  explicit TextServices(ITextHost* host);
  ~TextServices();
  TextServices(const TextServices&) = delete;
  TextServices& operator=(const TextServices&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ITextServices
  HRESULT STDMETHODCALLTYPE TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) override;
  HRESULT STDMETHODCALLTYPE TxDraw(DWORD drawAspect, LONG lindex, void* aspect, DVTARGETDEVICE* targetDevice,
                                   HDC hdcDraw, HDC hicTargetDev, LPCRECTL bounds, LPCRECTL metafileBounds,
                                   LPRECT update, BOOL(CALLBACK* continueProc)(DWORD), DWORD continueArg,
                                   LONG viewId) override;
  HRESULT STDMETHODCALLTYPE TxGetHScroll(LONG* min, LONG* max, LONG* pos, LONG* page, BOOL* enabled) override;
  HRESULT STDMETHODCALLTYPE TxGetVScroll(LONG* min, LONG* max, LONG* pos, LONG* page, BOOL* enabled) override;
  HRESULT STDMETHODCALLTYPE OnTxSetCursor(DWORD drawAspect, LONG lindex, void* aspect, DVTARGETDEVICE* targetDevice,
                                          HDC hdcDraw, HDC hicTargetDev, LPCRECT client, INT x, INT y) override;
  HRESULT STDMETHODCALLTYPE TxQueryHitPoint(DWORD drawAspect, LONG lindex, void* aspect,
                                            DVTARGETDEVICE* targetDevice, HDC hdcDraw, HDC hicTargetDev,
                                            LPCRECT client, INT x, INT y, DWORD* hitResult) override;
  HRESULT STDMETHODCALLTYPE OnTxInPlaceActivate(LPCRECT client) override;
  HRESULT STDMETHODCALLTYPE OnTxInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE OnTxUIActivate() override;
  HRESULT STDMETHODCALLTYPE OnTxUIDeactivate() override;
  HRESULT STDMETHODCALLTYPE TxGetText(BSTR* text) override;
  HRESULT STDMETHODCALLTYPE TxSetText(LPCWSTR text) override;
  HRESULT STDMETHODCALLTYPE TxGetCurTargetX(LONG* x) override;
  HRESULT STDMETHODCALLTYPE TxGetBaseLinePos(LONG* baseLine) override;
  HRESULT STDMETHODCALLTYPE TxGetNaturalSize(DWORD aspect, HDC hdcDraw, HDC hicTargetDev,
                                             DVTARGETDEVICE* targetDevice, DWORD mode, const SIZEL* extent,
                                             LONG* width, LONG* height) override;
  HRESULT STDMETHODCALLTYPE TxGetDropTarget(IDropTarget** dropTarget) override;
  HRESULT STDMETHODCALLTYPE OnTxPropertyBitsChange(DWORD mask, DWORD bits) override;
  HRESULT STDMETHODCALLTYPE TxGetCachedSize(DWORD* width, DWORD* height) override;

 private:
  LONG Length() const { return static_cast<LONG>(text_.size()); }
  LONG SelectionStart() const { return anchor_ < active_ ? anchor_ : active_; }
  LONG SelectionEnd() const { return anchor_ < active_ ? active_ : anchor_; }

  // Host state.
  void ReadHostProperties();
  RECT ViewRect() const;
  void Relayout();

  // Document.
  void Replace(LONG from, LONG to, std::u16string_view inserted);
  void Select(LONG anchor, LONG active);
  std::u16string TextRange(LONG from, LONG to, bool crlf) const;
  void Notify(DWORD code, void* data);

  // Scrolling.
  int MaxScroll() const;
  void ScrollTo(int position);
  void ScrollLines(int lines);
  void ScrollIntoView(LONG position);
  void ReportScrollBar();
  void SendScrollReports();

  // Messages.
  LRESULT OnVScroll(WPARAM wparam);
  bool OnMouse(UINT msg, WPARAM wparam, LPARAM lparam);
  bool OnKeyDown(WPARAM key);
  LRESULT OnGetTextEx(const GETTEXTEX* info, void* buffer) const;
  LRESULT OnGetTextLength(const GETTEXTLENGTHEX* info) const;
  LRESULT OnExSetSel(const CHARRANGE* range);
  void Copy() const;

  void Invalidate();
  POINT ToText(int x, int y) const;

  ULONG references_ = 1;
  ITextHost* host_;  // not referenced: the host owns the services

  std::u16string text_;
  LONG anchor_ = 0;
  LONG active_ = 0;
  DWORD maxLength_ = 32767;
  DWORD eventMask_ = 0;
  DWORD langOptions_ = 0;

  DWORD propertyBits_ = 0;
  DWORD scrollBars_ = 0;
  RECT client_{};
  RECT inset_{};
  TXTBACKSTYLE backStyle_ = TXTBACK_OPAQUE;
  COLORREF textColor_ = 0;
  bool autoColor_ = false;

  TextLayout layout_;
  int scroll_ = 0;
  bool inPlaceActive_ = false;
  bool focused_ = false;
  bool dragging_ = false;
  bool control_ = false;  // CTRL went down in a key message to this box

  // What the host was last told about the vertical bar.
  bool reported_ = false;
  int reportedMax_ = -1;
  int reportedPos_ = -1;
  bool reportedScrollable_ = false;
  bool reporting_ = false;
  bool reportAgain_ = false;
};

}  // namespace zv::text
