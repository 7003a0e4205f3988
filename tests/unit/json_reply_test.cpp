#include "core/json_reply.h"

#include <gtest/gtest.h>

namespace zorvak::management {
namespace {

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ReplyError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(JsonReply, ReadsBooleansAndTexts) {
  const JsonReply r = JsonReply::Parse(" \r\n{\"login\": false, \"mensagem\": \"Conta já existe\", \"x\": [1]}\n ");
  EXPECT_FALSE(r.ReadBoolean("login"));
  EXPECT_EQ(r.ReadText("mensagem"), "Conta já existe");
  EXPECT_TRUE(JsonReply::Parse("{\"resultado\":true}").ReadBoolean("resultado"));
}

TEST(JsonReply, ErrorsNameTheMemberOrTheKinds) {
  const JsonReply r = JsonReply::Parse(R"({"s":"true","n":1,"z":null,"o":{},"a":[],"b":true})");
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { r.ReadBoolean("login"); }, "Value 'login' not found"},
      {[&] { r.ReadText("mensagem"); }, "Value 'mensagem' not found"},
      {[&] { r.ReadBoolean("S"); }, "Value 'S' not found"},  // names are case-sensitive
      {[&] { r.ReadBoolean("s"); }, "Conversion from string to Boolean is not supported"},
      {[&] { r.ReadBoolean("n"); }, "Conversion from number to Boolean is not supported"},
      {[&] { r.ReadBoolean("z"); }, "Conversion from null to Boolean is not supported"},
      {[&] { r.ReadText("b"); }, "Conversion from boolean to string is not supported"},
      {[&] { r.ReadText("o"); }, "Conversion from object to string is not supported"},
      {[&] { r.ReadText("a"); }, "Conversion from array to string is not supported"},
  };
  for (const auto& [f, want] : cases) EXPECT_EQ(ErrorOf(f), want);
}

TEST(JsonReply, AnythingButOneObjectIsRefused) {
  for (const char* body : {"", "[]", "true", "\"login\"", "{\"login\":true} {}", "{\"login\":true", "<html>OK</html>",
                           "{\"login\":true},"}) {
    EXPECT_EQ(ErrorOf([&] { JsonReply::Parse(body); }), "Resposta inválida do servidor: não é um objeto JSON") << body;
  }
}

}  // namespace
}  // namespace zorvak::management
