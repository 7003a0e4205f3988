// The command line of a service program: "-install" / "-uninstall" (also "/", any case), each
// optionally with "-silent"; nothing else makes it run as the service.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

enum class ServiceAction { Run, Install, Uninstall };

struct ServiceSwitches {
  ServiceAction action = ServiceAction::Run;
  bool silent = false;
};

ServiceSwitches ParseServiceSwitches(const std::vector<std::string>& args);

// A program path as a command line takes it: in double quotes when it holds a blank, so that
// "C:\Program Files\x.exe" cannot start C:\Program.exe instead.
std::string QuotedProgram(std::string_view path);

}  // namespace zorvak
