// The configuration file as every program part sees it: the eight typed operations over one
// profile file, nothing cached. Reads never fail; a failed write raises "Unable to write to %s".
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/datetime.h"
#include "ports/profile_file.h"
#include "ports/regional_settings.h"

namespace zorvak {

class IniWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class IniFile {
 public:
  IniFile(std::unique_ptr<ports::ProfileFile> file, ports::RegionalSettings& regional);

  const std::string& FileName() const { return file_->fileName(); }

  std::string ReadString(std::string_view section, std::string_view key, std::string_view def);
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  bool ReadBool(std::string_view section, std::string_view key, bool def);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  DateTime ReadDateTime(std::string_view section, std::string_view key, DateTime def);
  void WriteDateTime(std::string_view section, std::string_view key, DateTime value);

  // A request flag: set only when the stored text is exactly "1".
  bool ReadTextFlag(std::string_view section, std::string_view key);

 private:
  std::unique_ptr<ports::ProfileFile> file_;
  ports::RegionalSettings& regional_;
};

}  // namespace zorvak
