// A failed operating-system call, as the programs report it: the system's error code and its
// text, "System Error.  Code: 1060." then a line break and the system's message for the code.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zorvak {

// Windows error codes the portable code reads or raises.
namespace oserr {
inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kServiceRequestTimeout = 1053;
inline constexpr std::uint32_t kServiceAlreadyRunning = 1056;
inline constexpr std::uint32_t kServiceDoesNotExist = 1060;
inline constexpr std::uint32_t kServiceCannotAcceptCtrl = 1061;
inline constexpr std::uint32_t kServiceNotActive = 1062;
}  // namespace oserr

// The platform's message for an error code, in the system's language.
class SystemMessages {
 public:
  virtual ~SystemMessages() = default;
  virtual std::string SysErrorMessage(std::uint32_t code) = 0;
};

class OsError : public std::runtime_error {
 public:
  OsError(std::uint32_t code, std::string_view systemMessage);

  std::uint32_t code() const { return code_; }

 private:
  std::uint32_t code_;
};

// The full text of an OsError. The message loses its trailing line break, blanks and full stop,
// as the system's own dialogs show it.
std::string osErrorText(std::uint32_t code, std::string_view systemMessage);

[[noreturn]] void raiseOsError(SystemMessages& messages, std::uint32_t code);

}  // namespace zorvak
