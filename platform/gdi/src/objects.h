// GDI objects behind the handles: every handle is the address of one of these,
// checked against the table of live objects before use, so a stale or foreign
// handle gives an error instead of a crash.
#pragma once

#include <cairo.h>

#include <pango/pango.h>

#include "win/base.h"
#include "win/gdi.h"
#include "win/kernel.h"

namespace zv::gdi {

enum class Kind { Pen, Brush, Font, Bitmap, Region, DC };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  const Kind kind;
  bool stock = false;
  // Device contexts (and their saved states) that hold the object selected.
  int selections = 0;
  // DeleteObject came while the object was selected: it goes when released.
  bool deletePending = false;
};

struct Pen : Object {
  Pen() : Object(Kind::Pen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

struct Brush : Object {
  Brush() : Object(Kind::Brush) {}
  bool null = false;
  COLORREF color = 0;
};

struct Font : Object {
  Font() : Object(Kind::Font) {}
  ~Font() override;
  LOGFONTW log{};
  PangoFontDescription* description = nullptr;  // made on first use
};

struct Bitmap : Object {
  Bitmap() : Object(Kind::Bitmap) {}
  ~Bitmap() override;
  cairo_surface_t* surface = nullptr;
  unsigned char* memory = nullptr;  // the pixel block we allocated
  int width = 0;
  int height = 0;
  bool dibSection = false;
  bool bottomUp = false;
  BITMAPINFOHEADER header{};
  struct DC* selectedInto = nullptr;
};

struct Region : Object {
  Region() : Object(Kind::Region) {}
  ~Region() override;
  cairo_region_t* region = nullptr;
};

// Registers a new object as live and gives its handle.
void* Register(Object* object);
// The live object behind a handle, or null.
Object* Find(const void* handle);
template <class T>
T* FindAs(const void* handle, Kind kind) {
  Object* o = Find(handle);
  return o != nullptr && o->kind == kind ? static_cast<T*>(o) : nullptr;
}
// Unregisters and frees an object.
void Destroy(Object* object);

// Selection bookkeeping: Retain when a DC (or a saved state) starts to hold the
// object, Release when it stops; a release may complete a pending deletion.
void Retain(Object* object);
void Release(Object* object);

// Sets the thread's last error and returns `result`.
template <class T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

}  // namespace zv::gdi
