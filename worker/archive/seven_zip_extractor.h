// An archive that can be unpacked into a folder. Whatever stands in the way
// of an item there is deleted first.
#pragma once

#include <string>

#include "win/base.h"
#include "worker/archive/seven_zip_archive.h"

namespace SevenZip {

class SevenZipExtractor : public SevenZipArchive {
 public:
  // Unpacks every item into `destination`. 0 when every item was written;
  // ERROR_OPEN_FAILED (110) when the file cannot be opened; otherwise the
  // reader's Open result, the first failure of the extraction callback or
  // the library's own code.
  virtual HRESULT ExtractTo(const std::u16string& destination);
};

}  // namespace SevenZip
