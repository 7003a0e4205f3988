#include "core/management.h"

#include "core/text.h"

namespace zorvak::management {
namespace {

bool HasHttpScheme(std::string_view url) {
  auto starts = [&](std::string_view scheme) {
    return url.size() > scheme.size() && text::equalsNoCase(url.substr(0, scheme.size()), scheme);
  };
  return starts("http://") || starts("https://");
}

// The bytes are read as UTF-8 whatever the reply declares; malformed sequences become U+FFFD
// so that one stray byte does not turn a readable reply into a parse error.
std::string DecodeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) text::appendUtf8(out, text::decodeUtf8(bytes, pos));
  return out;
}

LoginReply ReadLogin(const JsonReply& reply) {
  LoginReply r;
  r.login = reply.ReadBoolean("login");
  if (!r.login) r.mensagem = reply.ReadText("mensagem");
  return r;
}

std::string Flag(bool b) { return b ? "1" : "0"; }

}  // namespace

ports::HttpResponse ManagementClient::send(ports::HttpRequest request) {
  // A base URL that names no server (the agent's CONFIG/PathNuvem absent) fails here instead of
  // letting the HTTP library guess a host name.
  if (!HasHttpScheme(request.url)) throw ports::HttpError("URL inválida: '" + request.url + "'");
  request.http10 = true;
  request.headers.insert(request.headers.begin(),
                         {{"Accept", kAccept}, {"User-Agent", kUserAgent}});
  ports::HttpResponse reply = http_.send(request);
  if (reply.status < 200 || reply.status > 299) {
    throw ports::HttpError(reply.statusLine.empty() ? "HTTP " + std::to_string(reply.status)
                                                    : reply.statusLine);
  }
  if (reply.bodyError) throw ports::HttpError(*reply.bodyError);
  return reply;
}

JsonReply ManagementClient::Post(std::string_view baseUrl, std::string_view path,
                                 const std::vector<form::Field>& fields) {
  ports::HttpRequest request;
  request.method = "POST";
  request.url = std::string(baseUrl) + std::string(path);
  request.headers.push_back({"Content-Type", kFormContentType});
  request.body = form::Body(fields);
  return JsonReply::Parse(DecodeUtf8(send(std::move(request)).body));
}

void ManagementClient::Get(std::string_view url) {
  ports::HttpRequest request;
  request.url = std::string(url);
  send(std::move(request));
}

std::vector<form::Field> DesbloquearFields(std::string_view conta) { return {{"Conta", std::string(conta)}}; }

std::vector<form::Field> RegistroFormFields(const RegistroFields& f) {
  return {{"chave", f.chave},        {"cnpj", f.cnpj},       {"razao", f.razao},
          {"telefone", f.telefone},  {"emailcontato", f.emailcontato},
          {"maquina", f.maquina},    {"whatsapp", f.whatsapp}};
}

std::vector<form::Field> PreferenciasFormFields(const PreferenciasFields& f) {
  return {{"chave", f.chave},
          {"ExecutarSeg", std::to_string(f.ExecutarSeg)},
          {"ExecutarSab", std::to_string(f.ExecutarSab)},
          {"ExecutarDom", std::to_string(f.ExecutarDom)},
          {"DesligarSeg", std::to_string(f.DesligarSeg)},
          {"DesligarSab", std::to_string(f.DesligarSab)},
          {"DesligarDom", std::to_string(f.DesligarDom)},
          {"HoraSeg", f.HoraSeg},
          {"HoraSab", f.HoraSab},
          {"HoraDom", f.HoraDom},
          {"EmailSeg", Flag(f.EmailSeg)},
          {"EmailSab", Flag(f.EmailSab)},
          {"EmailDom", Flag(f.EmailDom)}};
}

bool Desbloquear(ManagementClient& client, std::string_view baseUrl, std::string_view conta) {
  return client.Post(baseUrl, kDesbloquear, DesbloquearFields(conta)).ReadBoolean("resultado");
}

LoginReply Registro(ManagementClient& client, std::string_view baseUrl, const RegistroFields& f) {
  return ReadLogin(client.Post(baseUrl, kRegistro, RegistroFormFields(f)));
}

LoginReply Preferencias(ManagementClient& client, std::string_view baseUrl, const PreferenciasFields& f) {
  return ReadLogin(client.Post(baseUrl, kPreferencias, PreferenciasFormFields(f)));
}

}  // namespace zorvak::management
