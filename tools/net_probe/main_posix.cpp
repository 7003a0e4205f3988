#include "net_probe.h"
#include "posix/posix_net.h"
#include "posix/posix_platform.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  zorvak::posix::OpenSslCrypto crypto;
  zorvak::posix::PosixClock clock;
  zorvak::posix::PosixFileSystem files;
  zorvak::tools::NetAdapters net{
      [](const zorvak::ports::HttpClientSettings& s) -> std::unique_ptr<zorvak::ports::HttpClient> {
        return std::make_unique<zorvak::posix::CurlHttpClient>(s);
      },
      crypto, clock, files};
  return zorvak::tools::RunNetProbe(args, net);
}
