#include "core/os_error.h"

namespace zorvak {

std::string osErrorText(std::uint32_t code, std::string_view systemMessage) {
  while (!systemMessage.empty() &&
         (static_cast<unsigned char>(systemMessage.back()) <= ' ' || systemMessage.back() == '.')) {
    systemMessage.remove_suffix(1);
  }
  std::string out = "System Error.  Code: " + std::to_string(code) + ".\r\n";
  out += systemMessage;
  return out;
}

OsError::OsError(std::uint32_t code, std::string_view systemMessage)
    : std::runtime_error(osErrorText(code, systemMessage)), code_(code) {}

void raiseOsError(SystemMessages& messages, std::uint32_t code) {
  throw OsError(code, messages.SysErrorMessage(code));
}

}  // namespace zorvak
