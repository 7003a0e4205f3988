// The three requests to the management server and the probe GET, over the HTTP port.
// Every failure is an exception: ports::HttpError for transport failures and for a status
// outside 200-299 (its text is the reply's status line), ReplyError for an unusable reply.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/form_encoding.h"
#include "core/json_reply.h"
#include "ports/http.h"

namespace zorvak::management {

inline constexpr const char* kAccept = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
inline constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
inline constexpr const char* kFormContentType = "application/x-www-form-urlencoded";

inline constexpr const char* kDesbloquear = "Gerenciador/Desbloquear";
inline constexpr const char* kRegistro = "GerenciadorDided/Registro";
inline constexpr const char* kPreferencias = "GerenciadorDided/Preferencias";

// One owner's client: the agent's service module, the wizard's account and schedule windows.
class ManagementClient {
 public:
  explicit ManagementClient(ports::HttpClient& http) : http_(http) {}

  // POSTs the fields to base URL + path (glued, no separator) and parses the reply.
  JsonReply Post(std::string_view baseUrl, std::string_view path, const std::vector<form::Field>& fields);
  // A GET whose body is not used; a status outside 200-299 raises like any request.
  void Get(std::string_view url);

 private:
  ports::HttpResponse send(ports::HttpRequest request);

  ports::HttpClient& http_;
};

struct LoginReply {
  bool login = false;
  std::string mensagem;  // read only when login is false
};

struct RegistroFields {
  std::string chave, cnpj, razao, telefone, emailcontato, maquina, whatsapp;
};

// The schedule window's choices. The Sunday ones are hidden in the window and never change.
struct PreferenciasFields {
  std::string chave;
  int ExecutarSeg = 1, ExecutarSab = 1, ExecutarDom = 0;
  int DesligarSeg = 0, DesligarSab = 0, DesligarDom = 0;
  std::string HoraSeg = "20:00", HoraSab = "15:00", HoraDom = "20:00";
  bool EmailSeg = true, EmailSab = true, EmailDom = false;
};

std::vector<form::Field> DesbloquearFields(std::string_view conta);
std::vector<form::Field> RegistroFormFields(const RegistroFields& f);
std::vector<form::Field> PreferenciasFormFields(const PreferenciasFields& f);

// The agent's unlock: the value of `resultado`.
bool Desbloquear(ManagementClient& client, std::string_view baseUrl, std::string_view conta);
LoginReply Registro(ManagementClient& client, std::string_view baseUrl, const RegistroFields& f);
LoginReply Preferencias(ManagementClient& client, std::string_view baseUrl, const PreferenciasFields& f);

}  // namespace zorvak::management
