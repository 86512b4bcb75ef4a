// Access to the 7-Zip format library: readers for a format, and the release
// of what the library hands out.
#pragma once

#include <string>

#include "objbase.h"
#include "worker/archive/archive_format.h"
#include "worker/archive/seven_zip_interfaces.h"

namespace SevenZip {

// The handler class id of a format: {23170F69-40C1-278A-1000-000110xx0000}.
GUID HandlerClassId(ArchiveFormat format);

// A new reader for `format`, holding one reference for the caller. It is set
// up to call every callback on the thread that calls it.
HRESULT CreateReader(ArchiveFormat format, IInArchive** reader);

// Frees a string that the library allocated.
void FreeLibraryString(LibraryString text);

// A property value filled in by the library. It starts empty, as the
// library's GetProperty wants it, and frees what the library put in it.
class PropertyValue {
 public:
  PropertyValue() { PropVariantInit(&value_); }
  ~PropertyValue() { Clear(); }
  PropertyValue(const PropertyValue&) = delete;
  PropertyValue& operator=(const PropertyValue&) = delete;

  PROPVARIANT* Out() {
    Clear();
    return &value_;
  }
  const PROPVARIANT& Value() const { return value_; }
  // The value's text when it is a string (VT_BSTR), as UTF-16.
  std::u16string Text() const;

 private:
  void Clear();
  PROPVARIANT value_;
};

}  // namespace SevenZip
