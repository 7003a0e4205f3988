// The discovery window's HTTP traffic: the probe GET on activation and the account
// registration "GerenciadorDided/Registro" with its login / mensagem reply.
#pragma once

#include <string>
#include <string_view>

#include "core/management.h"
#include "ports/http.h"

namespace zorvak::wizard {

using RegistroData = management::RegistroFields;
using RegistroReply = management::LoginReply;

class AccountServer {
 public:
  virtual ~AccountServer() = default;
  // Drops any open connection of the window's client.
  virtual void dropConnection() = 0;
  // A plain GET whose reply is not used; throws on failure (the caller ignores it).
  virtual void probe(std::string_view url) = 0;
  // Throws on a transport failure, a status outside 200-299 or an unusable reply.
  virtual RegistroReply registro(std::string_view baseUrl, const RegistroData& data) = 0;
};

// The window's own HTTP client through the management protocol.
class ManagementAccountServer final : public AccountServer {
 public:
  explicit ManagementAccountServer(ports::HttpClient& http) : client_(http) {}
  // The HTTP port opens a fresh connection for every request and closes it after the reply:
  // there is never one left open to drop.
  void dropConnection() override {}
  void probe(std::string_view url) override { client_.Get(url); }
  RegistroReply registro(std::string_view baseUrl, const RegistroData& data) override {
    return management::Registro(client_, baseUrl, data);
  }

 private:
  management::ManagementClient client_;
};

}  // namespace zorvak::wizard
