// A child process for the process tests: "sleep N" sleeps N ms, "exit N" ends with code N; any
// other command line ends with 99, which marks a program started by mistake.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"sleep") == 0) {
    Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    return 0;
  }
  if (argc == 3 && std::wcscmp(argv[1], L"exit") == 0) return _wtoi(argv[2]);
  return 99;
}
