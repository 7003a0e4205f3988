#include "wizard/fixture_firebird.h"

namespace zorvak::wizard {

bool FixtureFirebird::connect(const ports::FirebirdParams& params) {
  close();
  if (fixture_->readString(params.database, "Connect", "0") != "1") {
    error_ = "Unable to complete network request to host \"" + params.database + "\"";
    return false;
  }
  open_ = params.database;
  return true;
}

std::optional<std::vector<ports::FieldValue>> FixtureFirebird::firstRow(std::string_view) {
  const std::string error = fixture_->readString(open_, "Error", "");
  if (!error.empty()) throw ports::DatabaseError(error);
  if (fixture_->readString(open_, "Rows", "1") == "0") return std::nullopt;
  std::vector<ports::FieldValue> row;
  for (const char* name : {"CNPJ", "NOME", "EMAIL_CONT", "DDD_COMER", "FONE_COMER"}) {
    row.push_back({name, fixture_->readString(open_, name, "")});
  }
  return row;
}

}  // namespace zorvak::wizard
