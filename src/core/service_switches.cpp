#include "core/service_switches.h"

#include "core/text.h"

namespace zorvak {
namespace {

bool isSwitch(std::string_view arg, std::string_view name) {
  return arg.size() == name.size() + 1 && (arg[0] == '-' || arg[0] == '/') &&
         text::equalsNoCase(arg.substr(1), name);
}

bool hasSwitch(const std::vector<std::string>& args, std::string_view name) {
  for (const std::string& a : args) {
    if (isSwitch(a, name)) return true;
  }
  return false;
}

}  // namespace

ServiceSwitches ParseServiceSwitches(const std::vector<std::string>& args) {
  ServiceSwitches s;
  if (hasSwitch(args, "install")) s.action = ServiceAction::Install;
  else if (hasSwitch(args, "uninstall")) s.action = ServiceAction::Uninstall;
  s.silent = hasSwitch(args, "silent");
  return s;
}

std::string QuotedProgram(std::string_view path) {
  if (path.find(' ') == std::string_view::npos || (path.size() >= 2 && path.front() == '"')) {
    return std::string(path);
  }
  return "\"" + std::string(path) + "\"";
}

}  // namespace zorvak
