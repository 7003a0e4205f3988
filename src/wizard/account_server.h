// The discovery window's HTTP traffic: the probe GET on activation and the account
// registration "GerenciadorDided/Registro" with its login / mensagem reply.
#pragma once

#include <string>
#include <string_view>

namespace zorvak::wizard {

struct RegistroData {
  std::string chave, cnpj, razao, telefone, emailcontato, maquina, whatsapp;
};

struct RegistroReply {
  bool login = false;
  std::string mensagem;  // read only when login is false
};

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

}  // namespace zorvak::wizard
