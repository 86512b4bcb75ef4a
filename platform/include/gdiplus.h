// The part of the GDI+ library the toolkit uses: starting and stopping the
// library, a graphics object on a device context and solid ARGB fills that blend
// with what is beneath.
#pragma once

#include "win/base.h"
#include "win/gdi.h"

namespace Gdiplus {

using REAL = float;
using UINT32 = std::uint32_t;
using ARGB = DWORD;

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};

enum DebugEventLevel { DebugEventLevelFatal, DebugEventLevelWarning };
using DebugEventProc = void(WINAPI*)(DebugEventLevel level, CHAR* message);
using NotificationHookProc = Status(WINAPI*)(ULONG_PTR* token);
using NotificationUnhookProc = void(WINAPI*)(ULONG_PTR token);

struct GdiplusStartupInput {
  UINT32 GdiplusVersion = 1;
  DebugEventProc DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;

  GdiplusStartupInput() = default;
  GdiplusStartupInput(DebugEventProc callback, BOOL suppressBackgroundThread = FALSE,
                      BOOL suppressExternalCodecs = FALSE)
      : DebugEventCallback(callback),
        SuppressBackgroundThread(suppressBackgroundThread),
        SuppressExternalCodecs(suppressExternalCodecs) {}
};

struct GdiplusStartupOutput {
  NotificationHookProc NotificationHook;
  NotificationUnhookProc NotificationUnhook;
};

Status WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void WINAPI GdiplusShutdown(ULONG_PTR token);

class Color {
 public:
  Color() = default;
  Color(BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(255, r, g, b)) {}
  Color(BYTE a, BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(a, r, g, b)) {}
  Color(ARGB argb) : argb_(argb) {}  // NOLINT(google-explicit-constructor): as the library declares it

  BYTE GetAlpha() const { return static_cast<BYTE>(argb_ >> 24); }
  BYTE GetA() const { return GetAlpha(); }
  BYTE GetRed() const { return static_cast<BYTE>(argb_ >> 16); }
  BYTE GetR() const { return GetRed(); }
  BYTE GetGreen() const { return static_cast<BYTE>(argb_ >> 8); }
  BYTE GetG() const { return GetGreen(); }
  BYTE GetBlue() const { return static_cast<BYTE>(argb_); }
  BYTE GetB() const { return GetBlue(); }
  ARGB GetValue() const { return argb_; }
  void SetValue(ARGB argb) { argb_ = argb; }

  static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
    return (static_cast<ARGB>(a) << 24) | (static_cast<ARGB>(r) << 16) | (static_cast<ARGB>(g) << 8) | b;
  }

 private:
  ARGB argb_ = 0xFF000000;
};

struct Rect {
  INT X = 0;
  INT Y = 0;
  INT Width = 0;
  INT Height = 0;
  Rect() = default;
  Rect(INT x, INT y, INT width, INT height) : X(x), Y(y), Width(width), Height(height) {}
};

struct RectF {
  REAL X = 0;
  REAL Y = 0;
  REAL Width = 0;
  REAL Height = 0;
  RectF() = default;
  RectF(REAL x, REAL y, REAL width, REAL height) : X(x), Y(y), Width(width), Height(height) {}
};

class Brush {
 public:
  virtual ~Brush() = default;
  Brush(const Brush&) = delete;
  Brush& operator=(const Brush&) = delete;
  Status GetLastStatus() const { return lastStatus_; }

 protected:
  Brush() = default;
  mutable Status lastStatus_ = Ok;
};

class SolidBrush : public Brush {
 public:
  explicit SolidBrush(const Color& color) : color_(color) {}
  Status GetColor(Color* color) const;
  Status SetColor(const Color& color);

 private:
  Color color_;
};

class Graphics {
 public:
  explicit Graphics(HDC hdc);
  ~Graphics() = default;
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  static Graphics* FromHDC(HDC hdc) { return new Graphics(hdc); }

  Status FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height);
  Status FillRectangle(const Brush* brush, const Rect& rect);
  Status FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
  Status FillRectangle(const Brush* brush, const RectF& rect);
  Status Clear(const Color& color);
  // Gives the status of the last call and resets it to Ok.
  Status GetLastStatus() const;

 private:
  Status Fill(const Brush* brush, double x, double y, double width, double height, bool replace);

  HDC hdc_;
  mutable Status lastStatus_ = Ok;
};

}  // namespace Gdiplus
