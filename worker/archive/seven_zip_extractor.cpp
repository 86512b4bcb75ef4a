#include "worker/archive/seven_zip_extractor.h"

#include "windows.h"
#include "worker/archive/archive_extract_callback.h"
#include "worker/archive/archive_open_callback.h"
#include "worker/archive/file_system.h"
#include "worker/archive/format_library.h"
#include "worker/archive/in_stream_wrapper.h"
#include "worker/archive/library_ref.h"

namespace SevenZip {

namespace {
constexpr UInt32 kEveryItem = 0xFFFFFFFF;
}  // namespace

HRESULT SevenZipExtractor::ExtractTo(const std::u16string& destination) {
  // Its result is not needed: a failed probe leaves FormatNone, and opening
  // with that handler fails below with the reader's own code.
  ProbeFormat();

  Ref<IStream> file(OpenReadStream(ArchivePath()));
  if (!file) return static_cast<HRESULT>(ERROR_OPEN_FAILED);
  Ref<IInArchive> reader;
  const HRESULT created = CreateReader(Format(), reader.Out());
  if (created != S_OK) return created;
  Ref<intl::InStreamWrapper> stream(new intl::InStreamWrapper(file.Get()), AddReference);
  Ref<intl::ArchiveOpenCallback> openCallback(new intl::ArchiveOpenCallback, AddReference);
  const HRESULT opened = reader->Open(stream.Get(), nullptr, openCallback.Get());
  if (opened != S_OK) return opened;

  Ref<intl::ArchiveExtractCallback> callback(new intl::ArchiveExtractCallback(reader.Get(), destination),
                                             AddReference);
  const HRESULT result = reader->Extract(nullptr, kEveryItem, FALSE, callback.Get());
  reader->Close();
  return result;
}

}  // namespace SevenZip
