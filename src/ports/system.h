// What the agent and the wizard reach beyond files and time: the service manager, processes,
// HTTP clients and hashes, handed to the behaviour as one bundle beside ports::Platform.
#pragma once

#include <memory>

#include "ports/crypto.h"
#include "ports/http.h"
#include "ports/processes.h"
#include "ports/service_manager.h"

namespace zorvak::ports {

// Makes HTTP clients. A client's settings are fixed when it is made, and some are known only
// once the configuration file has been read (the agent's TLS versions), so the owners make
// their clients when they need them.
class HttpConnector {
 public:
  virtual ~HttpConnector() = default;
  virtual std::unique_ptr<HttpClient> connect(const HttpClientSettings& settings) = 0;
};

// The connector of an adapter class constructible from its settings.
template <class Client>
class ConnectorOf final : public HttpConnector {
 public:
  std::unique_ptr<HttpClient> connect(const HttpClientSettings& settings) override {
    return std::make_unique<Client>(settings);
  }
};

struct SystemPorts {
  ServiceManager& services;
  Processes& processes;
  HttpConnector& http;
  Crypto& crypto;
};

}  // namespace zorvak::ports
