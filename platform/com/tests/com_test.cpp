#include <gtest/gtest.h>

#include <cstddef>
#include <thread>

#include "objbase.h"

namespace {

TEST(Apartment, FirstInitialisationPerThreadAndModel) {
  // A fresh thread, so that no other test's initialisation counts.
  std::thread([] {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    std::thread([] {
      EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
      CoUninitialize();
    }).join();
    int reserved = 0;
    EXPECT_EQ(CoInitialize(&reserved), E_INVALIDARG);
    for (int i = 0; i < 3; ++i) CoUninitialize();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);  // fully uninitialised: a new start
    CoUninitialize();
    CoUninitialize();  // one too many does nothing
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
  }).join();
}

UINT Prefix(BSTR text) {
  std::uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<const char*>(text) - 4, sizeof(bytes));
  return bytes;
}

TEST(Bstr, LengthPrefixTextAndTerminator) {
  struct Case {
    std::u16string text;
    bool byLength;
  } cases[] = {
      {u"", false}, {u"abc", false}, {u"升级中", false}, {std::u16string(u"a\0b", 3), true}, {u"\U0001F600", false}};
  for (const Case& c : cases) {
    BSTR text = c.byLength ? SysAllocStringLen(c.text.data(), static_cast<UINT>(c.text.size()))
                           : SysAllocString(c.text.c_str());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), c.text.size());
    EXPECT_EQ(SysStringByteLen(text), c.text.size() * 2);
    EXPECT_EQ(Prefix(text), c.text.size() * 2);
    EXPECT_EQ(std::u16string(text, SysStringLen(text)), c.text);
    EXPECT_EQ(text[c.text.size()], u'\0');
    SysFreeString(text);
  }
}

TEST(Bstr, NullAndOversizedArguments) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
  BSTR zeros = SysAllocStringLen(nullptr, 3);
  ASSERT_NE(zeros, nullptr);
  EXPECT_EQ(SysStringLen(zeros), 3u);
  EXPECT_EQ(std::u16string(zeros, 4), std::u16string(4, u'\0'));
  SysFreeString(zeros);
  // Its byte length would not fit the 32-bit prefix.
  EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
}

TEST(TaskMemory, ReallocKeepsContent) {
  auto* block = static_cast<char*>(CoTaskMemAlloc(4));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "abc", 4);
  block = static_cast<char*>(CoTaskMemRealloc(block, 4096));
  ASSERT_NE(block, nullptr);
  EXPECT_STREQ(block, "abc");
  CoTaskMemFree(block);
  CoTaskMemFree(nullptr);
}

// The cell shared with the archive library: type at 0, value at 8, 16 bytes.
TEST(PropVariant, Layout) {
  EXPECT_EQ(offsetof(PROPVARIANT, vt), 0u);
  EXPECT_EQ(offsetof(PROPVARIANT, uhVal), 8u);
  EXPECT_EQ(offsetof(PROPVARIANT, bstrVal), 8u);
  EXPECT_EQ(offsetof(PROPVARIANT, filetime), 8u);
}

struct CountedObject : IUnknown {
  ULONG references = 1;
  STDMETHODIMP QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }
};

// What a value owns is freed (the leak checker sees any that is not) and the
// value is left empty; a type we do not know is refused and left alone.
TEST(PropVariant, ClearFreesWhatTheValueOwns) {
  CountedObject object;
  PROPVARIANT values[6];
  for (PROPVARIANT& value : values) PropVariantInit(&value);
  values[0].vt = VT_BSTR;
  values[0].bstrVal = SysAllocString(u"path/in/archive.txt");
  values[1].vt = VT_LPWSTR;
  values[1].pwszVal = static_cast<LPWSTR>(CoTaskMemAlloc(16));
  values[2].vt = VT_CLSID;
  values[2].puuid = static_cast<CLSID*>(CoTaskMemAlloc(sizeof(CLSID)));
  values[3].vt = VT_UNKNOWN;
  values[3].punkVal = &object;
  values[4].vt = VT_UI8;
  values[4].uhVal.QuadPart = 0x123456789ull;
  values[5].vt = VT_BOOL | VT_BYREF;
  for (PROPVARIANT& value : values) {
    EXPECT_EQ(PropVariantClear(&value), S_OK);
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_EQ(value.uhVal.QuadPart, 0u);
  }
  EXPECT_EQ(object.references, 0u);

  PROPVARIANT vector;
  PropVariantInit(&vector);
  vector.vt = VT_VECTOR | VT_UI4;
  vector.ulVal = 5;
  EXPECT_EQ(PropVariantClear(&vector), DISP_E_BADVARTYPE);
  EXPECT_EQ(vector.vt, VT_VECTOR | VT_UI4);
  EXPECT_EQ(vector.ulVal, 5u);
  EXPECT_EQ(PropVariantClear(nullptr), S_OK);
}

// Callers built against the standard interface reach each method through its
// slot number; the declaration must keep that order.
struct SlotRecorder : IStream {
  int last = -1;
  STDMETHODIMP QueryInterface(REFIID, void**) override { return last = 0, S_OK; }
  STDMETHODIMP_(ULONG) AddRef() override { return last = 1, 1; }
  STDMETHODIMP_(ULONG) Release() override { return last = 2, 1; }
  STDMETHODIMP Read(void*, ULONG, ULONG*) override { return last = 3, S_OK; }
  STDMETHODIMP Write(const void*, ULONG, ULONG*) override { return last = 4, S_OK; }
  STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return last = 5, S_OK; }
  STDMETHODIMP SetSize(ULARGE_INTEGER) override { return last = 6, S_OK; }
  STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return last = 7, S_OK; }
  STDMETHODIMP Commit(DWORD) override { return last = 8, S_OK; }
  STDMETHODIMP Revert() override { return last = 9, S_OK; }
  STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return last = 10, S_OK; }
  STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return last = 11, S_OK; }
  STDMETHODIMP Stat(STATSTG*, DWORD) override { return last = 12, S_OK; }
  STDMETHODIMP Clone(IStream**) override { return last = 13, S_OK; }
};

TEST(Streams, SlotOrder) {
  SlotRecorder stream;
  IStream* object = &stream;
  // Every argument travels in a register, so one pointer type reaches each slot.
  using Method = HRESULT (*)(IStream*, void*, void*, void*);
  void** table = *reinterpret_cast<void***>(object);
  for (int slot : {0, 3, 4, 8, 9, 12, 13}) {
    reinterpret_cast<Method>(table[slot])(object, nullptr, nullptr, nullptr);
    EXPECT_EQ(stream.last, slot);
  }
}

}  // namespace
