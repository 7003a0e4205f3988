// Any body from the management server: reading it fails only with ReplyError, never another
// exception or a crash; and the form encoding of any text decodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/form_encoding.h"
#include "core/json_reply.h"

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  std::abort();  // upper-case hex only
}

std::string decode(const std::string& encoded) {
  std::string out;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const char c = encoded[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%') {
      if (i + 2 >= encoded.size()) std::abort();
      out += static_cast<char>(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
      i += 2;
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-' ||
               c == '.' || c == '_') {
      out += c;
    } else {
      std::abort();  // a character that should have been encoded
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const auto reply = zorvak::management::JsonReply::Parse(text);
    try {
      (void)reply.ReadBoolean("login");
    } catch (const zorvak::management::ReplyError&) {
    }
    try {
      (void)reply.ReadText("mensagem");
    } catch (const zorvak::management::ReplyError&) {
    }
  } catch (const zorvak::management::ReplyError&) {
  }
  if (decode(zorvak::form::Encode(text)) != text) std::abort();
  return 0;
}
