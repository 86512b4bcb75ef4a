// An archive file known by its path: its format, found by trying the
// candidate handlers, and its metadata (item count, names and sizes), read
// once and cached.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "worker/archive/archive_format.h"

namespace SevenZip {

class SevenZipArchive {
 public:
  SevenZipArchive() = default;
  virtual ~SevenZipArchive() = default;
  SevenZipArchive(const SevenZipArchive&) = delete;
  SevenZipArchive& operator=(const SevenZipArchive&) = delete;

  // Stores the path; metadata already loaded is kept.
  virtual bool SetPath(const std::u16string& path);
  // Probes the format unless it is forced, then reads the metadata; true
  // only when both succeed.
  virtual bool LoadMetadata();
  virtual void ForceFormat(ArchiveFormat format);
  virtual ArchiveFormat GetFormat();
  virtual void SetLevel(std::int32_t level);
  virtual std::int32_t GetLevel();
  // Tries the current format, then 7z, lzma86, lzma, cab and zip, each once;
  // the format becomes the first that opens the file, or FormatNone.
  virtual bool ProbeFormat();
  virtual std::uint32_t ItemCount();
  virtual std::vector<std::u16string> ItemNames();
  virtual std::vector<std::uint32_t> ItemSizes();

 protected:
  const std::u16string& ArchivePath() const { return archivePath_; }
  ArchiveFormat Format() const { return format_; }

 private:
  bool RunProbe();
  bool ReadMetadata();
  void EnsureMetadata();

  bool metadataLoaded_ = false;
  bool formatForced_ = false;
  std::u16string archivePath_;
  ArchiveFormat format_ = FormatSevenZip;
  std::int32_t level_ = 0;
  std::uint32_t itemCount_ = 0;
  std::vector<std::u16string> itemNames_;
  std::vector<std::uint32_t> itemSizes_;
};

}  // namespace SevenZip
