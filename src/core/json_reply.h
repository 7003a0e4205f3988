// The management server's reply: one JSON object whose members are read one at a time.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zorvak::management {

// A reply that cannot be used: not a JSON object, a member missing or of another kind.
class ReplyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class JsonReply {
 public:
  // The text must hold exactly one JSON object, white space around it allowed.
  static JsonReply Parse(std::string_view utf8);

  // true or false only; anything else is a conversion error.
  bool ReadBoolean(std::string_view name) const;
  // A JSON string only.
  std::string ReadText(std::string_view name) const;

 private:
  struct Member {
    std::string kind;  // the JSON kind's name, for the conversion error
    std::optional<bool> boolean;
    std::optional<std::string> text;
  };
  const Member& find(std::string_view name) const;

  std::map<std::string, Member, std::less<>> members_;
};

}  // namespace zorvak::management
