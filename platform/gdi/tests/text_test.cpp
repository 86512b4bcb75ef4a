#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "pixels.h"
#include "win/gdi.h"

namespace {

using zv::test::Dib;

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

class DrawText : public ::testing::Test {
 protected:
  HFONT MakeFont(const char16_t* face, LONG height, LONG weight = FW_NORMAL) {
    LOGFONTW log{};
    log.lfHeight = height;
    log.lfWeight = weight;
    log.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(log.lfFaceName, face, std::char_traits<char16_t>::length(face) * sizeof(char16_t));
    HFONT font = CreateFontIndirectW(&log);
    fonts_.push_back(font);
    return font;
  }
  // A white DIB with black text in `font`, transparent background.
  void Prepare(Dib& dib, HFONT font) {
    dib.Fill(kWhite);
    previous_.emplace_back(dib.dc(), SelectObject(dib.dc(), font));
    SetBkMode(dib.dc(), TRANSPARENT);
    SetTextColor(dib.dc(), RGB(0, 0, 0));
  }
  RECT Measure(HDC dc, const std::u16string& text, UINT format, RECT rect) {
    DrawTextW(dc, text.c_str(), -1, &rect, format | DT_CALCRECT);
    return rect;
  }
  void TearDown() override {
    for (auto& [dc, object] : previous_) SelectObject(dc, object);
    for (HFONT font : fonts_) DeleteObject(font);
  }
  std::vector<HFONT> fonts_;
  std::vector<std::pair<HDC, HGDIOBJ>> previous_;
};

bool SamePixels(const Dib& a, const Dib& b, RECT area) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (a.At(x, y) != b.At(x, y)) return false;
    }
  }
  return true;
}

const std::u16string kMixed = u"Zorvik 升级中，请稍候... 42%";

// The project's own font configuration maps the Windows faces to WenQuanYi Micro
// Hei whatever else is installed, so each renders exactly like it.
TEST_F(DrawText, WindowsFacesResolveToWenQuanYiMicroHei) {
  Dib reference(220, 20);
  Prepare(reference, MakeFont(u"WenQuanYi Micro Hei", -12));
  RECT rect{0, 0, 220, 20};
  DrawTextW(reference.dc(), kMixed.c_str(), -1, &rect, DT_SINGLELINE | DT_NOPREFIX);
  ASSERT_NE(reference.InkBox(kWhite).right, 0);
  // "Nimbus Sans" and "Droid Sans Fallback" are installed on many Debian machines
  // (on the build machine too) but stay outside the layer's configuration.
  const char16_t* faces[] = {u"Microsoft YaHei", u"微软雅黑", u"SimSun",      u"宋体",
                             u"MS Shell Dlg",    u"NoSuchFace", u"Nimbus Sans", u"Droid Sans Fallback"};
  for (std::size_t i = 0; i < std::size(faces); ++i) {
    Dib dib(220, 20);
    Prepare(dib, MakeFont(faces[i], -12));
    DrawTextW(dib.dc(), kMixed.c_str(), -1, &rect, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_TRUE(SamePixels(dib, reference, RECT{0, 0, 220, 20})) << "face #" << i;
  }
}

TEST_F(DrawText, MetricsOfTheSkinFont) {
  Dib dib(10, 10);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  TEXTMETRICW metrics{};
  ASSERT_TRUE(GetTextMetricsW(dib.dc(), &metrics));
  EXPECT_EQ(metrics.tmHeight, 15);
  EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, metrics.tmHeight);
  EXPECT_EQ(metrics.tmInternalLeading, 3);
  EXPECT_GT(metrics.tmAveCharWidth, 3);
  const RECT one = Measure(dib.dc(), u"升级", 0, RECT{5, 7, 5, 7});
  EXPECT_EQ(one.left, 5);
  EXPECT_EQ(one.top, 7);
  EXPECT_EQ(one.bottom - one.top, 15);
  EXPECT_EQ(one.right - one.left, 24);  // Chinese characters are square
  EXPECT_EQ(Measure(dib.dc(), u"a\nb\r\nc", 0, RECT{0, 0, 0, 0}).bottom, 45);
  EXPECT_EQ(Measure(dib.dc(), u"a\nb\r\nc", DT_SINGLELINE, RECT{0, 0, 0, 0}).bottom, 15);
  // Positive heights give the cell, negative ones the character.
  HFONT cell = MakeFont(u"Microsoft YaHei", 15);
  SelectObject(dib.dc(), cell);
  GetTextMetricsW(dib.dc(), &metrics);
  EXPECT_EQ(metrics.tmHeight, 15);
}

// Bold added to a normal weight (400 + 700) still makes a font, drawn heaviest.
TEST_F(DrawText, OverweightFontsDrawBold) {
  Dib normal(60, 20);
  Prepare(normal, MakeFont(u"Microsoft YaHei", -12, FW_NORMAL));
  Dib heavy(60, 20);
  HFONT overweight = MakeFont(u"Microsoft YaHei", -12, FW_NORMAL + FW_BOLD);
  ASSERT_NE(overweight, nullptr);
  Prepare(heavy, overweight);
  TEXTMETRICW metrics{};
  GetTextMetricsW(heavy.dc(), &metrics);
  EXPECT_EQ(metrics.tmWeight, 1000);
  RECT rect{0, 0, 60, 20};
  DrawTextW(normal.dc(), u"Wide", -1, &rect, DT_SINGLELINE);
  DrawTextW(heavy.dc(), u"Wide", -1, &rect, DT_SINGLELINE);
  const auto inked = [](const Dib& dib) {
    int count = 0;
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 60; ++x) count += (dib.At(x, y) & 0xFF) < 0x80;
    }
    return count;
  };
  EXPECT_GT(inked(heavy), inked(normal) + 5);
  LOGFONTW negative{};
  negative.lfWeight = -1;
  EXPECT_EQ(CreateFontIndirectW(&negative), nullptr);
}

TEST_F(DrawText, CalcRectMeasuresWithoutDrawing) {
  Dib dib(100, 40);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  RECT rect{10, 10, 90, 30};
  const int height = DrawTextW(dib.dc(), u"Hello", -1, &rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_CALCRECT);
  SIZE extent;
  GetTextExtentPoint32W(dib.dc(), u"Hello", 5, &extent);
  EXPECT_EQ(height, 15);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.right, 10 + extent.cx);
  EXPECT_EQ(rect.bottom, 25);
  EXPECT_EQ(dib.InkBox(kWhite).right, 0);
}

TEST_F(DrawText, SingleLineCentredBothWays) {
  Dib dib(120, 40);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  RECT rect{10, 5, 110, 35};
  const RECT measured = Measure(dib.dc(), u"升级中", DT_SINGLELINE, rect);
  const int result = DrawTextW(dib.dc(), u"升级中", -1, &rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  const int offset = (30 - 15) / 2;
  EXPECT_EQ(result, offset + 15);
  const RECT ink = dib.InkBox(kWhite);
  const int width = measured.right - measured.left;
  EXPECT_GE(ink.left, 10 + (100 - width) / 2);
  EXPECT_LE(ink.right, 10 + (100 - width) / 2 + width);
  EXPECT_LE(std::abs((ink.left - 10) - (110 - ink.right)), 2);  // ink centred
  EXPECT_GE(ink.top, 5 + offset);
  EXPECT_LE(ink.bottom, 5 + offset + 15);
}

TEST_F(DrawText, VerticalPlacementNeedsSingleLine) {
  Dib dib(100, 60);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  RECT rect{0, 0, 100, 60};
  DrawTextW(dib.dc(), u"升级", -1, &rect, DT_VCENTER | DT_BOTTOM);
  EXPECT_LT(dib.InkBox(kWhite).bottom, 16);
}

// Each wrapped line is centred on its own; breaks fall between words.
TEST_F(DrawText, MultiLineCentredWordWrap) {
  Dib dib(80, 80);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  const std::u16string text = u"one two three four five";
  RECT rect{0, 0, 80, 80};
  const RECT measured = Measure(dib.dc(), text, DT_WORDBREAK | DT_CENTER, rect);
  const int lines = (measured.bottom - measured.top) / 15;
  EXPECT_GE(lines, 2);
  EXPECT_LE(measured.right, 80);
  DrawTextW(dib.dc(), text.c_str(), -1, &rect, DT_WORDBREAK | DT_CENTER);
  for (int line = 0; line < lines; ++line) {
    RECT band{80, 0, 0, 0};
    for (int y = line * 15; y < (line + 1) * 15; ++y) {
      for (int x = 0; x < 80; ++x) {
        if (dib.At(x, y) == kWhite) continue;
        band.left = std::min<LONG>(band.left, x);
        band.right = std::max<LONG>(band.right, x + 1);
      }
    }
    ASSERT_LT(band.left, band.right) << "line " << line << " is empty";
    EXPECT_LE(std::abs(band.left - (80 - band.right)), 3) << "line " << line;
  }
}

TEST_F(DrawText, ChineseBreaksBetweenCharactersAndLongWordsStayWhole) {
  Dib dib(60, 60);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  // Ten 12-pixel characters in 50 pixels: four to a line.
  const RECT chinese = Measure(dib.dc(), u"升级中请稍候一会儿吧", DT_WORDBREAK, RECT{0, 0, 50, 0});
  EXPECT_EQ(chinese.bottom, 45);
  EXPECT_EQ(chinese.right, 48);
  // A Latin word longer than the line overflows it rather than breaking...
  const std::u16string word = u"Extraordinarily";
  const RECT whole = Measure(dib.dc(), word, DT_WORDBREAK, RECT{0, 0, 40, 0});
  EXPECT_EQ(whole.bottom, 15);
  EXPECT_GT(whole.right, 40);
  // ...unless the edit-control style asks for it to be broken.
  const RECT broken = Measure(dib.dc(), word, DT_WORDBREAK | DT_EDITCONTROL, RECT{0, 0, 40, 0});
  EXPECT_GT(broken.bottom, 15);
  EXPECT_LE(broken.right, 40);
}

// A word broken across lines gets no hyphen: the first line shows exactly the
// characters that fit, as if they had been drawn alone.
TEST_F(DrawText, BrokenWordsGetNoHyphen) {
  HFONT font = MakeFont(u"Microsoft YaHei", -12);
  const std::u16string word = u"Extraordinarily";
  Dib broken(60, 60);
  Prepare(broken, font);
  std::size_t fits = 0;
  SIZE extent;
  while (fits < word.size() && GetTextExtentPoint32W(broken.dc(), word.c_str(), static_cast<int>(fits + 1), &extent) &&
         extent.cx <= 40) {
    ++fits;
  }
  ASSERT_GT(fits, 1u);
  ASSERT_LT(fits, word.size());
  RECT rect{0, 0, 40, 60};
  DrawTextW(broken.dc(), word.c_str(), -1, &rect, DT_WORDBREAK | DT_EDITCONTROL);
  Dib alone(60, 60);
  Prepare(alone, font);
  const std::u16string prefix = word.substr(0, fits);
  DrawTextW(alone.dc(), prefix.c_str(), -1, &rect, DT_SINGLELINE);
  EXPECT_TRUE(SamePixels(broken, alone, RECT{0, 0, 60, 15}));
}

TEST_F(DrawText, EndEllipsisCutsWhatDoesNotFit) {
  Dib dib(120, 20);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  const std::u16string text = u"a rather long line of text that cannot fit";
  RECT rect{0, 0, 80, 20};
  EXPECT_GT(Measure(dib.dc(), text, DT_SINGLELINE, rect).right, 80);
  const RECT cut = Measure(dib.dc(), text, DT_SINGLELINE | DT_END_ELLIPSIS, rect);
  EXPECT_LE(cut.right, 80);
  EXPECT_GT(cut.right, 60);
  DrawTextW(dib.dc(), text.c_str(), -1, &rect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
  EXPECT_LE(dib.InkBox(kWhite).right, 80);
  const RECT shortText = Measure(dib.dc(), u"fits", DT_SINGLELINE | DT_END_ELLIPSIS, rect);
  EXPECT_EQ(shortText.right, Measure(dib.dc(), u"fits", DT_SINGLELINE, rect).right);
}

// With word breaks the text is cut at the last line that fits the rectangle.
TEST_F(DrawText, EndEllipsisWithWordBreakStopsAtTheRectangleBottom) {
  Dib dib(120, 60);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  const std::u16string text = u"one two three four five six seven eight nine ten eleven twelve";
  const RECT rect{0, 0, 60, 30};
  EXPECT_GT(Measure(dib.dc(), text, DT_WORDBREAK, rect).bottom, 30);
  const RECT cut = Measure(dib.dc(), text, DT_WORDBREAK | DT_END_ELLIPSIS, rect);
  EXPECT_EQ(cut.bottom, 30);
  EXPECT_LE(cut.right, 60);
}

TEST_F(DrawText, PrefixesUnlessNoPrefix) {
  Dib dib(100, 20);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  const RECT zero{0, 0, 0, 0};
  EXPECT_EQ(Measure(dib.dc(), u"A&&B", DT_SINGLELINE, zero).right, Measure(dib.dc(), u"A&B", DT_SINGLELINE | DT_NOPREFIX, zero).right);
  EXPECT_EQ(Measure(dib.dc(), u"&File", DT_SINGLELINE, zero).right, Measure(dib.dc(), u"File", DT_SINGLELINE, zero).right);
  EXPECT_GT(Measure(dib.dc(), u"A&B", DT_SINGLELINE | DT_NOPREFIX, zero).right, Measure(dib.dc(), u"AB", DT_SINGLELINE, zero).right);
  // The prefixed letter is underlined.
  RECT rect{0, 0, 100, 20};
  DrawTextW(dib.dc(), u"File", -1, &rect, DT_SINGLELINE);
  const LONG plainBottom = dib.InkBox(kWhite).bottom;
  dib.Fill(kWhite);
  DrawTextW(dib.dc(), u"&File", -1, &rect, DT_SINGLELINE);
  EXPECT_GT(dib.InkBox(kWhite).bottom, plainBottom);
}

TEST_F(DrawText, ColourBackgroundModeAndClipping) {
  Dib dib(100, 20);
  Prepare(dib, MakeFont(u"Microsoft YaHei", -12));
  SetTextColor(dib.dc(), RGB(255, 0, 0));
  RECT rect{0, 0, 30, 20};
  DrawTextW(dib.dc(), u"升级中升级中", -1, &rect, DT_SINGLELINE);
  int leastGreen = 255;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 100; ++x) {
      const std::uint32_t p = dib.At(x, y);
      ASSERT_EQ(p & 0xFF, (p >> 8) & 0xFF) << "green and blue fade together on white";
      if (((p >> 16) & 0xFF) == 0xFF) leastGreen = std::min<int>(leastGreen, (p >> 8) & 0xFF);
    }
  }
  EXPECT_LT(leastGreen, 0x30);  // stems come out (nearly) pure red
  EXPECT_LE(dib.InkBox(kWhite).right, 30);  // clipped to the rectangle

  dib.Fill(kWhite);
  SetBkMode(dib.dc(), OPAQUE);
  SetBkColor(dib.dc(), RGB(0, 0, 255));
  rect = RECT{0, 0, 100, 20};
  DrawTextW(dib.dc(), u"升", -1, &rect, DT_SINGLELINE);
  EXPECT_EQ(dib.At(0, 0), 0xFF0000FFu);   // the line's cell is filled
  EXPECT_EQ(dib.At(13, 0), kWhite);        // and only the cell
}

TEST_F(DrawText, TextOutDrawsFromTheTopLeftCornerUnclipped) {
  Dib drawn(100, 30);
  Prepare(drawn, MakeFont(u"Microsoft YaHei", -12));
  ASSERT_TRUE(TextOutW(drawn.dc(), 10, 5, u"升级中", 3));
  Dib reference(100, 30);
  Prepare(reference, MakeFont(u"Microsoft YaHei", -12));
  RECT rect{10, 5, 100, 30};
  DrawTextW(reference.dc(), u"升级中", 3, &rect, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_TRUE(SamePixels(drawn, reference, RECT{0, 0, 100, 30}));
  EXPECT_NE(drawn.InkBox(kWhite).right, 0);
}

TEST_F(DrawText, DefaultGuiFontDraws) {
  Dib dib(100, 20);
  Prepare(dib, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dib.dc(), &metrics);
  EXPECT_GE(metrics.tmHeight, 12);
  EXPECT_LT(metrics.tmHeight, 16);
  RECT rect{0, 0, 100, 20};
  DrawTextW(dib.dc(), u"OK 确定", -1, &rect, DT_SINGLELINE);
  EXPECT_GT(dib.InkBox(kWhite).right, 20);
}

}  // namespace
