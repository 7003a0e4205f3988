#include "agent/grava_log.h"

#include <cstdio>

#include "core/regional.h"
#include "core/text.h"

namespace zorvak::agent {

AgentLog::AgentLog(std::string pathApp, ports::Clock& clock, ports::FileSystem& files,
                   ports::RegionalSettings& regional)
    : pathApp_(std::move(pathApp)), clock_(clock), files_(files), regional_(regional) {}

std::string AgentLog::withKindPrefix(std::string_view msg) {
  if (msg.size() >= 2 && msg[1] == ':') return std::string(msg);
  return "x:" + std::string(msg);
}

std::string AgentLog::dayFileName(DateTime day) const {
  const CivilTime c = toCivil(day);
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d", c.year, c.month, c.day);
  return pathApp_ + "log\\Agent_" + stamp + ".txt";
}

std::string AgentLog::reportFileName() const { return pathApp_ + "log\\Atualizacao.txt"; }

void AgentLog::GravaLogTXT(std::string_view msg) {
  const std::string message = withKindPrefix(msg);
  std::lock_guard lock(mutex_);
  // The file's date and the entry's time stamp are two readings of the clock.
  const std::string file = dayFileName(clock_.now());
  const std::string stamp = formatDateTime(regional_.format(), clock_.now());
  std::string entry = stamp + "- " + message + "\r\n" + std::string(kLogRuleWidth, '_') + "\r\n";
  files_.appendFile(file, text::toCp1252(entry));
}

void AgentLog::WriteReport(const std::vector<std::string>& lines) {
  std::string report;
  for (const std::string& line : lines) report += line + "\r\n";
  {
    std::lock_guard lock(mutex_);
    files_.writeFile(reportFileName(), text::toCp1252(report));
  }
  GravaLogTXT(report);
}

}  // namespace zorvak::agent
