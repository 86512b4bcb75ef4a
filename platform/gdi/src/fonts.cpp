// Fonts: the layer's own fontconfig configuration, the shared Pango context,
// logical fonts and their metrics.
#include "fonts.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "dc.h"
#include "zv/gdi_text.h"
#include "zv/text.h"

namespace zv::gdi {
namespace {

// The fonts text is drawn with, whatever else the machine has: rendering must be
// the same everywhere, so the configuration knows these files only. They come
// from Debian's fonts-wqy-microhei and fonts-dejavu-core.
constexpr const char* kFontFiles[] = {
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
};

constexpr char kDefaultFamily[] = "WenQuanYi Micro Hei";

// Windows face names map to WenQuanYi Micro Hei, which covers Latin and Chinese
// alike; DejaVu Sans is there for the symbols it lacks. Faces without a bold or
// italic file get them synthesised.
constexpr char kConfig[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="strong"><family>Microsoft YaHei</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="strong"><family>微软雅黑</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="strong"><family>SimSun</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="strong"><family>宋体</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="strong"><family>MS Shell Dlg</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="strong"><family>MS Shell Dlg 2</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="strong"><family>MS Sans Serif</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="strong"><family>System</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="strong"><family>Tahoma</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="strong"><family>Segoe UI</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias><family>sans-serif</family><prefer><family>WenQuanYi Micro Hei</family><family>DejaVu Sans</family></prefer></alias>
  <match target="font">
    <test name="weight" compare="less_eq"><const>medium</const></test>
    <test target="pattern" name="weight" compare="more_eq"><const>bold</const></test>
    <edit name="embolden" mode="assign"><bool>true</bool></edit>
    <edit name="weight" mode="assign"><const>bold</const></edit>
  </match>
  <match target="font">
    <test name="slant"><const>roman</const></test>
    <test target="pattern" name="slant" compare="not_eq"><const>roman</const></test>
    <edit name="matrix" mode="assign">
      <times><name>matrix</name><matrix><double>1</double><double>0.2</double><double>0</double><double>1</double></matrix></times>
    </edit>
    <edit name="slant" mode="assign"><const>oblique</const></edit>
  </match>
</fontconfig>
)";

// Our configuration; when none of our font files can be read the system's own
// configuration stands in, so that text still shows.
FcConfig* LoadFontConfig() {
  FcConfig* config = FcConfigCreate();
  bool loaded = FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kConfig), FcTrue) == FcTrue;
  bool anyFont = false;
  for (const char* file : kFontFiles) {
    anyFont = FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file)) == FcTrue || anyFont;
  }
  if (loaded && anyFont) return config;
  FcConfigDestroy(config);
  return FcInitLoadConfigAndFonts();
}

PangoContext* MakeContext() {
  PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
  FcConfig* config = LoadFontConfig();
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
  FcConfigDestroy(config);  // the font map holds its own reference
  pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(map), 96.0);
  PangoContext* context = pango_font_map_create_context(map);
  g_object_unref(map);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_context_set_language(context, pango_language_from_string("zh-cn"));
  return context;
}

// Cell height (ascent + descent) per pixel of character height, for the positive
// LOGFONT heights that give the cell rather than the character.
double CellPerEm(const PangoFontDescription* description) {
  PangoFontDescription* probe = pango_font_description_copy(description);
  constexpr int kProbePixels = 100;
  pango_font_description_set_absolute_size(probe, kProbePixels * PANGO_SCALE);
  PangoFontMetrics* metrics = pango_context_get_metrics(SharedTextContext(), probe, nullptr);
  const double cell = pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics);
  pango_font_metrics_unref(metrics);
  pango_font_description_free(probe);
  return cell > 0 ? cell / (kProbePixels * PANGO_SCALE) : 1.0;
}

// A LOGFONT height of 0 asks for the default size.
constexpr double kDefaultPixelHeight = 12;

PangoFontDescription* DescribeLogFont(const LOGFONTW& log) {
  const std::u16string face(log.lfFaceName, WideLength(log.lfFaceName) < LF_FACESIZE
                                                ? WideLength(log.lfFaceName)
                                                : static_cast<std::size_t>(LF_FACESIZE));
  PangoFontDescription* description =
      NewFontDescription(face, kDefaultPixelHeight, log.lfWeight, log.lfItalic != 0);
  if (log.lfHeight < 0) {
    pango_font_description_set_absolute_size(description, -static_cast<double>(log.lfHeight) * PANGO_SCALE);
  } else if (log.lfHeight > 0) {
    pango_font_description_set_absolute_size(description, log.lfHeight / CellPerEm(description) * PANGO_SCALE);
  }
  return description;
}

}  // namespace

const PangoFontDescription* DescriptionOf(Font& font) {
  if (font.description == nullptr) font.description = DescribeLogFont(font.log);
  return font.description;
}

PangoAttrList* NewFontAttributes(const Font& font) {
  PangoAttrList* attributes = pango_attr_list_new();
  AddLayoutDefaults(attributes);
  if (font.log.lfUnderline != 0) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (font.log.lfStrikeOut != 0) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
  return attributes;
}

}  // namespace zv::gdi

namespace zv {

std::recursive_mutex& TextLock() {
  static std::recursive_mutex lock;
  return lock;
}

PangoContext* SharedTextContext() {
  static PangoContext* context = gdi::MakeContext();  // process lifetime
  return context;
}

PangoFontDescription* NewFontDescription(std::u16string_view face, double pixelHeight, int weight, bool italic) {
  // The default face follows the named one, so that a face the configuration
  // does not know still comes out in the layer's default rather than at random.
  std::string families = face.empty() ? std::string() : ToUtf8(face) + ",";
  families += gdi::kDefaultFamily;
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, families.c_str());
  pango_font_description_set_weight(description,
                                    static_cast<PangoWeight>(weight <= 0 ? FW_NORMAL : std::clamp(weight, 100, 1000)));
  pango_font_description_set_style(description, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(description, std::max(1.0, pixelHeight) * PANGO_SCALE);
  return description;
}

void AddLayoutDefaults(PangoAttrList* attributes) {
  pango_attr_list_insert(attributes, pango_attr_insert_hyphens_new(FALSE));
}

bool DrawOnDC(HDC hdc, const std::function<void(cairo_t*)>& draw) {
  gdi::DC* dc = gdi::FindDC(hdc);
  if (dc == nullptr) return false;
  gdi::Canvas canvas(*dc);
  draw(canvas.get());
  return true;
}

}  // namespace zv

using namespace zv::gdi;

// A weight above 1000 (a bold weight added to a normal one, say) draws as the
// heaviest weight rather than failing; a negative weight is refused. A face name
// is read up to its terminating zero or its 32 characters.
HFONT WINAPI CreateFontIndirectW(const LOGFONTW* log) {
  if (log == nullptr || log->lfWeight < 0) return Fail<HFONT>(ERROR_INVALID_PARAMETER, nullptr);
  auto* font = new Font();
  font->log = *log;
  return static_cast<HFONT>(Register(font));
}

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics) {
  DC* dc = FindDC(hdc);
  if (dc == nullptr || metrics == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::recursive_mutex> guard(zv::TextLock());
  Font& font = *dc->state.font;
  const PangoFontDescription* description = DescriptionOf(font);
  PangoFont* loaded = pango_context_load_font(zv::SharedTextContext(), description);
  PangoFontMetrics* fm = pango_font_get_metrics(loaded, nullptr);
  const int ascent = PANGO_PIXELS(pango_font_metrics_get_ascent(fm));
  const int descent = PANGO_PIXELS(pango_font_metrics_get_descent(fm));
  const int em = static_cast<int>(std::lround(pango_font_description_get_size(description) / double(PANGO_SCALE)));
  *metrics = TEXTMETRICW{};
  metrics->tmAscent = ascent;
  metrics->tmDescent = descent;
  metrics->tmHeight = ascent + descent;
  metrics->tmInternalLeading = std::max(0, ascent + descent - em);
  metrics->tmAveCharWidth = PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(fm));
  metrics->tmMaxCharWidth = std::max(metrics->tmAveCharWidth, em);
  metrics->tmWeight = font.log.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(font.log.lfWeight, 1000);
  metrics->tmDigitizedAspectX = 96;
  metrics->tmDigitizedAspectY = 96;
  metrics->tmFirstChar = 0x20;
  metrics->tmLastChar = 0xFFFC;
  metrics->tmDefaultChar = 0x20;
  metrics->tmBreakChar = 0x20;
  metrics->tmItalic = font.log.lfItalic;
  metrics->tmUnderlined = font.log.lfUnderline;
  metrics->tmStruckOut = font.log.lfStrikeOut;
  // TMPF_VECTOR | TMPF_TRUETYPE, and variable pitch (the bit set means variable).
  metrics->tmPitchAndFamily = 0x01 | 0x02 | 0x04 | (font.log.lfPitchAndFamily & 0xF0);
  metrics->tmCharSet = font.log.lfCharSet;
  pango_font_metrics_unref(fm);
  g_object_unref(loaded);
  return TRUE;
}
