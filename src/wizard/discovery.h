// The discovery and account window TForm2: the scan for ZedozIze installations with their
// database test, the choice of databases, the contact panel and the account registration.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "ports/firebird.h"
#include "ports/machine.h"
#include "ports/platform.h"
#include "wizard/account_server.h"
#include "wizard/discovery_view.h"
#include "wizard/discovery_walk.h"
#include "wizard/flow.h"

namespace zorvak::wizard {

inline constexpr const char* kFirebirdUser = "SYSDBA";
inline constexpr const char* kFirebirdPassword = "masterkey";  // the server's factory default
inline constexpr std::size_t kMaxExamined = 300;
inline constexpr std::size_t kBaseRows = 350;

inline constexpr int kVkF4 = 0x73, kVkF11 = 0x7A, kVkF12 = 0x7B;

struct DiscoverySettings {
  std::string appFolder;         // PathApp, with its trailing separator
  std::string defaultServerUrl;  // CONFIG/PathNuvem when the key is absent
  std::string probeUrl;          // the page fetched on every activation
};

// One row of aBases: what the scan knows of an offered database.
struct BaseRow {
  std::string chave, cnpj, database, maquina, folder;
};

class Discovery {
 public:
  Discovery(DiscoveryView& view, Flow& flow, Shell& shell, ports::Platform& platform, ports::Machine& machine,
            ports::Firebird& firebird, AccountServer& server, DiscoverySettings settings);

  // Window events; each one shows its uncaught error in the standard error box.
  void Create();
  void Activated();
  void Closed();
  void KeyDown(int virtualKey);
  void KeyTextChanged();
  void ScanClicked();
  void PathButtonClicked();
  void AlterarClicked();
  void CnpjChanged();
  void CancelClicked();
  void ContinueClicked();

  // State the window holds, readable for its owner and the tests.
  bool lVarrerTodas = true;
  std::vector<std::string> ListaPastas;
  std::vector<std::pair<std::string, std::string>> ListaRazao, ListaTelefone, ListaEmail;
  std::vector<BaseRow> aBases;
  std::vector<std::string> ListaSelecao;
  const std::vector<std::string>& lines() const { return lines_; }
  bool contactPanelShown() const { return panelShown_; }
  const std::string& serverUrl() const { return baseUrl_; }
  DiscoveryWalk& walk() { return walk_; }

 private:
  template <typename F>
  void guarded(F&& action);
  void scan();
  void examine(const std::string& folder, std::size_t n);
  void readCompany(const std::string& folder, const std::string& database, std::size_t n);
  void addLine(const std::string& text, bool enabled);
  void firstStep();
  void secondStep();
  void SetHorizontalScrollBar();
  void status(const std::string& text);

  DiscoveryView& view_;
  Flow& flow_;
  Shell& shell_;
  ports::Platform& platform_;
  ports::Machine& machine_;
  ports::Firebird& firebird_;
  AccountServer& server_;
  DiscoverySettings settings_;
  std::unique_ptr<IniFile> ini_;
  DiscoveryWalk walk_;
  std::vector<std::string> lines_;
  std::vector<std::string> cnpjChoices_;
  std::string baseUrl_;
  bool panelShown_ = false;
  bool scanning_ = false;
  bool registering_ = false;
};

// The line for a database whose tb_emitente holds no row.
std::string NoCompanyLine(std::size_t n, std::string_view databaseUpper);
// Upper case as the line texts show a database setting (ASCII and Latin-1 letters).
std::string UpperText(std::string_view utf8);

}  // namespace zorvak::wizard
