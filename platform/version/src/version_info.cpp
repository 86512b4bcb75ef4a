// GetFileVersionInfoSizeW and GetFileVersionInfoW: the version resource
// (RT_VERSION, id 1, any language) of a PE file or of one of our own programs.

#include <cstring>
#include <vector>

#include "file_source.h"
#include "image_resources.h"
#include "version_buffer.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/version.h"
#include "zv/text.h"

namespace {

// Reads the file's VS_VERSIONINFO block; returns ERROR_SUCCESS or the error
// the version calls report:
// - the file cannot be opened: the error of opening it (ERROR_FILE_NOT_FOUND);
// - not a PE or ELF program, or one whose headers are cut off or point
//   outside the file: ERROR_BAD_EXE_FORMAT, as loading it would give;
// - no resources at all: ERROR_RESOURCE_DATA_NOT_FOUND; resources but no
//   version resource: ERROR_RESOURCE_TYPE_NOT_FOUND (also _NAME_ for a
//   version resource under another id), as Windows's resource lookup gives;
// - a version resource whose block length does not fit the resource:
//   ERROR_INVALID_DATA, rather than handing out a block that claims bytes it
//   does not have.
DWORD ReadVersionBlock(LPCWSTR fileName, std::vector<std::uint8_t>* block) {
  if (fileName == nullptr) return ERROR_INVALID_PARAMETER;
  zv::FileSource file;
  DWORD error = ERROR_SUCCESS;
  if (!file.Open(zv::NativePath(fileName), &error)) return error;
  zv::ResourceDirectory tree;
  error = zv::FindImageResourceTree(file, &tree);
  if (error != ERROR_SUCCESS) return error;
  zv::FoundResource found;
  error = zv::FindResourceInTree(tree, zv::ResourceId::From(RT_VERSION),
                                 zv::ResourceId::From(MAKEINTRESOURCEW(VS_VERSION_INFO)), LANG_NEUTRAL, &found);
  if (error != ERROR_SUCCESS) return error;
  WORD length = 0;
  if (!zv::ReadValue(file, found.dataOffset, &length) || length < zv::kVersionNodeHeaderSize || length > found.size)
    return ERROR_INVALID_DATA;
  block->resize(length);
  if (!file.Read(found.dataOffset, block->data(), length)) return ERROR_INVALID_DATA;
  return ERROR_SUCCESS;
}

}  // namespace

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) {
  if (handle != nullptr) *handle = 0;
  std::vector<std::uint8_t> block;
  const DWORD error = ReadVersionBlock(fileName, &block);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return 0;
  }
  return static_cast<DWORD>(zv::VersionBufferSize(block.size()));
}

// A buffer smaller than GetFileVersionInfoSizeW's answer is refused with
// ERROR_INSUFFICIENT_BUFFER and left untouched: a cut-off block would claim
// bytes it does not hold, and the queries could not tell.
BOOL WINAPI GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD length, LPVOID data) {
  if (data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<std::uint8_t> block;
  const DWORD error = ReadVersionBlock(fileName, &block);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  if (length < zv::VersionBufferSize(block.size())) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* out = static_cast<std::uint8_t*>(data);
  std::memcpy(out, block.data(), block.size());
  const std::uint32_t tail[2] = {zv::kAnsiTailSignature, static_cast<std::uint32_t>(block.size())};
  std::memcpy(out + zv::AnsiTailOffset(block.size()), tail, sizeof(tail));
  return TRUE;
}
