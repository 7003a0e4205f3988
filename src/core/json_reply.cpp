#include "core/json_reply.h"

#include <nlohmann/json.hpp>

namespace zorvak::management {

JsonReply JsonReply::Parse(std::string_view utf8) {
  nlohmann::json value;
  try {
    value = nlohmann::json::parse(utf8.begin(), utf8.end());
  } catch (const nlohmann::json::exception&) {
    value = nullptr;
  }
  if (!value.is_object()) throw ReplyError("Resposta inválida do servidor: não é um objeto JSON");
  JsonReply reply;
  for (const auto& [name, member] : value.items()) {
    Member m{member.type_name(), std::nullopt, std::nullopt};
    if (member.is_boolean()) m.boolean = member.get<bool>();
    if (member.is_string()) m.text = member.get<std::string>();
    reply.members_.insert_or_assign(name, std::move(m));
  }
  return reply;
}

const JsonReply::Member& JsonReply::find(std::string_view name) const {
  const auto it = members_.find(name);
  if (it == members_.end()) throw ReplyError("Value '" + std::string(name) + "' not found");
  return it->second;
}

bool JsonReply::ReadBoolean(std::string_view name) const {
  const Member& m = find(name);
  if (!m.boolean) throw ReplyError("Conversion from " + m.kind + " to Boolean is not supported");
  return *m.boolean;
}

std::string JsonReply::ReadText(std::string_view name) const {
  const Member& m = find(name);
  if (!m.text) throw ReplyError("Conversion from " + m.kind + " to string is not supported");
  return *m.text;
}

}  // namespace zorvak::management
