#include "core/ini_file.h"

#include "core/integer.h"
#include "core/regional.h"

namespace zorvak {

IniFile::IniFile(std::unique_ptr<ports::ProfileFile> file, ports::RegionalSettings& regional)
    : file_(std::move(file)), regional_(regional) {}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) {
  return file_->readString(section, key, def);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!file_->writeString(section, key, value)) {
    throw IniWriteError("Unable to write to " + file_->fileName());
  }
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t def) {
  return parseInteger(ReadString(section, key, "")).value_or(def);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

DateTime IniFile::ReadDateTime(std::string_view section, std::string_view key, DateTime def) {
  return parseDateTime(regional_.format(), ReadString(section, key, "")).value_or(def);
}

void IniFile::WriteDateTime(std::string_view section, std::string_view key, DateTime value) {
  WriteString(section, key, formatDateTime(regional_.format(), value));
}

bool IniFile::ReadTextFlag(std::string_view section, std::string_view key) {
  return ReadString(section, key, "") == "1";
}

}  // namespace zorvak
