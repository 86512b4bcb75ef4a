#include "worker/archive/seven_zip_archive.h"

#include <algorithm>

#include "worker/archive/archive_open_callback.h"
#include "worker/archive/file_system.h"
#include "worker/archive/format_library.h"
#include "worker/archive/in_stream_wrapper.h"
#include "worker/archive/library_ref.h"

namespace SevenZip {

bool SevenZipArchive::SetPath(const std::u16string& path) {
  archivePath_ = path;
  return true;
}

bool SevenZipArchive::LoadMetadata() {
  const bool probed = formatForced_ || RunProbe();
  const bool read = ReadMetadata();
  return probed && read;
}

void SevenZipArchive::ForceFormat(ArchiveFormat format) {
  format_ = format;
  formatForced_ = true;
  metadataLoaded_ = false;
}

ArchiveFormat SevenZipArchive::GetFormat() {
  if (!metadataLoaded_ && !formatForced_) metadataLoaded_ = LoadMetadata();
  return format_;
}

void SevenZipArchive::SetLevel(std::int32_t level) { level_ = level; }

std::int32_t SevenZipArchive::GetLevel() { return level_; }

bool SevenZipArchive::ProbeFormat() {
  formatForced_ = false;
  return RunProbe();
}

std::uint32_t SevenZipArchive::ItemCount() {
  EnsureMetadata();
  return itemCount_;
}

std::vector<std::u16string> SevenZipArchive::ItemNames() {
  EnsureMetadata();
  return itemNames_;
}

std::vector<std::uint32_t> SevenZipArchive::ItemSizes() {
  EnsureMetadata();
  return itemSizes_;
}

void SevenZipArchive::EnsureMetadata() {
  if (!metadataLoaded_) metadataLoaded_ = LoadMetadata();
}

bool SevenZipArchive::RunProbe() {
  Ref<IStream> file(OpenReadStream(archivePath_));
  if (!file) return false;

  // The current format first, then the rest in their fixed order, each once:
  // the last copy of the current format is the one taken out of the tail.
  std::vector<ArchiveFormat> candidates{format_, FormatSevenZip, FormatLzma86, FormatLzma, FormatCab, FormatZip};
  const auto tail = std::find(candidates.rbegin(), candidates.rend(), format_);
  candidates.erase(std::next(tail).base());

  Ref<intl::ArchiveOpenCallback> callback(new intl::ArchiveOpenCallback, AddReference);
  for (const ArchiveFormat candidate : candidates) {
    format_ = candidate;
    Ref<IInArchive> reader;
    if (CreateReader(candidate, reader.Out()) != S_OK) continue;
    Ref<intl::InStreamWrapper> stream(new intl::InStreamWrapper(file.Get()), AddReference);
    LARGE_INTEGER start{};
    file->Seek(start, STREAM_SEEK_SET, nullptr);
    const UInt64 maxStartPosition = 0;
    const HRESULT opened = reader->Open(stream.Get(), &maxStartPosition, callback.Get());
    reader->Close();
    if (opened == S_OK) return true;
  }
  format_ = FormatNone;
  return false;
}

bool SevenZipArchive::ReadMetadata() {
  Ref<IStream> file(OpenReadStream(archivePath_));
  if (!file) return false;
  Ref<IInArchive> reader;
  if (CreateReader(format_, reader.Out()) != S_OK) return false;
  Ref<intl::InStreamWrapper> stream(new intl::InStreamWrapper(file.Get()), AddReference);
  Ref<intl::ArchiveOpenCallback> callback(new intl::ArchiveOpenCallback, AddReference);
  if (reader->Open(stream.Get(), nullptr, callback.Get()) != S_OK) return false;

  UInt32 count = 0;
  if (reader->GetNumberOfItems(&count) != S_OK) return false;
  itemCount_ = count;
  itemNames_.assign(count, std::u16string());
  itemSizes_.assign(count, 0);
  for (UInt32 index = 0; index < count; ++index) {
    PropertyValue size;
    if (reader->GetProperty(index, kpidSize, size.Out()) != S_OK) return false;
    itemSizes_[index] = static_cast<std::uint32_t>(size.Value().uhVal.QuadPart);
    PropertyValue path;
    if (reader->GetProperty(index, kpidPath, path.Out()) != S_OK) return false;
    if (path.Value().vt == VT_BSTR) itemNames_[index] = path.Text();
  }
  reader->Close();
  return true;
}

}  // namespace SevenZip
