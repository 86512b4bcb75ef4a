#include <gtest/gtest.h>
#include <textserv.h>
#include <windows.h>

namespace {

TEST(BuiltinModules, WholeLayerHandsOutItsProcedures) {
  struct Case { const char16_t* module; const char* proc; FARPROC expected; };
  const Case cases[] = {
      {u"msimg32.dll", "AlphaBlend", reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&AlphaBlend))},
      {u"MSIMG32.DLL", "AlphaBlend", reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&AlphaBlend))},
      {u"msftedit.dll", "CreateTextServices", reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&CreateTextServices))},
  };
  for (const auto& c : cases) {
    HMODULE module = LoadLibraryW(c.module);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, c.proc), c.expected);
    FreeLibrary(module);
  }
  HMODULE msimg32 = LoadLibraryW(u"msimg32.dll");
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(msimg32, "GradientFill"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  FreeLibrary(msimg32);
}

}  // namespace
