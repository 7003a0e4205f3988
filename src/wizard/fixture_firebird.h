// A Firebird stand-in answering from a fixture file, for the test build of the wizard that runs
// under Wine, where no Windows Firebird client exists. Each section is a database setting:
//   [C:\dados\EMP.FDB]
//   Connect=1            (0: the connection fails)
//   Rows=1               (0: tb_emitente holds no row)
//   Error=...            (the query fails with this text)
//   cnpj=... NOME=... email_cont=... ddd_comer=... fone_comer=...
#pragma once

#include <memory>
#include <string>

#include "ports/firebird.h"
#include "ports/profile_file.h"

namespace zorvak::wizard {

class FixtureFirebird final : public ports::Firebird {
 public:
  explicit FixtureFirebird(std::unique_ptr<ports::ProfileFile> fixture) : fixture_(std::move(fixture)) {}

  bool connect(const ports::FirebirdParams& params) override;
  bool connected() const override { return !open_.empty(); }
  const std::string& lastError() const override { return error_; }
  std::optional<std::vector<ports::FieldValue>> firstRow(std::string_view sql) override;
  void close() override { open_.clear(); }

 private:
  std::unique_ptr<ports::ProfileFile> fixture_;
  std::string open_, error_;
};

}  // namespace zorvak::wizard
