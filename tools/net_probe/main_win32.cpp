#include <windows.h>

#include "net_probe.h"
#include "win32/wide.h"
#include "win32/win32_net.h"
#include "win32/win32_platform.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(zorvak::win32::narrow(argv[i]));
  zorvak::win32::BCryptCrypto crypto;
  zorvak::win32::Win32Clock clock;
  zorvak::win32::Win32FileSystem files;
  zorvak::tools::NetAdapters net{
      [](const zorvak::ports::HttpClientSettings& s) -> std::unique_ptr<zorvak::ports::HttpClient> {
        return std::make_unique<zorvak::win32::WinHttpClient>(s);
      },
      crypto, clock, files};
  return zorvak::tools::RunNetProbe(args, net);
}
