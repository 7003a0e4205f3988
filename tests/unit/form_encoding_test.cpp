#include "core/form_encoding.h"

#include <gtest/gtest.h>

#include "core/management.h"

namespace zorvak::form {
namespace {

TEST(FormEncoding, CharactersAsTheServerReadsThem) {
  const std::pair<const char*, const char*> cases[] = {
      {"AZaz09*-._", "AZaz09*-._"},
      {"Padaria São João", "Padaria+S%C3%A3o+Jo%C3%A3o"},
      {"20:00", "20%3A00"},
      {"a/b", "a%2Fb"},
      {"x=y&z~+", "x%3Dy%26z%7E%2B"},
      {"(11) 9 8765-4321", "%2811%29+9+8765-4321"},
      {"€", "%E2%82%AC"},
      {"", ""},
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(Encode(in), want) << in;
}

TEST(FormEncoding, BodiesOfTheThreeRequests) {
  EXPECT_EQ(Body(management::DesbloquearFields("")), "Conta=");
  EXPECT_EQ(Body(management::DesbloquearFields("ZV1A-2B")), "Conta=ZV1A-2B");
  EXPECT_EQ(Body(management::PreferenciasFormFields({})),
            "chave=&ExecutarSeg=1&ExecutarSab=1&ExecutarDom=0&DesligarSeg=0&DesligarSab=0&DesligarDom=0"
            "&HoraSeg=20%3A00&HoraSab=15%3A00&HoraDom=20%3A00&EmailSeg=1&EmailSab=1&EmailDom=0");
  EXPECT_EQ(Body(management::RegistroFormFields({"ZV1", "12345678000199", "Padaria São João", "(11) 3333-4444",
                                                 "a@b.com", "CAIXA-01", "(11) 9 8765-4321"})),
            "chave=ZV1&cnpj=12345678000199&razao=Padaria+S%C3%A3o+Jo%C3%A3o&telefone=%2811%29+3333-4444"
            "&emailcontato=a%40b.com&maquina=CAIXA-01&whatsapp=%2811%29+9+8765-4321");
}

}  // namespace
}  // namespace zorvak::form
