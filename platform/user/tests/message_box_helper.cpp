// Shows one MessageBoxW and ends with its answer as exit code. Argument: the
// box type (MB_OK, MB_OKCANCEL, ...) in decimal.
#include <cstdlib>

#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 2) return 100;
  return MessageBoxW(nullptr, u"Get Data Failed! 获取失败", u"Error", static_cast<UINT>(std::atoi(argv[1])));
}
