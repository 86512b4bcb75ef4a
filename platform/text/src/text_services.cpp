#include "text_services.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "clipboard.h"
#include "objbase.h"
#include "zv/gdi_text.h"
#include "zv/text.h"

namespace zv::text {
namespace {

// Scroll bar codes and system colour indexes, with their Windows values.
constexpr INT kSbVert = 1;
constexpr INT kSbLineUp = 0;
constexpr INT kSbLineDown = 1;
constexpr INT kSbPageUp = 2;
constexpr INT kSbPageDown = 3;
constexpr INT kSbThumbPosition = 4;
constexpr INT kSbThumbTrack = 5;
constexpr INT kSbTop = 6;
constexpr INT kSbBottom = 7;
constexpr INT kEsbEnableBoth = 0;
constexpr INT kEsbDisableBoth = 3;
constexpr int kColorWindow = 5;
constexpr int kColorWindowText = 8;
constexpr int kColorHighlight = 13;
constexpr int kColorHighlightText = 14;
constexpr DWORD kEsAutoVScroll = 0x0040;
constexpr int kWheelLines = 3;

constexpr int kTwipsPerPixel = 15;  // 1440 twips an inch at 96 pixels an inch
constexpr int kHimetricPerInch = 2540;

int HimetricToPixels(LONG himetric) { return static_cast<int>(static_cast<long long>(himetric) * 96 / kHimetricPerInch); }

// Rich edit keeps CR as its paragraph mark: CR LF and lone LF become CR.
std::u16string ToParagraphMarks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    out += text[i] == u'\n' ? u'\r' : text[i];
  }
  return out;
}

std::u16string WithCrLf(std::u16string_view text) {
  std::u16string out;
  for (char16_t c : text) {
    out += c;
    if (c == u'\r') out += u'\n';
  }
  return out;
}

TextStyle StyleOf(const CHARFORMATW* format, const PARAFORMAT* paragraph) {
  TextStyle style;
  if (format != nullptr) {
    const std::size_t faceLength = std::min<std::size_t>(WideLength(format->szFaceName), LF_FACESIZE);
    style.face.assign(format->szFaceName, faceLength);
    if (format->yHeight > 0) style.pixelHeight = static_cast<double>(format->yHeight) / kTwipsPerPixel;
    const bool bold = (format->dwEffects & CFE_BOLD) != 0;
    style.weight = bold ? FW_BOLD : FW_NORMAL;
    if (format->cbSize >= sizeof(CHARFORMAT2W) && (format->dwMask & CFM_WEIGHT) != 0) {
      const auto* format2 = static_cast<const CHARFORMAT2W*>(format);
      if (format2->wWeight != 0) style.weight = format2->wWeight;
    }
    style.italic = (format->dwEffects & CFE_ITALIC) != 0;
    style.underline = (format->dwEffects & CFE_UNDERLINE) != 0;
    style.strikeOut = (format->dwEffects & CFE_STRIKEOUT) != 0;
  }
  if (paragraph != nullptr) {
    style.alignment = paragraph->wAlignment;
    if (paragraph->cTabCount > 0) style.tabStop = paragraph->rgxTabs[0] / kTwipsPerPixel;
  }
  return style;
}

void SetColor(cairo_t* cr, COLORREF color) {
  cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

}  // namespace

TextServices::TextServices(ITextHost* host) : host_(host) { ReadHostProperties(); }

TextServices::~TextServices() = default;

HRESULT STDMETHODCALLTYPE TextServices::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ITextServices)) {
    *object = static_cast<ITextServices*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TextServices::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE TextServices::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// ---- host state ----

void TextServices::ReadHostProperties() {
  host_->TxGetPropertyBits(0xFFFFFFFF, &propertyBits_);
  host_->TxGetScrollBars(&scrollBars_);
  DWORD maxLength = 0;
  if (host_->TxGetMaxLength(&maxLength) == S_OK && maxLength > 0) maxLength_ = maxLength;
  RECT client{};
  if (host_->TxGetClientRect(&client) == S_OK) client_ = client;
  RECT inset{};
  if (host_->TxGetViewInset(&inset) == S_OK) {
    inset_ = RECT{HimetricToPixels(inset.left), HimetricToPixels(inset.top), HimetricToPixels(inset.right),
                  HimetricToPixels(inset.bottom)};
  }
  TXTBACKSTYLE backStyle = TXTBACK_OPAQUE;
  if (host_->TxGetBackStyle(&backStyle) == S_OK) backStyle_ = backStyle;
  const CHARFORMATW* format = nullptr;
  const PARAFORMAT* paragraph = nullptr;
  if (host_->TxGetCharFormat(&format) != S_OK) format = nullptr;
  if (host_->TxGetParaFormat(&paragraph) != S_OK) paragraph = nullptr;
  if (format != nullptr) {
    autoColor_ = (format->dwEffects & CFE_AUTOCOLOR) != 0;
    textColor_ = format->crTextColor & 0x00FFFFFF;
  }
  layout_.SetStyle(StyleOf(format, paragraph));
}

RECT TextServices::ViewRect() const {
  return RECT{client_.left + inset_.left, client_.top + inset_.top, client_.right - inset_.right,
              client_.bottom - inset_.bottom};
}

void TextServices::Relayout() {
  const RECT view = ViewRect();
  const bool wraps = (propertyBits_ & TXTBIT_WORDWRAP) != 0 && (propertyBits_ & TXTBIT_MULTILINE) != 0;
  layout_.SetWrapWidth(wraps ? static_cast<int>(view.right - view.left) : -1);
  scroll_ = std::clamp(scroll_, 0, MaxScroll());
  ReportScrollBar();
}

// ---- document ----

// The text is cut to the maximum length, as typing would be; a surrogate pair
// is never cut in half.
void TextServices::Replace(LONG from, LONG to, std::u16string_view inserted) {
  std::u16string text = ToParagraphMarks(inserted);
  const LONG kept = Length() - (to - from);
  const std::size_t room = kept >= static_cast<LONG>(maxLength_) ? 0 : maxLength_ - static_cast<DWORD>(kept);
  if (text.size() > room) {
    text.resize(room);
    if (!text.empty() && text.back() >= 0xD800 && text.back() < 0xDC00) text.pop_back();
    Notify(EN_MAXTEXT, nullptr);
  }
  text_.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), text);
  anchor_ = active_ = from + static_cast<LONG>(text.size());
  layout_.SetText(text_);
  Relayout();
  // Without automatic vertical scrolling the view stays where it was, so new
  // notes are read from their beginning.
  if ((scrollBars_ & kEsAutoVScroll) != 0) ScrollIntoView(active_);
  Invalidate();
  Notify(EN_CHANGE, nullptr);
}

void TextServices::Select(LONG anchor, LONG active) {
  anchor = std::clamp<LONG>(anchor, 0, Length());
  active = std::clamp<LONG>(active, 0, Length());
  if (anchor == anchor_ && active == active_) return;
  const bool wasVisible = anchor_ != active_;
  anchor_ = anchor;
  active_ = active;
  if (wasVisible || anchor_ != active_) Invalidate();
  if ((eventMask_ & ENM_SELCHANGE) != 0) {
    SELCHANGE change{};
    change.nmhdr.code = EN_SELCHANGE;
    change.chrg = CHARRANGE{SelectionStart(), SelectionEnd()};
    change.seltyp = anchor_ == active_ ? SEL_EMPTY : SEL_TEXT;
    Notify(EN_SELCHANGE, &change);
  }
}

std::u16string TextServices::TextRange(LONG from, LONG to, bool crlf) const {
  const std::u16string_view range = std::u16string_view(text_).substr(static_cast<std::size_t>(from),
                                                                       static_cast<std::size_t>(to - from));
  return crlf ? WithCrLf(range) : std::u16string(range);
}

// Notifications go out as the event mask asks, as rich edit sends them.
void TextServices::Notify(DWORD code, void* data) {
  DWORD needed = 0;
  switch (code) {
    case EN_CHANGE: needed = ENM_CHANGE; break;
    case EN_SELCHANGE: needed = ENM_SELCHANGE; break;
    case EN_VSCROLL: needed = ENM_SCROLL; break;
    default: break;
  }
  if (needed == 0 || (eventMask_ & needed) != 0) host_->TxNotify(code, data);
}

// ---- scrolling ----

int TextServices::MaxScroll() const {
  const RECT view = ViewRect();
  return std::max(0, layout_.Height() - static_cast<int>(view.bottom - view.top));
}

void TextServices::ScrollTo(int position) {
  position = std::clamp(position, 0, MaxScroll());
  if (position == scroll_) return;
  scroll_ = position;
  ReportScrollBar();
  Invalidate();
  Notify(EN_VSCROLL, nullptr);
}

// Line steps land on line tops, so that a line is never shown cut at the top
// after a step.
void TextServices::ScrollLines(int lines) {
  const std::vector<int> tops = layout_.LineTops();
  int target = scroll_;
  for (; lines > 0; --lines) {
    const auto next = std::upper_bound(tops.begin(), tops.end(), target);
    target = next != tops.end() ? *next : MaxScroll();
  }
  for (; lines < 0; ++lines) {
    const auto next = std::lower_bound(tops.begin(), tops.end(), target);
    target = next != tops.begin() ? *(next - 1) : 0;
  }
  ScrollTo(target);
}

void TextServices::ScrollIntoView(LONG position) {
  const std::vector<RECT> rects = layout_.RangeRects(std::max<LONG>(0, position - 1), std::max<LONG>(1, position));
  if (rects.empty()) return;
  const RECT view = ViewRect();
  const int height = view.bottom - view.top;
  const RECT& line = rects.back();
  if (line.top < scroll_) {
    ScrollTo(line.top);
  } else if (line.bottom > scroll_ + height) {
    ScrollTo(line.bottom - height);
  }
}

// The vertical bar's range is the text's height in pixels (the host subtracts
// the view's height to get how far it scrolls), its position the pixels scrolled.
// A kept bar (ES_DISABLENOSCROLL) is enabled and disabled instead of shown and
// hidden. The host may answer with a new client rectangle and so a new layout;
// the reports then start over with the new figures.
void TextServices::ReportScrollBar() {
  if ((scrollBars_ & WS_VSCROLL) == 0 || !inPlaceActive_) return;
  if (reporting_) {
    reportAgain_ = true;
    return;
  }
  reporting_ = true;
  constexpr int kRounds = 4;  // a host that keeps changing its mind gets the last word
  for (int round = 0; round < kRounds; ++round) {
    reportAgain_ = false;
    SendScrollReports();
    if (!reportAgain_) break;
  }
  reporting_ = false;
}

void TextServices::SendScrollReports() {
  const int height = layout_.Height();
  const RECT view = ViewRect();
  const bool scrollable = height > view.bottom - view.top;
  scroll_ = std::clamp(scroll_, 0, MaxScroll());
  if (!reported_ || height != reportedMax_) {
    reportedMax_ = height;
    host_->TxSetScrollRange(kSbVert, 0, height, TRUE);
    if (reportAgain_) return;
  }
  if (!reported_ || scrollable != reportedScrollable_) {
    reportedScrollable_ = scrollable;
    if ((scrollBars_ & ES_DISABLENOSCROLL) != 0) {
      host_->TxEnableScrollBar(kSbVert, scrollable ? kEsbEnableBoth : kEsbDisableBoth);
    } else {
      host_->TxShowScrollBar(kSbVert, scrollable ? TRUE : FALSE);
    }
    if (reportAgain_) return;
  }
  if (!reported_ || scroll_ != reportedPos_) {
    reportedPos_ = scroll_;
    host_->TxSetScrollPos(kSbVert, scroll_, TRUE);
  }
  reported_ = true;
}

// ---- messages ----

LRESULT TextServices::OnVScroll(WPARAM wparam) {
  const RECT view = ViewRect();
  const int page = std::max<int>(1, view.bottom - view.top);
  switch (LOWORD(wparam)) {
    case kSbLineUp: ScrollLines(-1); break;
    case kSbLineDown: ScrollLines(1); break;
    case kSbPageUp: ScrollTo(scroll_ - page); break;
    case kSbPageDown: ScrollTo(scroll_ + page); break;
    case kSbThumbPosition:
    case kSbThumbTrack: ScrollTo(HIWORD(wparam)); break;
    case kSbTop: ScrollTo(0); break;
    case kSbBottom: ScrollTo(MaxScroll()); break;
    default: break;
  }
  return 0;
}

POINT TextServices::ToText(int x, int y) const {
  const RECT view = ViewRect();
  return POINT{x - view.left, y - view.top + scroll_};
}

// Selecting with the mouse: a press places the selection's anchor (SHIFT keeps
// it and extends), dragging with the button held extends it and scrolls the view
// along, a double click selects a word.
bool TextServices::OnMouse(UINT msg, WPARAM wparam, LPARAM lparam) {
  const int x = static_cast<SHORT>(LOWORD(lparam));
  const int y = static_cast<SHORT>(HIWORD(lparam));
  const POINT at = ToText(x, y);
  switch (msg) {
    case WM_LBUTTONDOWN: {
      const LONG position = layout_.PositionAt(at.x, at.y);
      Select((wparam & MK_SHIFT) != 0 ? anchor_ : position, position);
      dragging_ = true;
      host_->TxSetCapture(TRUE);
      if (!focused_) host_->TxSetFocus();
      return true;
    }
    case WM_MOUSEMOVE:
      if (!dragging_ || (wparam & MK_LBUTTON) == 0) return false;
      Select(anchor_, layout_.PositionAt(at.x, at.y));
      ScrollIntoView(active_);
      return true;
    case WM_LBUTTONUP:
      if (!dragging_) return false;
      Select(anchor_, layout_.PositionAt(at.x, at.y));
      dragging_ = false;
      host_->TxSetCapture(FALSE);
      return true;
    case WM_LBUTTONDBLCLK: {
      LONG start = 0;
      LONG end = 0;
      layout_.WordAround(layout_.PositionAt(at.x, at.y), &start, &end);
      Select(start, end);
      return true;
    }
    case WM_MOUSEWHEEL:
      // CTRL with the wheel zooms in rich edit; this engine does not zoom.
      if ((LOWORD(wparam) & MK_CONTROL) != 0) return false;
      ScrollLines(-static_cast<SHORT>(HIWORD(wparam)) * kWheelLines / WHEEL_DELTA);
      return true;
    default: return false;
  }
}

// The keys a read-only box answers: copying and selecting all, and moving the
// view. Typing and deleting are not taken: this engine does not edit.
bool TextServices::OnKeyDown(WPARAM key) {
  // CTRL counts as down when the keyboard says so, or when its own key message
  // came through this box (hosts that feed key messages of their own).
  const bool control = control_ || (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  const RECT view = ViewRect();
  const int page = std::max<int>(1, view.bottom - view.top);
  switch (key) {
    case VK_CONTROL: control_ = true; return false;
    case 'C':
    case VK_INSERT:
      if (!control) return false;
      Copy();
      return true;
    case 'A':
      if (!control) return false;
      Select(0, Length());
      return true;
    case VK_UP: ScrollLines(-1); return true;
    case VK_DOWN: ScrollLines(1); return true;
    case VK_PRIOR: ScrollTo(scroll_ - page); return true;
    case VK_NEXT: ScrollTo(scroll_ + page); return true;
    case VK_HOME:
      if (!control) return false;
      ScrollTo(0);
      return true;
    case VK_END:
      if (!control) return false;
      ScrollTo(MaxScroll());
      return true;
    default: return false;
  }
}

void TextServices::Copy() const {
  if (anchor_ == active_) return;
  SetClipboardText(ToUtf8(TextRange(SelectionStart(), SelectionEnd(), true)));
}

LRESULT TextServices::OnGetTextEx(const GETTEXTEX* info, void* buffer) const {
  if (info == nullptr || buffer == nullptr || info->cb == 0) return 0;
  const bool selection = (info->flags & GT_SELECTION) != 0;
  const std::u16string text =
      TextRange(selection ? SelectionStart() : 0, selection ? SelectionEnd() : Length(), (info->flags & GT_USECRLF) != 0);
  if (info->codepage == 1200) {
    const std::size_t room = info->cb / sizeof(char16_t);
    if (room == 0) return 0;
    std::size_t count = std::min(text.size(), room - 1);
    if (count > 0 && count < text.size() && text[count - 1] >= 0xD800 && text[count - 1] < 0xDC00) --count;
    auto* out = static_cast<char16_t*>(buffer);
    std::copy_n(text.data(), count, out);
    out[count] = 0;
    return static_cast<LRESULT>(count);
  }
  if (info->codepage != 0 && info->codepage != 65001) return 0;
  // The ANSI code page is UTF-8 here; a character that does not fit is left out whole.
  const std::string utf8 = ToUtf8(text);
  std::size_t count = std::min<std::size_t>(utf8.size(), info->cb - 1);
  while (count > 0 && count < utf8.size() && (static_cast<unsigned char>(utf8[count]) & 0xC0) == 0x80) --count;
  auto* out = static_cast<char*>(buffer);
  std::memcpy(out, utf8.data(), count);
  out[count] = 0;
  return static_cast<LRESULT>(count);
}

LRESULT TextServices::OnGetTextLength(const GETTEXTLENGTHEX* info) const {
  const DWORD flags = info != nullptr ? info->flags : GTL_DEFAULT;
  const UINT codepage = info != nullptr ? info->codepage : 1200;
  const std::u16string text = (flags & GTL_USECRLF) != 0 ? WithCrLf(text_) : text_;
  if ((flags & GTL_NUMBYTES) == 0) return static_cast<LRESULT>(text.size());
  if (codepage == 1200) return static_cast<LRESULT>(text.size() * sizeof(char16_t));
  return static_cast<LRESULT>(ToUtf8(text).size());
}

// cpMin 0 and cpMax -1 select everything; a negative cpMin takes the selection
// away and leaves the caret at its end; a cpMax out of range means the end.
LRESULT TextServices::OnExSetSel(const CHARRANGE* range) {
  if (range == nullptr) return SelectionEnd();
  if (range->cpMin == 0 && range->cpMax == -1) {
    Select(0, Length());
  } else if (range->cpMin < 0) {
    Select(SelectionEnd(), SelectionEnd());
  } else {
    const LONG end = range->cpMax < 0 || range->cpMax > Length() ? Length() : range->cpMax;
    Select(range->cpMin, end);
  }
  return SelectionEnd();
}

HRESULT STDMETHODCALLTYPE TextServices::TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  std::lock_guard<std::recursive_mutex> guard(TextLock());
  LRESULT value = 0;
  bool processed = true;
  switch (msg) {
    case EM_SETLANGOPTIONS:
      langOptions_ = static_cast<DWORD>(lparam);
      value = 1;
      break;
    case EM_GETLANGOPTIONS: value = langOptions_; break;
    case EM_SETEVENTMASK:
      value = eventMask_;
      eventMask_ = static_cast<DWORD>(lparam);
      break;
    case EM_GETEVENTMASK: value = eventMask_; break;
    case EM_EXLIMITTEXT: maxLength_ = lparam > 0 ? static_cast<DWORD>(lparam) : 65536; break;
    case EM_SETREADONLY:
      propertyBits_ = wparam != 0 ? (propertyBits_ | TXTBIT_READONLY) : (propertyBits_ & ~TXTBIT_READONLY);
      value = 1;
      break;
    case EM_EXSETSEL: value = OnExSetSel(reinterpret_cast<const CHARRANGE*>(lparam)); break;
    case EM_SETSEL: {
      const CHARRANGE range{static_cast<LONG>(wparam), static_cast<LONG>(lparam)};
      OnExSetSel(&range);
      break;
    }
    case EM_EXGETSEL:
      if (auto* range = reinterpret_cast<CHARRANGE*>(lparam); range != nullptr) {
        *range = CHARRANGE{SelectionStart(), SelectionEnd()};
      }
      break;
    case EM_GETSEL:
      if (auto* start = reinterpret_cast<DWORD*>(wparam); start != nullptr) *start = static_cast<DWORD>(SelectionStart());
      if (auto* end = reinterpret_cast<DWORD*>(lparam); end != nullptr) *end = static_cast<DWORD>(SelectionEnd());
      value = MAKELONG(std::min<LONG>(SelectionStart(), 0xFFFF), std::min<LONG>(SelectionEnd(), 0xFFFF));
      break;
    case EM_REPLACESEL: {
      const auto* text = reinterpret_cast<const char16_t*>(lparam);
      Replace(SelectionStart(), SelectionEnd(), text != nullptr ? std::u16string_view(text) : std::u16string_view());
      break;
    }
    case EM_GETTEXTEX: value = OnGetTextEx(reinterpret_cast<const GETTEXTEX*>(wparam), reinterpret_cast<void*>(lparam)); break;
    case EM_GETTEXTLENGTHEX: value = OnGetTextLength(reinterpret_cast<const GETTEXTLENGTHEX*>(wparam)); break;
    case EM_GETLINECOUNT: value = static_cast<LRESULT>(layout_.LineTops().size()); break;
    case WM_GETTEXTLENGTH: value = Length(); break;
    case WM_SETTEXT: TxSetText(reinterpret_cast<LPCWSTR>(lparam)); value = TRUE; break;
    case WM_VSCROLL: value = OnVScroll(wparam); break;
    case WM_SETFOCUS:
      focused_ = true;
      if (anchor_ != active_) Invalidate();
      break;
    case WM_KILLFOCUS:
      focused_ = false;
      control_ = false;
      if (dragging_) {
        dragging_ = false;
        host_->TxSetCapture(FALSE);
      }
      if (anchor_ != active_) Invalidate();
      break;
    case WM_KEYDOWN: processed = OnKeyDown(wparam); break;
    case WM_KEYUP:
      if (wparam == VK_CONTROL) control_ = false;
      processed = false;
      break;
    case WM_CHAR:
      // CTRL+C and CTRL+A arrive as control characters once translated.
      if (wparam == 0x03) {
        Copy();
      } else if (wparam == 0x01) {
        Select(0, Length());
      } else {
        processed = false;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_MOUSEWHEEL: processed = OnMouse(msg, wparam, lparam); break;
    default: processed = false; break;
  }
  if (result != nullptr) *result = value;
  return processed ? S_OK : S_FALSE;
}

// ---- drawing ----

void TextServices::Invalidate() {
  host_->TxInvalidateRect(nullptr, FALSE);
  host_->TxViewChange(TRUE);
}

// The selection shows while the box has the focus, or always unless the host
// asks to hide it (TXTBIT_HIDESELECTION).
HRESULT STDMETHODCALLTYPE TextServices::TxDraw(DWORD drawAspect, LONG, void*, DVTARGETDEVICE*, HDC hdcDraw, HDC,
                                               LPCRECTL bounds, LPCRECTL, LPRECT update, BOOL(CALLBACK*)(DWORD), DWORD,
                                               LONG) {
  if (drawAspect != DVASPECT_CONTENT && drawAspect != DVASPECT_DOCPRINT) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> guard(TextLock());
  if (bounds != nullptr) {
    const RECT client{bounds->left, bounds->top, bounds->right, bounds->bottom};
    if (std::memcmp(&client, &client_, sizeof(RECT)) != 0) {
      client_ = client;
      Relayout();
    }
  }
  const RECT view = ViewRect();
  const double textLeft = view.left;
  const double textTop = view.top - scroll_;
  const bool showSelection = anchor_ != active_ && (focused_ || (propertyBits_ & TXTBIT_HIDESELECTION) == 0);
  const bool drawn = DrawOnDC(hdcDraw, [&](cairo_t* cr) {
    cairo_rectangle(cr, view.left, view.top, view.right - view.left, view.bottom - view.top);
    cairo_clip(cr);
    if (update != nullptr) {
      cairo_rectangle(cr, update->left, update->top, update->right - update->left, update->bottom - update->top);
      cairo_clip(cr);
    }
    if (backStyle_ == TXTBACK_OPAQUE) {
      SetColor(cr, host_->TxGetSysColor(kColorWindow));
      cairo_paint(cr);
    }
    layout_.Draw(cr, textLeft, textTop, autoColor_ ? host_->TxGetSysColor(kColorWindowText) : textColor_);
    if (!showSelection) return;
    for (const RECT& r : layout_.RangeRects(SelectionStart(), SelectionEnd())) {
      cairo_rectangle(cr, textLeft + r.left, textTop + r.top, r.right - r.left, r.bottom - r.top);
    }
    cairo_clip(cr);
    SetColor(cr, host_->TxGetSysColor(kColorHighlight));
    cairo_paint(cr);
    layout_.Draw(cr, textLeft, textTop, host_->TxGetSysColor(kColorHighlightText));
  });
  return drawn ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE TextServices::TxGetHScroll(LONG* min, LONG* max, LONG* pos, LONG* page, BOOL* enabled) {
  if (min != nullptr) *min = 0;
  if (max != nullptr) *max = 0;
  if (pos != nullptr) *pos = 0;
  if (page != nullptr) *page = 0;
  if (enabled != nullptr) *enabled = FALSE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TextServices::TxGetVScroll(LONG* min, LONG* max, LONG* pos, LONG* page, BOOL* enabled) {
  std::lock_guard<std::recursive_mutex> guard(TextLock());
  const RECT view = ViewRect();
  if (min != nullptr) *min = 0;
  if (max != nullptr) *max = layout_.Height();
  if (pos != nullptr) *pos = scroll_;
  if (page != nullptr) *page = view.bottom - view.top;
  if (enabled != nullptr) *enabled = MaxScroll() > 0 ? TRUE : FALSE;
  return S_OK;
}

// Over the text the pointer is the text cursor; elsewhere the host's stays.
HRESULT STDMETHODCALLTYPE TextServices::OnTxSetCursor(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECT client,
                                                      INT x, INT y) {
  const RECT area = client != nullptr ? *client : client_;
  if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) return S_FALSE;
  host_->TxSetCursor(LoadCursorW(nullptr, IDC_IBEAM), TRUE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TextServices::TxQueryHitPoint(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECT client,
                                                        INT x, INT y, DWORD* hitResult) {
  if (hitResult == nullptr) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> guard(TextLock());
  const RECT area = client != nullptr ? *client : client_;
  const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
  const POINT at = ToText(x, y);
  *hitResult = inside && at.y < layout_.Height() ? TXTHITRESULT_HIT : TXTHITRESULT_NOHIT;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TextServices::OnTxInPlaceActivate(LPCRECT client) {
  std::lock_guard<std::recursive_mutex> guard(TextLock());
  inPlaceActive_ = true;
  reported_ = false;
  ReadHostProperties();
  if (client != nullptr) client_ = *client;
  Relayout();
  Invalidate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TextServices::OnTxInPlaceDeactivate() {
  inPlaceActive_ = false;
  if (dragging_) {
    dragging_ = false;
    host_->TxSetCapture(FALSE);
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TextServices::OnTxUIActivate() { return S_OK; }

HRESULT STDMETHODCALLTYPE TextServices::OnTxUIDeactivate() { return S_OK; }

HRESULT STDMETHODCALLTYPE TextServices::TxGetText(BSTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = SysAllocStringLen(text_.data(), static_cast<UINT>(text_.size()));
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The whole content is replaced; the selection goes to the start and the view
// to the top.
HRESULT STDMETHODCALLTYPE TextServices::TxSetText(LPCWSTR text) {
  std::lock_guard<std::recursive_mutex> guard(TextLock());
  scroll_ = 0;
  anchor_ = active_ = 0;
  Replace(0, Length(), text != nullptr ? std::u16string_view(text) : std::u16string_view());
  anchor_ = active_ = 0;
  return S_OK;
}

// There is no caret here, so no caret column to keep either.
HRESULT STDMETHODCALLTYPE TextServices::TxGetCurTargetX(LONG*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TextServices::TxGetBaseLinePos(LONG*) { return E_NOTIMPL; }

// The height the text takes at the given width (pixels); with fit-to-content the
// width becomes that of the widest line.
HRESULT STDMETHODCALLTYPE TextServices::TxGetNaturalSize(DWORD aspect, HDC, HDC, DVTARGETDEVICE*, DWORD mode,
                                                         const SIZEL*, LONG* width, LONG* height) {
  if (width == nullptr || height == nullptr || aspect != DVASPECT_CONTENT) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> guard(TextLock());
  const int available = *width - inset_.left - inset_.right;
  int natural = 0;
  int needed = 0;
  layout_.MeasureAt(available, &natural, &needed);
  *height = needed + inset_.top + inset_.bottom;
  if (mode == TXTNS_FITTOCONTENT) *width = natural + inset_.left + inset_.right;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TextServices::TxGetDropTarget(IDropTarget** dropTarget) {
  if (dropTarget != nullptr) *dropTarget = nullptr;
  return E_NOTIMPL;
}

// Whatever changed, the host's properties are read again and the text laid out
// anew at the (possibly new) client width.
HRESULT STDMETHODCALLTYPE TextServices::OnTxPropertyBitsChange(DWORD, DWORD) {
  std::lock_guard<std::recursive_mutex> guard(TextLock());
  ReadHostProperties();
  Relayout();
  Invalidate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TextServices::TxGetCachedSize(DWORD* width, DWORD* height) {
  if (width == nullptr || height == nullptr) return E_INVALIDARG;
  *width = static_cast<DWORD>(std::max<LONG>(0, client_.right - client_.left));
  *height = static_cast<DWORD>(std::max<LONG>(0, client_.bottom - client_.top));
  return S_OK;
}

}  // namespace zv::text
