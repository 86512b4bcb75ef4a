// Resources of the running program. They are embedded at build time as a
// resource tree in the ELF section "zv_resources" (see cmake/ZvResources.cmake),
// whose bounds the linker publishes as __start_/__stop_ symbols. The symbols
// are weak so that a program without resources links and simply has none.

#include <span>

#include "resource_tree.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/resource.h"

extern "C" const std::uint8_t __start_zv_resources[] __attribute__((weak));
extern "C" const std::uint8_t __stop_zv_resources[] __attribute__((weak));

namespace {

constexpr std::size_t kDataEntrySize = 16;

std::span<const std::uint8_t> OwnSection() {
  if (__start_zv_resources == nullptr || __stop_zv_resources == nullptr) return {};
  return {__start_zv_resources, __stop_zv_resources};
}

// Our programs are single modules: only the program itself has resources.
bool IsOwnModule(HMODULE module) { return module == nullptr || module == GetModuleHandleW(nullptr); }

// Data addresses in the embedded tree are offsets from the section's start.
std::optional<std::uint64_t> OffsetInSection(std::uint32_t address, std::uint32_t size) {
  const std::uint64_t sectionSize = OwnSection().size();
  if (address > sectionSize || size > sectionSize - address) return std::nullopt;
  return address;
}

// The data entry that an HRSRC points at, checked to lie in the section.
const std::uint8_t* DataEntryOf(HRSRC resource) {
  const auto section = OwnSection();
  const auto* entry = reinterpret_cast<const std::uint8_t*>(resource);
  if (section.empty() || entry < section.data() || entry > section.data() + section.size() - kDataEntrySize)
    return nullptr;
  return entry;
}

}  // namespace

HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
  if (type == nullptr || name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto section = OwnSection();
  // Windows's answer for a module that has no resource section at all.
  if (!IsOwnModule(module) || section.empty()) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  const zv::MemorySource source(section);
  const zv::ResourceDirectory tree{&source, 0, OffsetInSection};
  zv::FoundResource found;
  const DWORD error = zv::FindResourceInTree(tree, zv::ResourceId::From(type), zv::ResourceId::From(name),
                                             language, &found);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(const_cast<std::uint8_t*>(section.data() + found.entryOffset));
}

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  return FindResourceExW(module, type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
  const std::uint8_t* entry = DataEntryOf(resource);
  std::uint32_t fields[2];  // address, size
  if (!IsOwnModule(module) || entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::memcpy(fields, entry, sizeof(fields));
  const auto offset = OffsetInSection(fields[0], fields[1]);
  if (!offset) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return const_cast<std::uint8_t*>(OwnSection().data() + *offset);
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
  const std::uint8_t* entry = DataEntryOf(resource);
  if (!IsOwnModule(module) || entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  std::uint32_t size;
  std::memcpy(&size, entry + 4, sizeof(size));
  return size;
}

// Resources are part of the program's image: locking gives their address, and
// there is nothing to free (FreeResource answers FALSE, as on Windows).
LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

BOOL WINAPI FreeResource(HGLOBAL data) { return FALSE; }
