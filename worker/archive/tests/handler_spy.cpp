#include "handler_spy.h"

#include <mutex>

#include <gtest/gtest.h>

#include "win/kernel.h"
#include "win/unknwn.h"
#include "zv/builtin_modules.h"

namespace archive_test {
namespace {

using CreateObjectProc = HRESULT (*)(const GUID*, const GUID*, void**);

std::mutex lock;
std::vector<BYTE> tried;
CreateObjectProc realCreateObject = nullptr;

HRESULT RecordingCreateObject(const GUID* classId, const GUID* interfaceId, void** object) {
  {
    std::lock_guard guard(lock);
    tried.push_back(classId->Data4[5]);
  }
  return realCreateObject(classId, interfaceId, object);
}

class InstallSpy : public ::testing::Environment {
 public:
  void SetUp() override {
    HMODULE module = LoadLibraryW(u"7z.dll");
    ASSERT_NE(module, nullptr);
    realCreateObject =
        reinterpret_cast<CreateObjectProc>(reinterpret_cast<void (*)()>(GetProcAddress(module, "CreateObject")));
    ASSERT_NE(realCreateObject, nullptr);
    zv::RegisterBuiltinModule(u"7z.dll", "CreateObject",
                              reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RecordingCreateObject)));
  }
};

[[maybe_unused]] ::testing::Environment* const installed = ::testing::AddGlobalTestEnvironment(new InstallSpy);

}  // namespace

std::vector<BYTE> TakeHandlersTried() {
  std::lock_guard guard(lock);
  return std::exchange(tried, {});
}

}  // namespace archive_test
