#include "worker/archive/archive_extract_callback.h"

#include <new>

#include "windows.h"
#include "worker/archive/extraction_log.h"
#include "worker/archive/file_system.h"
#include "worker/archive/format_library.h"
#include "worker/archive/out_stream_wrapper.h"

namespace SevenZip::intl {
namespace {

// What a failed directory creation gives: the platform's code for a failed
// create.
constexpr HRESULT kDirectoryNotCreated = 1631;

// The last error as an HRESULT. A failure must never reach the library as
// success, so a call that failed without leaving a code gives E_FAIL.
HRESULT LastErrorAsHresult() {
  const DWORD code = GetLastError();
  return code == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(code);
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Reads one optional property whose value must be of an accepted type.
template <typename Store>
HRESULT ReadOptional(IInArchive* reader, UInt32 index, PROPID id, Store store) {
  PropertyValue value;
  const HRESULT result = reader->GetProperty(index, id, value.Out());
  if (result != S_OK) return result;
  return store(value.Value()) ? S_OK : E_FAIL;
}

bool StoreTime(const PROPVARIANT& value, bool& has, FILETIME& time) {
  has = value.vt == VT_FILETIME;
  if (has) time = value.filetime;
  return has || value.vt == VT_EMPTY;
}

}  // namespace

ArchiveExtractCallback::ArchiveExtractCallback(IInArchive* reader, const std::u16string& destination)
    : reader_(reader), destination_(destination) {
  reader_->AddRef();
  if (destination_.empty() || !IsSeparator(destination_.back())) destination_ += u"\\";
}

ArchiveExtractCallback::~ArchiveExtractCallback() { reader_->Release(); }

HRESULT ArchiveExtractCallback::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IArchiveExtractCallback) {
    *object = static_cast<IArchiveExtractCallback*>(this);
  } else if (riid == IID_ICryptoGetTextPassword) {
    *object = static_cast<ICryptoGetTextPassword*>(this);
  } else if (riid == IID_ICompressProgressInfo) {
    *object = static_cast<ICompressProgressInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ArchiveExtractCallback::AddRef() { return ++references_; }

ULONG ArchiveExtractCallback::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ArchiveExtractCallback::SetTotal(UInt64) { return S_OK; }

HRESULT ArchiveExtractCallback::SetCompleted(const UInt64*) { return S_OK; }

HRESULT ArchiveExtractCallback::PrepareOperation(Int32) { return S_OK; }

// An encrypted package cannot be ours: no password is ever given.
HRESULT ArchiveExtractCallback::CryptoGetTextPassword(LibraryString*) { return E_ABORT; }

HRESULT ArchiveExtractCallback::SetRatioInfo(const UInt64*, const UInt64*) { return S_OK; }

HRESULT ArchiveExtractCallback::ReadPath(UInt32 index) {
  PropertyValue value;
  const HRESULT result = reader_->GetProperty(index, kpidPath, value.Out());
  if (result != S_OK) return result;
  if (value.Value().vt == VT_EMPTY) {
    relativePath_ = u"[Content]";
  } else if (value.Value().vt == VT_BSTR) {
    relativePath_ = value.Text();
  } else {
    return E_FAIL;
  }
  return S_OK;
}

HRESULT ArchiveExtractCallback::ReadItemProperties(UInt32 index) {
  HRESULT result = ReadOptional(reader_, index, kpidAttrib, [this](const PROPVARIANT& v) {
    hasAttributes_ = v.vt == VT_UI4;
    if (hasAttributes_) attributes_ = v.ulVal;
    return hasAttributes_ || v.vt == VT_EMPTY;
  });
  if (result == S_OK) {
    result = ReadOptional(reader_, index, kpidIsDir, [this](const PROPVARIANT& v) {
      isDirectory_ = v.vt == VT_BOOL && v.boolVal != 0;
      return v.vt == VT_BOOL || v.vt == VT_EMPTY;
    });
  }
  if (result == S_OK) {
    result = ReadOptional(reader_, index, kpidMTime,
                          [this](const PROPVARIANT& v) { return StoreTime(v, hasModifiedTime_, modifiedTime_); });
  }
  if (result == S_OK) {
    result = ReadOptional(reader_, index, kpidCTime,
                          [this](const PROPVARIANT& v) { return StoreTime(v, hasCreatedTime_, createdTime_); });
  }
  if (result == S_OK) {
    result = ReadOptional(reader_, index, kpidATime,
                          [this](const PROPVARIANT& v) { return StoreTime(v, hasAccessedTime_, accessedTime_); });
  }
  if (result == S_OK) {
    result = ReadOptional(reader_, index, kpidSize, [this](const PROPVARIANT& v) {
      hasSize_ = true;
      switch (v.vt) {
        case VT_UI1: size_ = v.bVal; return true;
        case VT_UI2: size_ = v.uiVal; return true;
        case VT_UI4: size_ = v.ulVal; return true;
        case VT_UI8: size_ = v.uhVal.QuadPart; return true;
        default: hasSize_ = false; return v.vt == VT_EMPTY;
      }
    });
  }
  return result;
}

HRESULT ArchiveExtractCallback::GetStream(UInt32 index, ISequentialOutStream** outStream, Int32 askExtractMode) {
  HRESULT result = ReadPath(index);
  if (result == S_OK && askExtractMode != kAskModeExtract) return S_OK;
  if (result == S_OK) result = ReadItemProperties(index);
  if (result != S_OK) {
    WriteLogLine(u"获取数据失败\n");
    return result;
  }
  *outStream = nullptr;

  // An item may only land inside the destination: a path that is absolute,
  // names a drive or climbs out with ".." ends the extraction before
  // anything is written for it.
  if (!IsContainedItemPath(relativePath_)) {
    WriteLogLine(u"拒绝路径:%s\n", relativePath_);
    fullPath_.clear();
    return HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);
  }
  fullPath_ = JoinPath(destination_, relativePath_);

  if (isDirectory_) {
    WriteLogLine(u"DirBegin:%s\n", fullPath_);
    EnsureDirectoryTree(fullPath_);
    return S_OK;
  }
  WriteLogLine(u"FileBegin:%s\n", fullPath_);
  if (PathExists(fullPath_) && !DeletePath(fullPath_)) {
    WriteLogLine(u"移除路径失败:%s\n", fullPath_);
    return LastErrorAsHresult();
  }
  const std::u16string folder = DirectoryPart(fullPath_);
  if (!EnsureDirectoryTree(folder)) {
    WriteLogLine(u"创建目录失败:%s\n", folder);
    return kDirectoryNotCreated;
  }
  return OpenItemFile(outStream);
}

HRESULT ArchiveExtractCallback::OpenItemFile(ISequentialOutStream** outStream) {
  IStream* file = CreateWriteStream(fullPath_);
  if (file == nullptr) {
    const HRESULT failure = LastErrorAsHresult();
    WriteLogLine(u"创建文件失败:%s\n", fullPath_);
    fullPath_.clear();
    return failure;
  }
  auto* wrapper = new (std::nothrow) OutStreamWrapper(file);
  file->Release();  // the wrapper holds its own reference, or the file closes here
  if (wrapper == nullptr) {
    WriteLogLine(u"内存不足\n");
    return E_OUTOFMEMORY;
  }
  wrapper->AddRef();
  *outStream = wrapper;
  return S_OK;
}

HRESULT ArchiveExtractCallback::SetOperationResult(Int32 operationResult) {
  if (fullPath_.empty()) {
    WriteLogLine(u"AllDone\n");
    return S_OK;
  }
  // Damaged data is a failed extraction: the damaged file is removed, so
  // that no broken program file is taken for a good one later, and the
  // package is not reported as installed.
  if (operationResult != kOperationResultOk) {
    WriteLogLine(u"数据损坏:%s\n", fullPath_);
    if (!isDirectory_) DeletePath(fullPath_);
    return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  }
  ApplyTimesAndAttributes();
  WriteLogLine(u"FileDone:%s\n", fullPath_);
  return S_OK;
}

void ArchiveExtractCallback::ApplyTimesAndAttributes() {
  if (hasCreatedTime_ || hasAccessedTime_ || hasModifiedTime_) {
    HANDLE file = CreateFileW(fullPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      SetFileTime(file, hasCreatedTime_ ? &createdTime_ : nullptr, hasAccessedTime_ ? &accessedTime_ : nullptr,
                  hasModifiedTime_ ? &modifiedTime_ : nullptr);
      CloseHandle(file);
    }
  }
  if (hasAttributes_) SetFileAttributesW(fullPath_.c_str(), attributes_);
}

}  // namespace SevenZip::intl
