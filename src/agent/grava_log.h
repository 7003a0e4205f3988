// The agent's daily log (log\Agent_YYYYMMDD.txt) and the report file (log\Atualizacao.txt),
// both in Windows-1252. Each entry is appended with one write under a lock, because the
// service thread and the cycle's thread both write: the day's file is never rewritten, so a
// crash mid-entry loses at most that entry and an entry costs the same on a large file.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ports/clock.h"
#include "ports/files.h"
#include "ports/regional_settings.h"

namespace zorvak::agent {

class AgentLog {
 public:
  AgentLog(std::string pathApp, ports::Clock& clock, ports::FileSystem& files,
           ports::RegionalSettings& regional);

  // Appends one entry; raises ports::FileError when the file cannot be written.
  void GravaLogTXT(std::string_view msg);
  // Replaces Atualizacao.txt with the lines, and logs them as one entry.
  void WriteReport(const std::vector<std::string>& lines);

  std::string dayFileName(DateTime day) const;
  std::string reportFileName() const;

  // "x:" goes in front of a message whose second character is not ":".
  static std::string withKindPrefix(std::string_view msg);

 private:
  std::string pathApp_;
  ports::Clock& clock_;
  ports::FileSystem& files_;
  ports::RegionalSettings& regional_;
  std::mutex mutex_;
};

inline constexpr std::size_t kLogRuleWidth = 100;

}  // namespace zorvak::agent
