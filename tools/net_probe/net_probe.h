// One network operation per run, its outcome printed as key=value lines: the Wine tests drive
// the WinHTTP and BCrypt adapters through it, the benchmark times GetObject with it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ports/clock.h"
#include "ports/crypto.h"
#include "ports/files.h"
#include "ports/http.h"

namespace zorvak::tools {

struct NetAdapters {
  std::unique_ptr<ports::HttpClient> (*makeHttp)(const ports::HttpClientSettings&);
  ports::Crypto& crypto;
  ports::Clock& clock;
  ports::FileSystem& files;
};

int RunNetProbe(const std::vector<std::string>& args, NetAdapters& adapters);

}  // namespace zorvak::tools
