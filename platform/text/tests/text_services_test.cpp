#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "objbase.h"
#include "pixels.h"
#include "test_host.h"
#include "textserv.h"
#include "win/kernel.h"
#include "win/user.h"
#include "zv/builtin_modules.h"

namespace {

using zv::test::Dib;
using zv::test::TestHost;

// What the program registers at start-up, so that the services are reached as
// the toolkit reaches them.
const zv::BuiltinProc kMsftedit{u"msftedit.dll", "CreateTextServices", reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&CreateTextServices))};

constexpr RECT kNotesBox{35, 60, 465, 210};  // the upgrade window's notes box
constexpr int kLine = 15;                    // line height of the 12-pixel face
constexpr WPARAM kSbLineUp = 0, kSbLineDown = 1, kSbPageUp = 2, kSbPageDown = 3, kSbThumbPosition = 4, kSbTop = 6,
                 kSbBottom = 7;

std::u16string Lines(int count) {
  std::u16string text;
  for (int i = 1; i <= count; ++i) text += u"line " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"\r\n";
  text.resize(text.size() - 2);
  return text;
}

LPARAM Point(int x, int y) { return MAKELONG(x, y); }

class TextServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HMODULE module = LoadLibraryW(u"msftedit.dll");
    ASSERT_NE(module, nullptr);
    auto create = reinterpret_cast<PCreateTextServices>(reinterpret_cast<void*>(GetProcAddress(module, "CreateTextServices")));
    ASSERT_NE(create, nullptr);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(create(nullptr, &host_, &unknown), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_ITextServices, reinterpret_cast<void**>(&services_)), S_OK);
    unknown->Release();
    Send(EM_SETLANGOPTIONS, 0, 0);
    ASSERT_EQ(services_->OnTxInPlaceActivate(nullptr), S_OK);
  }
  void TearDown() override {
    if (services_ == nullptr) return;
    services_->OnTxInPlaceDeactivate();
    EXPECT_EQ(services_->Release(), 0u);
  }

  LRESULT Send(UINT msg, WPARAM wparam, LPARAM lparam, HRESULT* hr = nullptr) {
    LRESULT result = -1;
    const HRESULT status = services_->TxSendMessage(msg, wparam, lparam, &result);
    if (hr != nullptr) *hr = status;
    return result;
  }
  // As the toolkit's SetText does it: select everything, replace the selection.
  void SetText(const std::u16string& text) {
    CHARRANGE all{0, -1};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  // As the toolkit's GetText does it: ask the length, then read into length + 1.
  std::u16string GetText(DWORD flags = GT_DEFAULT) {
    GETTEXTLENGTHEX lengthInfo{(flags & GT_USECRLF) != 0 ? GTL_USECRLF : GTL_DEFAULT, 1200};
    const auto length = static_cast<std::size_t>(Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthInfo), 0));
    std::u16string buffer(length + 1, u'\0');
    GETTEXTEX info{static_cast<DWORD>(buffer.size() * 2), flags, 1200, nullptr, nullptr};
    const auto copied = static_cast<std::size_t>(Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&info),
                                                      reinterpret_cast<LPARAM>(buffer.data())));
    buffer.resize(copied);
    return buffer;
  }
  void Scroll(WPARAM code, int thumb = 0) { Send(WM_VSCROLL, MAKELONG(code, thumb), 0); }
  void Draw(Dib& dib, const RECT* update = nullptr) {
    const RECTL bounds{host_.client.left, host_.client.top, host_.client.right, host_.client.bottom};
    RECT area = update != nullptr ? *update : host_.client;
    ASSERT_EQ(services_->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dib.dc(), nullptr, &bounds, nullptr, &area,
                                nullptr, 0, TXTVIEW_ACTIVE),
              S_OK);
  }

  TestHost host_{kNotesBox};
  ITextServices* services_ = nullptr;
};

TEST_F(TextServicesTest, RefusesAggregationAndAnswersForItsInterfaces) {
  IUnknown* unknown = reinterpret_cast<IUnknown*>(1);
  EXPECT_NE(CreateTextServices(services_, &host_, &unknown), S_OK);
  EXPECT_EQ(unknown, nullptr);
  void* other = nullptr;
  EXPECT_EQ(services_->QueryInterface(IID_ITextHost, &other), E_NOINTERFACE);
}

TEST_F(TextServicesTest, ReplacingTheWholeSelectionReplacesTheText) {
  SetText(u"first notes");
  SetText(u"a\r\nb\nc");
  // Paragraphs end in CR inside the text services, as in rich edit.
  EXPECT_EQ(GetText(), u"a\rb\rc");
  EXPECT_EQ(GetText(GT_USECRLF), u"a\r\nb\r\nc");
  GETTEXTLENGTHEX bytes{GTL_NUMBYTES, 1200};
  EXPECT_EQ(Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&bytes), 0), 10);
  BSTR text = nullptr;
  ASSERT_EQ(services_->TxGetText(&text), S_OK);
  EXPECT_EQ(std::u16string(text, SysStringLen(text)), u"a\rb\rc");
  SysFreeString(text);
  // A short buffer gets what fits and its terminating zero.
  char16_t small[3] = {u'x', u'x', u'x'};
  GETTEXTEX info{4, GT_DEFAULT, 1200, nullptr, nullptr};
  EXPECT_EQ(Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&info), reinterpret_cast<LPARAM>(small)), 1);
  EXPECT_EQ(small[0], u'a');
  EXPECT_EQ(small[1], u'\0');
  // UTF-8 readers get whole characters only.
  SetText(u"升级");
  char bytesOut[5] = {};
  GETTEXTEX utf8{5, GT_DEFAULT, 65001, nullptr, nullptr};
  EXPECT_EQ(Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&utf8), reinterpret_cast<LPARAM>(bytesOut)), 3);
  EXPECT_EQ(std::string(bytesOut), "\xe5\x8d\x87");
}

TEST_F(TextServicesTest, TextIsCutAtTheMaximumLength) {
  Send(EM_EXLIMITTEXT, 0, 5);
  SetText(u"abcdefgh");
  EXPECT_EQ(GetText(), u"abcde");
  ASSERT_EQ(services_->TxSetText(u"12345678"), S_OK);
  EXPECT_EQ(GetText(), u"12345");
}

TEST_F(TextServicesTest, ReportsTheScrollRangeAsTheTextGrowsAndShrinks) {
  ASSERT_FALSE(host_.maxima.empty());
  EXPECT_EQ(host_.maxima.back(), kLine);  // an empty box still has its one line
  EXPECT_FALSE(host_.barVisible);
  SetText(Lines(20));
  EXPECT_EQ(host_.maxima.back(), 20 * kLine);
  EXPECT_TRUE(host_.barVisible);
  EXPECT_EQ(host_.barRange, 20 * kLine - 150);
  EXPECT_EQ(host_.barPosition, 0);
  LONG min = -1, max = -1, pos = -1, page = -1;
  BOOL enabled = FALSE;
  services_->TxGetVScroll(&min, &max, &pos, &page, &enabled);
  EXPECT_EQ(max, 20 * kLine);
  EXPECT_EQ(page, 150);
  EXPECT_TRUE(enabled);
  SetText(u"short");
  EXPECT_EQ(host_.maxima.back(), kLine);
  EXPECT_FALSE(host_.barVisible);
}

TEST_F(TextServicesTest, ScrollsByLinesPagesAndThumb) {
  SetText(Lines(20));  // 300 pixels of text in a 150-pixel box: 150 to scroll
  struct Step { WPARAM code; int thumb; int expected; };
  const Step steps[] = {
      {kSbLineDown, 0, 15}, {kSbLineDown, 0, 30},        {kSbLineUp, 0, 15}, {kSbPageDown, 0, 150},
      {kSbPageUp, 0, 0},    {kSbThumbPosition, 37, 37},  {kSbLineDown, 0, 45}, {kSbLineUp, 0, 30},
      {kSbBottom, 0, 150},  {kSbLineDown, 0, 150},       {kSbTop, 0, 0},     {kSbThumbPosition, 999, 150},
  };
  for (const Step& step : steps) {
    Scroll(step.code, step.thumb);
    EXPECT_EQ(host_.barPosition, step.expected) << "code " << step.code << " thumb " << step.thumb;
  }
  // A step that does not move reports nothing.
  const std::size_t reports = host_.positions.size();
  Scroll(kSbBottom);
  EXPECT_EQ(host_.positions.size(), reports);
}

TEST_F(TextServicesTest, DrawsTheTextScrolledInsideTheClientRectangle) {
  SetText(Lines(20));
  Dib top(500, 310);
  top.Fill(0xFFFFFFFF);
  Draw(top);
  const RECT ink = top.InkBox(0xFFFFFFFF);
  EXPECT_GE(ink.left, kNotesBox.left);
  EXPECT_LT(ink.left, kNotesBox.left + 3);
  EXPECT_GE(ink.top, kNotesBox.top);
  EXPECT_LT(ink.top, kNotesBox.top + kLine);
  EXPECT_LE(ink.bottom, kNotesBox.bottom);
  EXPECT_LE(ink.right, kNotesBox.right);

  Scroll(kSbLineDown);
  Dib scrolled(500, 310);
  scrolled.Fill(0xFFFFFFFF);
  Draw(scrolled);
  for (int y = kNotesBox.top; y < kNotesBox.bottom - kLine; ++y) {
    for (int x = kNotesBox.left; x < kNotesBox.right; ++x) {
      ASSERT_EQ(scrolled.At(x, y), top.At(x, y + kLine)) << x << "," << y;
    }
  }

  // Only the update rectangle is painted.
  Dib part(500, 310);
  part.Fill(0xFFFFFFFF);
  const RECT upper{kNotesBox.left, kNotesBox.top, kNotesBox.right, kNotesBox.top + 30};
  Draw(part, &upper);
  EXPECT_LE(part.InkBox(0xFFFFFFFF).bottom, upper.bottom);
  EXPECT_GT(part.InkBox(0xFFFFFFFF).bottom, upper.top);
}

TEST_F(TextServicesTest, WrapsAtTheClientWidthAndMeasuresTheNaturalHeight) {
  std::u16string paragraph;
  for (int i = 0; i < 30; ++i) paragraph += u"升级中请稍候 ";
  SetText(paragraph);
  const int wide = host_.maxima.back();
  EXPECT_GT(wide, kLine);
  LONG width = 430, height = 0;
  ASSERT_EQ(services_->TxGetNaturalSize(DVASPECT_CONTENT, nullptr, nullptr, nullptr, TXTNS_FITTOCONTENT, nullptr,
                                        &width, &height),
            S_OK);
  EXPECT_EQ(height, wide);
  EXPECT_LE(width, 430);
  // The bar's six pixels come off the client width: the text wraps anew.
  host_.client.right -= 300;
  services_->OnTxPropertyBitsChange(TXTBIT_CLIENTRECTCHANGE, TXTBIT_CLIENTRECTCHANGE);
  EXPECT_GT(host_.maxima.back(), wide);
  width = 130;
  services_->TxGetNaturalSize(DVASPECT_CONTENT, nullptr, nullptr, nullptr, TXTNS_FITTOCONTENT, nullptr, &width, &height);
  EXPECT_EQ(height, host_.maxima.back());
}

// The toolkit narrows the text by the bar's width as soon as the bar shows, and
// tells the services while they are still reporting: the reports that follow
// must be those of the narrower text.
TEST_F(TextServicesTest, HostThatNarrowsWhileBeingToldGetsTheFinalFigures) {
  host_.client = RECT{0, 0, 425, 150};
  services_->OnTxPropertyBitsChange(TXTBIT_CLIENTRECTCHANGE, TXTBIT_CLIENTRECTCHANGE);
  host_.onBarVisibility = [this](bool visible) {
    host_.client.right = visible ? 419 : 425;
    services_->OnTxPropertyBitsChange(TXTBIT_VIEWINSETCHANGE, TXTBIT_VIEWINSETCHANGE);
  };
  // Twelve paragraphs of 35 twelve-pixel characters: one line each in 425
  // pixels (180 pixels in all), two lines each in 419.
  std::u16string text;
  for (int i = 0; i < 12; ++i) text += std::u16string(35, u'升') + u"\r";
  text.pop_back();
  SetText(text);
  EXPECT_TRUE(host_.barVisible);
  EXPECT_EQ(host_.client.right, 419);
  EXPECT_EQ(host_.maxima.back(), 24 * kLine);
  EXPECT_EQ(host_.barRange, 24 * kLine - 150);
  EXPECT_EQ(host_.barPosition, 0);
}

TEST_F(TextServicesTest, SelectsWithTheMouse) {
  SetText(u"升级中请稍候\r\nsecond line");
  const int x0 = kNotesBox.left;
  const int y0 = kNotesBox.top + 5;
  Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(x0 + 1, y0));
  EXPECT_TRUE(host_.captured);
  Send(WM_MOUSEMOVE, MK_LBUTTON, Point(x0 + 20, y0));
  Send(WM_MOUSEMOVE, MK_LBUTTON, Point(x0 + 3 * 12 + 1, y0));
  Send(WM_LBUTTONUP, 0, Point(x0 + 3 * 12 + 1, y0));
  EXPECT_FALSE(host_.captured);
  EXPECT_EQ(GetText(GT_SELECTION), u"升级中");
  CHARRANGE range{};
  Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.cpMin, 0);
  EXPECT_EQ(range.cpMax, 3);

  // SHIFT extends from the anchor to the start of the next line.
  Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Point(x0, y0 + kLine));
  Send(WM_LBUTTONUP, 0, Point(x0, y0 + kLine));
  EXPECT_EQ(GetText(GT_SELECTION | GT_USECRLF), u"升级中请稍候\r\n");

  // A double click takes the word under the pointer.
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Point(x0 + 10, y0 + kLine));
  EXPECT_EQ(GetText(GT_SELECTION), u"second");
  // Moving without the button held selects nothing more.
  Send(WM_MOUSEMOVE, 0, Point(x0 + 100, y0 + kLine));
  EXPECT_EQ(GetText(GT_SELECTION), u"second");
}

TEST_F(TextServicesTest, DraggingPastTheBottomScrollsAlong) {
  SetText(Lines(20));
  Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(kNotesBox.left + 1, kNotesBox.top + 1));
  Send(WM_MOUSEMOVE, MK_LBUTTON, Point(kNotesBox.left + 1, kNotesBox.bottom + 20));
  EXPECT_GT(host_.barPosition, 0);
  Send(WM_LBUTTONUP, 0, Point(kNotesBox.left + 1, kNotesBox.bottom + 20));
  EXPECT_GT(GetText(GT_SELECTION).size(), 50u);
}

TEST_F(TextServicesTest, SelectionIsHighlightedWhileFocused) {
  SetText(u"升级中");
  CHARRANGE all{0, -1};
  Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
  const std::uint32_t highlight = 0xFF0078D7;
  const auto highlighted = [&] {
    Dib dib(500, 310);
    dib.Fill(0xFFFFFFFF);
    Draw(dib);
    int count = 0;
    for (int x = kNotesBox.left; x < kNotesBox.left + 36; ++x) count += dib.At(x, kNotesBox.top + 1) == highlight;
    return count;
  };
  EXPECT_EQ(highlighted(), 0);  // the host hides the selection without focus
  HRESULT hr = S_FALSE;
  Send(WM_SETFOCUS, 0, 0, &hr);
  EXPECT_EQ(hr, S_OK);
  EXPECT_GT(highlighted(), 30);
  Send(WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(highlighted(), 0);
}

TEST_F(TextServicesTest, CtrlCCopiesTheSelectionToTheClipboard) {
  // The clipboard is the display's: SDL's offscreen video driver keeps one.
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_SetClipboardText("before");
  SetText(u"升级中\r\n请稍候");
  Send(WM_SETFOCUS, 0, 0);
  Send(WM_KEYDOWN, 'C', 0);  // C alone copies nothing
  char* text = SDL_GetClipboardText();
  EXPECT_STREQ(text, "before");
  SDL_free(text);
  Send(WM_KEYDOWN, VK_CONTROL, 0);
  Send(WM_KEYDOWN, 'A', 0);
  HRESULT hr = S_FALSE;
  Send(WM_KEYDOWN, 'C', 0, &hr);
  EXPECT_EQ(hr, S_OK);
  Send(WM_KEYUP, VK_CONTROL, 0);
  text = SDL_GetClipboardText();
  EXPECT_STREQ(text, "升级中\r\n请稍候");
  SDL_free(text);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(TextServicesTest, LeavesWhatItDoesNotHandleToTheHost) {
  SetText(Lines(20));
  HRESULT hr = S_OK;
  Send(WM_MOUSEWHEEL, MAKELONG(MK_CONTROL, -WHEEL_DELTA), Point(100, 100), &hr);
  EXPECT_EQ(hr, S_FALSE);  // no zooming
  EXPECT_EQ(host_.barPosition, 0);
  Send(WM_MOUSEWHEEL, MAKELONG(0, -WHEEL_DELTA), Point(100, 100), &hr);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(host_.barPosition, 3 * kLine);
  const std::u16string before = GetText();
  Send(WM_CHAR, 'x', 0, &hr);
  EXPECT_EQ(hr, S_FALSE);  // read-only: typing changes nothing
  EXPECT_EQ(GetText(), before);
  Send(WM_TIMER, 1, 0, &hr);
  EXPECT_EQ(hr, S_FALSE);
}

TEST_F(TextServicesTest, SetsTheTextCursorOverTheText) {
  const auto setCursor = [&](int x, int y) {
    return services_->OnTxSetCursor(DVASPECT_CONTENT, 0, nullptr, nullptr, nullptr, nullptr, &kNotesBox, x, y);
  };
  EXPECT_EQ(setCursor(kNotesBox.left - 1, kNotesBox.top + 5), S_FALSE);
  EXPECT_EQ(host_.cursor, nullptr);
  EXPECT_EQ(setCursor(kNotesBox.left + 5, kNotesBox.top + 5), S_OK);
  ASSERT_NE(host_.cursor, nullptr);
  EXPECT_EQ(host_.cursor, LoadCursorW(nullptr, IDC_IBEAM));
}

TEST_F(TextServicesTest, ChangeNotificationsFollowTheEventMask) {
  SetText(u"one");
  EXPECT_TRUE(host_.notifications.empty());
  Send(EM_SETEVENTMASK, 0, ENM_CHANGE);
  SetText(u"two");
  ASSERT_EQ(host_.notifications.size(), 1u);
  EXPECT_EQ(host_.notifications[0], EN_CHANGE);
}

}  // namespace
