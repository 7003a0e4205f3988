// The management protocol over libcurl against the recording server: the bytes on the wire and
// the reading of every kind of reply.
#include <gtest/gtest.h>

#include "core/management.h"
#include "integration/peers.h"

namespace zorvak::management {
namespace {

using test::JsonReply;
using test::RecordedRequest;
using test::Recorder;
using test::Reply;

class ManagementHttp : public ::testing::Test {
 protected:
  void SetUp() override { rec.reset(); }
  std::string base() const { return rec.url() + "/zorvak/"; }

  Recorder& rec = Recorder::Get();
  posix::CurlHttpClient http{ports::HttpClientSettings{{}, false, 2000, 2000}};
  ManagementClient client{http};
};

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

TEST_F(ManagementHttp, PreferenciasWithDefaultsPutsTheseBytesOnTheWire) {
  rec.script(JsonReply(R"({"login":true})"));
  EXPECT_TRUE(Preferencias(client, base(), {}).login);
  const RecordedRequest r = RecordedRequest::Parse(rec.last());
  EXPECT_EQ(r.requestLine, "POST /zorvak/GerenciadorDided/Preferencias HTTP/1.0");
  const std::string body =
      "chave=&ExecutarSeg=1&ExecutarSab=1&ExecutarDom=0&DesligarSeg=0&DesligarSab=0&DesligarDom=0"
      "&HoraSeg=20%3A00&HoraSab=15%3A00&HoraDom=20%3A00&EmailSeg=1&EmailSab=1&EmailDom=0";
  EXPECT_EQ(r.body, body);
  const std::vector<ports::HttpHeader> want = {
      {"Host", "127.0.0.1:" + std::to_string(rec.port("http"))},
      {"Accept", kAccept},
      {"User-Agent", kUserAgent},
      {"Content-Type", kFormContentType},
      {"Content-Length", std::to_string(body.size())},
  };
  ASSERT_EQ(r.headers.size(), want.size()) << rec.last();
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(r.headers[i].name, want[i].name);
    EXPECT_EQ(r.headers[i].value, want[i].value);
  }
}

TEST_F(ManagementHttp, RegistroAndDesbloquearBodiesAndTheGluedBaseUrl) {
  rec.script(JsonReply(R"({"login":true,"mensagem":42,"extra":null})"));
  const LoginReply reply = Registro(client, rec.url() + "/api",
                                    {"ZV0A", "12345678000199", "Padaria São João", "1133334444", "a@b.c", "CAIXA", "(11) 9"});
  EXPECT_TRUE(reply.login);  // mensagem is not read, so its kind does not matter
  RecordedRequest r = RecordedRequest::Parse(rec.last());
  EXPECT_EQ(r.requestLine, "POST /apiGerenciadorDided/Registro HTTP/1.0");
  EXPECT_EQ(r.body,
            "chave=ZV0A&cnpj=12345678000199&razao=Padaria+S%C3%A3o+Jo%C3%A3o&telefone=1133334444"
            "&emailcontato=a%40b.c&maquina=CAIXA&whatsapp=%2811%29+9");

  rec.script(JsonReply(R"({"resultado":false})"));
  EXPECT_FALSE(Desbloquear(client, base(), ""));
  r = RecordedRequest::Parse(rec.last());
  EXPECT_EQ(r.requestLine, "POST /zorvak/Gerenciador/Desbloquear HTTP/1.0");
  EXPECT_EQ(r.body, "Conta=");
  rec.script(JsonReply(R"( {"resultado":true} )"));
  EXPECT_TRUE(Desbloquear(client, base(), "ZV1"));
}

TEST_F(ManagementHttp, RepliesAndTheirOutcomes) {
  const std::string refused = "Resposta inválida do servidor: não é um objeto JSON";
  struct Case {
    std::string reply, outcome;
  } cases[] = {
      {JsonReply(R"({"login":true})"), "login"},
      {JsonReply(R"({"login":false,"mensagem":"Conta já cadastrada"})"), "recusado: Conta já cadastrada"},
      {JsonReply(R"({"login":false,"mensagem":"Conta já cadastrada"})", "text/html; charset=ISO-8859-1"),
       "recusado: Conta já cadastrada"},
      {JsonReply("{\"login\":false,\"mensagem\":\"S\xe3o\"}", "application/json; charset=ISO-8859-1"),
       "recusado: S\xef\xbf\xbdo"},  // the Latin-1 byte is not UTF-8: one replacement character
      {JsonReply(R"({"login":false})"), "Value 'mensagem' not found"},
      {JsonReply(R"({"mensagem":"x"})"), "Value 'login' not found"},
      {JsonReply(R"({"login":"true"})"), "Conversion from string to Boolean is not supported"},
      {JsonReply("<html>OK</html>", "text/html"), refused},
      {JsonReply(""), refused},
      {JsonReply(R"([{"login":true}])"), refused},
      {Reply("HTTP/1.1 301 Moved Permanently", {"Location: " + rec.url() + "/elsewhere"}, R"({"login":true})"),
       "HTTP/1.1 301 Moved Permanently"},
      {Reply("HTTP/1.1 500 Internal Server Error", {}, R"({"login":true})"), "HTTP/1.1 500 Internal Server Error"},
      {Reply("HTTP/1.0 404 Nao Encontrado", {}, ""), "HTTP/1.0 404 Nao Encontrado"},
  };
  for (const Case& c : cases) {
    rec.reset();
    rec.script(c.reply);
    const std::string got = ErrorOf([&] {
      const LoginReply r = Preferencias(client, base(), {});
      throw std::runtime_error(r.login ? "login" : "recusado: " + r.mensagem);
    });
    EXPECT_EQ(got, c.outcome) << c.reply;
    EXPECT_EQ(rec.count(), 1) << "redirect followed or request repeated: " << c.reply;
  }
}

TEST_F(ManagementHttp, TransportFailuresRaiseTheClientsText) {
  EXPECT_EQ(ErrorOf([&] { Desbloquear(client, "", "ZV1"); }), "URL inválida: 'Gerenciador/Desbloquear'");
  rec.script("", "close");
  EXPECT_NE(ErrorOf([&] { Desbloquear(client, base(), "ZV1"); }), "(no error)");
  // A reply cut short of its Content-Length is a lost connection, not a reply.
  rec.script(Reply("HTTP/1.1 200 OK", {"Content-Length: 40"}, R"({"resultado":true})", false));
  EXPECT_NE(ErrorOf([&] { Desbloquear(client, base(), "ZV1"); }), "(no error)");
  const std::string nobody = "http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/";
  EXPECT_NE(ErrorOf([&] { Desbloquear(client, nobody, "ZV1"); }).find("onnect"), std::string::npos);
}

TEST_F(ManagementHttp, ProbeIsAPlainGetThatDoesNotFollowRedirects) {
  rec.script(Reply("HTTP/1.1 200 OK", {"Content-Type: text/html"}, "<html></html>"));
  client.Get(rec.url() + "/");
  const RecordedRequest r = RecordedRequest::Parse(rec.last());
  EXPECT_EQ(r.requestLine, "GET / HTTP/1.0");
  EXPECT_TRUE(r.body.empty());
  rec.script(Reply("HTTP/1.1 302 Found", {"Location: " + rec.url() + "/other"}, ""));
  EXPECT_EQ(ErrorOf([&] { client.Get(rec.url() + "/"); }), "HTTP/1.1 302 Found");
  EXPECT_EQ(rec.count(), 2);
}

TEST_F(ManagementHttp, CookiesAreAcceptedAndSentBack) {
  rec.script(Reply("HTTP/1.1 200 OK", {"Set-Cookie: sessao=abc; Path=/"}, "ok"));
  client.Get(rec.url() + "/");
  rec.script(JsonReply(R"({"resultado":true})"));
  EXPECT_TRUE(Desbloquear(client, base(), "ZV1"));
  const RecordedRequest r = RecordedRequest::Parse(rec.last());
  ASSERT_EQ(r.headers.size(), 6u) << rec.last();
  EXPECT_EQ(r.headers[1].name + ": " + r.headers[1].value, "Cookie: sessao=abc");
}

}  // namespace
}  // namespace zorvak::management
