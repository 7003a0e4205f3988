#include "core/form_encoding.h"

namespace zorvak::form {

std::string Encode(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size());
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '*' || c == '-' || c == '.' || c == '_';
    if (plain) {
      out += ch;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0f];
    }
  }
  return out;
}

std::string Body(const std::vector<Field>& fields) {
  std::string out;
  for (const Field& f : fields) {
    if (!out.empty()) out += '&';
    out += Encode(f.name);
    out += '=';
    out += Encode(f.value);
  }
  return out;
}

}  // namespace zorvak::form
