// Window classes, creation and destruction sequences, window data and texts.
#include <gtest/gtest.h>

#include <thread>

#include "recorder.h"

namespace {

using user_test::Recorder;
using user_test::Step;

class UserWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Recorder::Get().Clear();
    className_ = Recorder::Get().RegisterClass(2 * sizeof(LONG_PTR));
    ASSERT_FALSE(className_.empty());
  }
  void TearDown() override { Recorder::Get().Clear(); }

  HWND Create(DWORD style = WS_POPUP, HWND parent = nullptr, LPCWSTR title = u"title",
              void* param = nullptr) {
    return CreateWindowExW(0, className_.c_str(), title, style, 1, 2, 30, 40, parent, nullptr,
                           nullptr, param);
  }

  std::u16string className_;
};

TEST_F(UserWindowsTest, ClassRegistrationIsOncePerNameInAnyCase) {
  std::u16string upper = className_;
  for (auto& c : upper) c = (c >= u'a' && c <= u'z') ? c - 32 : c;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = upper.c_str();
  SetLastError(0);
  EXPECT_EQ(RegisterClassExW(&wc), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetClassInfoExW(nullptr, upper.c_str(), &info));
  EXPECT_EQ(info.lpfnWndProc, &Recorder::Procedure);
  EXPECT_EQ(info.cbWndExtra, static_cast<int>(2 * sizeof(LONG_PTR)));

  // The class can be named by the atom its registration returned.
  const auto atom = static_cast<ATOM>(GetClassInfoExW(nullptr, className_.c_str(), &info));
  const HWND hwnd = CreateWindowExW(0, MAKEINTATOM(atom), u"by atom", WS_POPUP, 0, 0, 1, 1,
                                    nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(FindWindowW(MAKEINTATOM(atom), u"by atom"), hwnd);
  EXPECT_FALSE(UnregisterClassW(className_.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassW(className_.c_str(), nullptr));
  EXPECT_FALSE(UnregisterClassW(className_.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
  EXPECT_FALSE(GetClassInfoExW(nullptr, className_.c_str(), &info));
}

TEST_F(UserWindowsTest, UnknownClassAndChildWithoutParentFail) {
  struct Case {
    LPCWSTR className;
    DWORD style;
    HWND parent;
    DWORD error;
  };
  const HWND dead = Create();
  DestroyWindow(dead);
  const Case cases[] = {
      {u"NoSuchClassAnywhere", WS_POPUP, nullptr, ERROR_CANNOT_FIND_WND_CLASS},
      {className_.c_str(), WS_CHILD, nullptr, ERROR_TLW_WITH_WSCHILD},
      {className_.c_str(), WS_CHILD, dead, ERROR_INVALID_WINDOW_HANDLE},
      {className_.c_str(), WS_POPUP, dead, ERROR_INVALID_WINDOW_HANDLE},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(CreateWindowExW(0, c.className, u"", c.style, 0, 0, 1, 1, c.parent, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(UserWindowsTest, CreationSendsNcCreateNcCalcSizeCreateWithTheParameters) {
  int marker = 0;
  void* seenParam = nullptr;
  std::u16string seenName;
  Recorder::Get().SetAnswer([&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_NCCREATE || message == WM_CREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      seenParam = create->lpCreateParams;
      seenName = create->lpszName;
      EXPECT_EQ(create->cx, 30);
      EXPECT_EQ(create->cy, 40);
    }
    return std::nullopt;
  });
  const HWND hwnd = Create(WS_POPUP, nullptr, u"Zorvik", &marker);
  ASSERT_NE(hwnd, nullptr);
  const std::vector<Step> expected = {{hwnd, WM_NCCREATE}, {hwnd, WM_NCCALCSIZE}, {hwnd, WM_CREATE}};
  EXPECT_EQ(Recorder::Get().Steps(), expected);
  EXPECT_EQ(seenParam, &marker);
  EXPECT_EQ(seenName, u"Zorvik");
  WCHAR title[16];
  EXPECT_EQ(GetWindowTextW(hwnd, title, 16), 6);
  EXPECT_EQ(std::u16string(title), u"Zorvik");
  EXPECT_TRUE(DestroyWindow(hwnd));
}

TEST_F(UserWindowsTest, RefusedCreationDestroysTheWindow) {
  struct Case {
    UINT refusing;
    LRESULT answer;
    std::vector<UINT> sequence;
  };
  const Case cases[] = {
      {WM_NCCREATE, FALSE, {WM_NCCREATE, WM_NCDESTROY}},
      {WM_CREATE, -1, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}},
  };
  for (const Case& c : cases) {
    Recorder::Get().Clear();
    Recorder::Get().SetAnswer([&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == c.refusing) return c.answer;
      return std::nullopt;
    });
    EXPECT_EQ(Create(), nullptr);
    const auto log = Recorder::Get().Log();
    ASSERT_EQ(log.size(), c.sequence.size());
    for (std::size_t i = 0; i < log.size(); ++i) EXPECT_EQ(log[i].message, c.sequence[i]) << i;
    EXPECT_FALSE(IsWindow(log.front().hwnd));
  }
}

TEST_F(UserWindowsTest, DestroyGoesThroughOwnedWindowsThenDestroyAndNcDestroy) {
  const HWND owner = Create(WS_POPUP);
  const HWND child = Create(WS_CHILD, owner);
  const HWND grandchild = Create(WS_CHILD, child);
  const HWND owned = Create(WS_POPUP, child);  // owned by the top-level ancestor
  ASSERT_TRUE(owner && child && grandchild && owned);
  EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
  EXPECT_EQ(GetParent(owned), owner);
  EXPECT_EQ(GetParent(grandchild), child);
  EXPECT_EQ(GetWindow(owner, GW_CHILD), child);
  EXPECT_EQ(GetParent(owner), nullptr);
  Recorder::Get().Clear();

  EXPECT_TRUE(DestroyWindow(owner));
  const std::vector<Step> expected = {
      {owned, WM_DESTROY},      {owned, WM_NCDESTROY},      {owner, WM_DESTROY},
      {child, WM_DESTROY},      {grandchild, WM_DESTROY},   {grandchild, WM_NCDESTROY},
      {child, WM_NCDESTROY},    {owner, WM_NCDESTROY},
  };
  EXPECT_EQ(Recorder::Get().Steps({WM_DESTROY, WM_NCDESTROY}), expected);
  for (HWND hwnd : {owner, child, grandchild, owned}) EXPECT_FALSE(IsWindow(hwnd));
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(owner));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(UserWindowsTest, CloseByDefaultDestroysAndDestroyingTwiceFromWmDestroyIsHarmless) {
  Recorder::Get().SetAnswer([](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) {
      EXPECT_TRUE(DestroyWindow(hwnd));
    }
    return std::nullopt;
  });
  const HWND hwnd = Create();
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(Recorder::Get().Log({WM_DESTROY, WM_NCDESTROY}).size(), 2u);
}

TEST_F(UserWindowsTest, OnlyTheOwningThreadDestroys) {
  const HWND hwnd = Create();
  BOOL destroyed = TRUE;
  DWORD error = 0;
  std::thread([&] {
    destroyed = DestroyWindow(hwnd);
    error = GetLastError();
  }).join();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(IsWindow(hwnd));
  DWORD process = 0;
  EXPECT_EQ(GetWindowThreadProcessId(hwnd, &process), GetCurrentThreadId());
  EXPECT_EQ(process, GetCurrentProcessId());
  DestroyWindow(hwnd);
}

TEST_F(UserWindowsTest, WindowDataReadsBackWhatWasSet) {
  const HWND hwnd = Create(WS_POPUP | WS_VISIBLE);
  struct Case {
    int index;
    LONG_PTR value;
  };
  const Case cases[] = {
      {GWLP_USERDATA, static_cast<LONG_PTR>(0x123456789ABCLL)},
      {GWLP_ID, 77},
      {GWLP_HINSTANCE, 0x4000},
      {0, -5},
      {static_cast<int>(sizeof(LONG_PTR)), 0x7FFFFFFFFFFFLL},
  };
  for (const Case& c : cases) {
    SetWindowLongPtrW(hwnd, c.index, c.value);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, c.index), c.value) << c.index;
  }
  EXPECT_EQ(GetWindowLongW(hwnd, 0), -5);
  for (int bad : {static_cast<int>(2 * sizeof(LONG_PTR)), static_cast<int>(sizeof(LONG_PTR)) + 1, -100}) {
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, bad), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX) << bad;
  }
  // The pointer-sized values do not pass through the 32-bit forms.
  SetLastError(0);
  EXPECT_EQ(GetWindowLongW(hwnd, GWLP_WNDPROC), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  DestroyWindow(hwnd);
}

TEST_F(UserWindowsTest, StyleChangesAreAnnouncedAndCanBeAmended) {
  const HWND hwnd = Create(WS_POPUP | WS_CAPTION);
  Recorder::Get().SetAnswer([](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_STYLECHANGING) reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew |= WS_BORDER;
    return std::nullopt;
  });
  const LONG old = SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_CLIPCHILDREN));
  EXPECT_EQ(static_cast<DWORD>(old), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)),
            WS_POPUP | WS_CLIPCHILDREN | WS_BORDER);
  const auto log = Recorder::Get().Log({WM_STYLECHANGING, WM_STYLECHANGED});
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].wParam, static_cast<WPARAM>(GWL_STYLE));
  DestroyWindow(hwnd);
}

TEST_F(UserWindowsTest, OverlappedWindowsGetACaptionAndAllTopLevelsClipSiblings) {
  struct Case {
    DWORD style;
    DWORD expected;
  };
  const HWND parent = Create();
  const Case cases[] = {
      {WS_OVERLAPPED, WS_CAPTION | WS_CLIPSIBLINGS},
      {WS_POPUP, WS_POPUP | WS_CLIPSIBLINGS},
      {WS_CHILD, WS_CHILD},
  };
  for (const Case& c : cases) {
    const HWND hwnd = Create(c.style, (c.style & WS_CHILD) ? parent : nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), c.expected);
    DestroyWindow(hwnd);
  }
  DestroyWindow(parent);
}

TEST_F(UserWindowsTest, SubclassingChainsToThePreviousProcedure) {
  static WNDPROC previous = nullptr;
  const HWND hwnd = Create();
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      hwnd, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) return 2 * CallWindowProcW(previous, h, m, w, l);
        return CallWindowProcW(previous, h, m, w, l);
      })));
  EXPECT_EQ(previous, &Recorder::Procedure);
  Recorder::Get().SetAnswer([](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER) return static_cast<LRESULT>(wParam + 1);
    return std::nullopt;
  });
  EXPECT_EQ(SendMessageW(hwnd, WM_USER, 20, 0), 42);
  DestroyWindow(hwnd);
}

TEST_F(UserWindowsTest, TextsGoThroughSetTextAndGetText) {
  const HWND hwnd = Create();
  EXPECT_TRUE(SetWindowTextW(hwnd, u"升级中 Zorvik"));
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 10);
  WCHAR small[5];
  EXPECT_EQ(GetWindowTextW(hwnd, small, 5), 4);
  EXPECT_EQ(std::u16string(small), u"升级中 ");
  EXPECT_EQ(Recorder::Get().Log({WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH}).size(), 3u);
  EXPECT_TRUE(SetWindowTextW(hwnd, nullptr));
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 0);
  DestroyWindow(hwnd);
  SetLastError(0);
  WCHAR text[4] = u"abc";
  EXPECT_EQ(GetWindowTextW(hwnd, text, 4), 0);
  EXPECT_EQ(text[0], 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(UserWindowsTest, FindWindowMatchesClassAndTitleOfLiveTopLevelWindows) {
  const std::u16string title = u"Find" + className_;
  const HWND first = Create(WS_POPUP, nullptr, title.c_str());
  const HWND child = Create(WS_CHILD, first, (title + u"child").c_str());
  EXPECT_EQ(FindWindowW(className_.c_str(), title.c_str()), first);
  EXPECT_EQ(FindWindowW(nullptr, title.c_str()), first);
  EXPECT_EQ(FindWindowW(className_.c_str(), nullptr), first);
  EXPECT_EQ(FindWindowW(className_.c_str(), (title + u"child").c_str()), nullptr);
  EXPECT_EQ(FindWindowW(className_.c_str(), u"find"), nullptr);
  DestroyWindow(first);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(FindWindowW(className_.c_str(), title.c_str()), nullptr);
}

}  // namespace
