// The 7-Zip format library's COM-style interfaces, as far as the archive
// wrapper uses them, with the library's own interface ids and slot orders.
//
// The library is built for a 4-byte wchar_t: its strings (BSTR, property
// names) are wchar_t based, and it passes plain SysV calls with 32-bit
// HRESULTs. Every interface derives from the three-slot IUnknown; none has a
// virtual destructor, which would shift every slot after it.
//
// The interfaces live in the global namespace under the library's own names,
// so that one interface is one type on both sides: a sanitizer that checks
// the dynamic type of a call into the library finds it the type it expects.
#pragma once

#include <cstdint>

#include "objbase.h"
#include "win/unknwn.h"

using UInt32 = std::uint32_t;
using Int32 = std::int32_t;
using UInt64 = std::uint64_t;
using Int64 = std::int64_t;
using LibraryString = wchar_t*;  // the library's BSTR

// {23170F69-40C1-278A-0000-00GG00II0000}: group GG, interface II.
constexpr IID LibraryInterfaceId(BYTE group, BYTE id) {
  return IID{0x23170F69, 0x40C1, 0x278A, {0x00, 0x00, 0x00, group, 0x00, id, 0x00, 0x00}};
}

inline constexpr IID IID_IProgress = LibraryInterfaceId(0x00, 0x05);
inline constexpr IID IID_ISequentialInStream = LibraryInterfaceId(0x03, 0x01);
inline constexpr IID IID_ISequentialOutStream = LibraryInterfaceId(0x03, 0x02);
inline constexpr IID IID_IInStream = LibraryInterfaceId(0x03, 0x03);
inline constexpr IID IID_IOutStream = LibraryInterfaceId(0x03, 0x04);
inline constexpr IID IID_IStreamGetSize = LibraryInterfaceId(0x03, 0x06);
inline constexpr IID IID_ICompressProgressInfo = LibraryInterfaceId(0x04, 0x04);
inline constexpr IID IID_ICryptoGetTextPassword = LibraryInterfaceId(0x05, 0x10);
inline constexpr IID IID_ISetProperties = LibraryInterfaceId(0x06, 0x03);
inline constexpr IID IID_IArchiveOpenCallback = LibraryInterfaceId(0x06, 0x10);
inline constexpr IID IID_IArchiveExtractCallback = LibraryInterfaceId(0x06, 0x20);
inline constexpr IID IID_IInArchive = LibraryInterfaceId(0x06, 0x60);

namespace SevenZip {

// Item property ids.
constexpr PROPID kpidPath = 3;
constexpr PROPID kpidIsDir = 6;
constexpr PROPID kpidSize = 7;
constexpr PROPID kpidAttrib = 9;
constexpr PROPID kpidCTime = 10;
constexpr PROPID kpidATime = 11;
constexpr PROPID kpidMTime = 12;

// What the library asks of the extract callback for an item, and how it
// reports the item's outcome.
constexpr Int32 kAskModeExtract = 0;
constexpr Int32 kOperationResultOk = 0;

}  // namespace SevenZip

struct ISequentialInStream : IUnknown {
  STDMETHOD(Read)(void* data, UInt32 size, UInt32* processedSize) PURE;
};

struct IInStream : ISequentialInStream {
  STDMETHOD(Seek)(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) PURE;
};

struct IStreamGetSize : IUnknown {
  STDMETHOD(GetSize)(UInt64* size) PURE;
};

struct ISequentialOutStream : IUnknown {
  STDMETHOD(Write)(const void* data, UInt32 size, UInt32* processedSize) PURE;
};

struct IOutStream : ISequentialOutStream {
  STDMETHOD(Seek)(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) PURE;
  STDMETHOD(SetSize)(UInt64 newSize) PURE;
};

struct IProgress : IUnknown {
  STDMETHOD(SetTotal)(UInt64 total) PURE;
  STDMETHOD(SetCompleted)(const UInt64* completeValue) PURE;
};

struct ICompressProgressInfo : IUnknown {
  STDMETHOD(SetRatioInfo)(const UInt64* inSize, const UInt64* outSize) PURE;
};

struct ICryptoGetTextPassword : IUnknown {
  STDMETHOD(CryptoGetTextPassword)(LibraryString* password) PURE;
};

struct ISetProperties : IUnknown {
  STDMETHOD(SetProperties)(const wchar_t* const* names, const PROPVARIANT* values, UInt32 count) PURE;
};

struct IArchiveOpenCallback : IUnknown {
  STDMETHOD(SetTotal)(const UInt64* files, const UInt64* bytes) PURE;
  STDMETHOD(SetCompleted)(const UInt64* files, const UInt64* bytes) PURE;
};

struct IArchiveExtractCallback : IProgress {
  STDMETHOD(GetStream)(UInt32 index, ISequentialOutStream** outStream, Int32 askExtractMode) PURE;
  STDMETHOD(PrepareOperation)(Int32 askExtractMode) PURE;
  STDMETHOD(SetOperationResult)(Int32 operationResult) PURE;
};

struct IInArchive : IUnknown {
  STDMETHOD(Open)(IInStream* stream, const UInt64* maxCheckStartPosition, IArchiveOpenCallback* openCallback) PURE;
  STDMETHOD(Close)() PURE;
  STDMETHOD(GetNumberOfItems)(UInt32* numItems) PURE;
  STDMETHOD(GetProperty)(UInt32 index, PROPID propID, PROPVARIANT* value) PURE;
  STDMETHOD(Extract)(const UInt32* indices, UInt32 numItems, Int32 testMode,
                     IArchiveExtractCallback* extractCallback) PURE;
  STDMETHOD(GetArchiveProperty)(PROPID propID, PROPVARIANT* value) PURE;
  STDMETHOD(GetNumberOfProperties)(UInt32* numProps) PURE;
  STDMETHOD(GetPropertyInfo)(UInt32 index, LibraryString* name, PROPID* propID, VARTYPE* varType) PURE;
  STDMETHOD(GetNumberOfArchiveProperties)(UInt32* numProps) PURE;
  STDMETHOD(GetArchivePropertyInfo)(UInt32 index, LibraryString* name, PROPID* propID, VARTYPE* varType) PURE;
};
