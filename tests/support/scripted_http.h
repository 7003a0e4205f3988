// An HTTP port for native unit tests of sequencing: replies routed by exact URL, every request
// recorded with the settings of the client that sent it. A URL with no route behaves as a server
// that is not there. Tests about the bytes on the wire use the real peers instead
// (tests/integration/peers.h).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ports/system.h"

namespace zorvak::test {

class ScriptedHttp final : public ports::HttpConnector {
 public:
  using Handler = std::function<ports::HttpResponse(const ports::HttpRequest&)>;
  struct Sent {
    ports::HttpRequest request;
    ports::HttpClientSettings settings;
  };

  std::map<std::string, Handler> routes;
  std::vector<Sent> sent;

  static ports::HttpResponse Reply(int status, std::string reason, std::string body = "") {
    ports::HttpResponse r;
    r.status = status;
    r.reason = reason;
    r.statusLine = "HTTP/1.1 " + std::to_string(status) + " " + reason;
    r.body = std::move(body);
    return r;
  }
  void answer(const std::string& url, int status, const std::string& reason, const std::string& body = "") {
    routes[url] = [=](const ports::HttpRequest&) { return Reply(status, reason, body); };
  }
  int count(const std::string& url) const {
    int n = 0;
    for (const auto& s : sent) n += s.request.url == url;
    return n;
  }

  std::unique_ptr<ports::HttpClient> connect(const ports::HttpClientSettings& settings) override {
    return std::make_unique<Client>(*this, settings);
  }

 private:
  class Client final : public ports::HttpClient {
   public:
    Client(ScriptedHttp& owner, ports::HttpClientSettings settings) : owner_(owner), settings_(settings) {}
    ports::HttpResponse send(const ports::HttpRequest& request) override {
      owner_.sent.push_back({request, settings_});
      const auto route = owner_.routes.find(request.url);
      if (route == owner_.routes.end()) throw ports::HttpError("Couldn't connect to server");
      ports::HttpResponse reply = route->second(request);
      if (request.onBody) request.onBody(reply.body);
      return reply;
    }

   private:
    ScriptedHttp& owner_;
    ports::HttpClientSettings settings_;
  };
};

}  // namespace zorvak::test
