#include "wizard/discovery.h"

#include <exception>

#include "core/paths.h"
#include "core/text.h"
#include "wizard/account.h"

namespace zorvak::wizard {
namespace {

constexpr const char* kAllDrives = "A varredura irá ocorrer em todas as unidades de disco.";
constexpr const char* kOnePath = "A varredura irá ocorrer apenas no seguinte caminho: ";
constexpr const char* kDefaultScanPath = "c:\\";
constexpr const char* kNoInstallation = "Nenhuma instalação do Dided foi encontrada!";
constexpr const char* kLineBreak = "\r\n";

std::string lookup(const std::vector<std::pair<std::string, std::string>>& list, const std::string& key) {
  for (const auto& [name, value] : list) {
    if (name == key) return value;
  }
  return {};
}

const std::string& field(const std::vector<ports::FieldValue>& row, std::string_view name) {
  for (const ports::FieldValue& f : row) {
    if (text::equalsNoCase(f.name, name)) return f.value;
  }
  throw ports::DatabaseError("Field '" + std::string(name) + "' not found");
}

std::string digitsOfCnpj(std::string_view cnpj) {
  std::string out;
  for (char c : cnpj) {
    if (c != '.' && c != '/' && c != '-') out += c;
  }
  return out;
}

}  // namespace

std::string UpperText(std::string_view utf8) {
  std::string out;
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t c = text::decodeUtf8(utf8, pos);
    if (c >= U'a' && c <= U'z') c -= 32;
    else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) c -= 32;
    text::appendUtf8(out, c);
  }
  return out;
}

std::string NoCompanyLine(std::size_t n, std::string_view databaseUpper) {
  return std::to_string(n) + ") Base [ " + std::string(databaseUpper) + " ] Nenhuma empresa cadastrada";
}

Discovery::Discovery(DiscoveryView& view, Flow& flow, Shell& shell, ports::Platform& platform,
                     ports::Machine& machine, ports::Firebird& firebird, AccountServer& server,
                     DiscoverySettings settings)
    : view_(view),
      flow_(flow),
      shell_(shell),
      platform_(platform),
      machine_(machine),
      firebird_(firebird),
      server_(server),
      settings_(std::move(settings)),
      walk_(platform.files, [this](const std::string& text) { status(text); }) {}

template <typename F>
void Discovery::guarded(F&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    view_.showError(e.what());
  }
}

void Discovery::status(const std::string& text) {
  view_.setStatus(text);
  shell_.processMessages();
}

void Discovery::Create() {
  guarded([&] {
    ini_ = std::make_unique<IniFile>(platform_.profiles.open(settings_.appFolder + kConfigFileName),
                                     platform_.regional);
    lVarrerTodas = true;
    view_.setScanModeText(kAllDrives);
    view_.setPathText(ini_->ReadString("DEBUG", "PathScan", kDefaultScanPath));
    view_.showPathControls(false);
    SetHorizontalScrollBar();
    view_.setKeyText(ini_->ReadString("Conta", "Chave", GetNewID("ZV", platform_.clock)));
    view_.setMachineName(machine_.computerName());
    view_.setRegistroText("");
    baseUrl_ = ini_->ReadString("CONFIG", "PathNuvem", settings_.defaultServerUrl);
  });
}

void Discovery::Activated() {
  flow_.WorkingActivated(Window::Discovery);
  guarded([&] {
    view_.setRegistroText("");
    server_.dropConnection();
    try {
      server_.probe(settings_.probeUrl);
    } catch (...) {
      // Whether the page answers matters to nobody here.
    }
  });
}

void Discovery::Closed() { flow_.WorkingClosed(Window::Discovery); }

void Discovery::KeyTextChanged() { view_.enableScanButton(!text::trim(view_.keyText()).empty()); }

void Discovery::KeyDown(int virtualKey) {
  guarded([&] {
    if (virtualKey == kVkF11) {
      lVarrerTodas = !lVarrerTodas;
      if (lVarrerTodas) {
        view_.setScanModeText(kAllDrives);
        view_.setPathText(ini_->ReadString("DEBUG", "PathScan", kDefaultScanPath));
        view_.showPathControls(false);
      } else {
        view_.setScanModeText(kOnePath);
        view_.showPathControls(true);
      }
    } else if (virtualKey == kVkF12) {
      view_.enableKey(true);
    } else if (virtualKey == kVkF4) {
      ContinueClicked();
    }
  });
}

void Discovery::AlterarClicked() {
  guarded([&] {
    if (view_.confirmWarning("ATENÇÃO! Apenas altere esse ID com orientação do suporte. Tem certeza que deseja continuar?")) {
      view_.enableKey(true);
    }
  });
}

void Discovery::PathButtonClicked() {
  guarded([&] {
    if (auto chosen = view_.chooseFolder(view_.pathText())) view_.setPathText(*chosen);
  });
}

void Discovery::ScanClicked() {
  if (scanning_) return;
  scanning_ = true;
  guarded([&] { scan(); });
  scanning_ = false;
}

void Discovery::scan() {
  view_.enablePathButton(false);
  struct EndOfScan {
    Discovery& d;
    ~EndOfScan() {
      d.view_.setStatus("");
      d.view_.enableScanButton(true);
      d.view_.enablePathButton(true);
      d.view_.enableAlterarButton(true);
      d.view_.setScanButtonCaption("Procurar novamente");
      d.SetHorizontalScrollBar();
    }
  } end{*this};

  const std::string trimmed(text::trim(view_.pathText()));
  if (!trimmed.ends_with('\\')) view_.setPathText(trimmed + "\\");
  ini_->WriteString("DEBUG", "PathScan", view_.pathText());
  ListaSelecao.clear();
  aBases.assign(kBaseRows, BaseRow{});
  view_.enableScanButton(false);
  view_.enableAlterarButton(false);
  view_.setStatus("Procurando por instalações do Dided. Por favor, aguarde...");
  view_.showStatus(true);
  shell_.processMessages();

  lines_.clear();
  view_.clearLines();
  ListaPastas.clear();
  view_.clearCnpjChoices();
  cnpjChoices_.clear();
  ListaRazao.clear();
  ListaTelefone.clear();
  ListaEmail.clear();

  if (lVarrerTodas) {
    walk_.PegaUnidades(machine_.logicalDrives(), ListaPastas);
  } else {
    walk_.MapeiaDiretorio(ini_->ReadString("DEBUG", "PathScan", kDefaultScanPath), kDidedIni, ListaPastas);
  }

  if (ListaPastas.empty()) {
    addLine(kNoInstallation, false);
    return;
  }
  for (std::size_t i = 0; i < ListaPastas.size() && i < kMaxExamined; ++i) examine(ListaPastas[i], i + 1);
}

void Discovery::examine(const std::string& folder, std::size_t n) {
  const std::string database =
      platform_.profiles.open(folder + kDidedIni)->readString("FB", "Database", "");
  const std::string lineStart = std::to_string(n) + ") Base [ " + UpperText(database) + " ] ";
  if (!platform_.files.fileExists(folder + "c4b.exe")) {
    addLine(lineStart + "C4B não encontrado", false);
    return;
  }
  if (!platform_.files.fileExists(folder + "gbak.exe")) {
    addLine(lineStart + "GBAK não encontrado", false);
    return;
  }
  if (database.empty()) return;

  status("Localizando banco de dados [" + database + "]");
  const ports::FirebirdParams params{database, kFirebirdUser, kFirebirdPassword, 20, 3};
  status("Testando conexão com o banco de dados [" + database + "]\rConectando...");
  firebird_.close();
  if (!firebird_.connect(params)) {
    addLine(lineStart + "Falha ao conectar no Banco de Dados", false);
    return;
  }
  struct CloseAfter {
    ports::Firebird& fb;
    ~CloseAfter() { fb.close(); }
  } closeAfter{firebird_};
  readCompany(folder, database, n);
}

void Discovery::readCompany(const std::string& folder, const std::string& database, std::size_t n) {
  const auto row = firebird_.firstRow("select * from tb_emitente");
  if (!row) {
    addLine(NoCompanyLine(n, UpperText(database)), false);
    return;
  }
  const std::string cnpj = digitsOfCnpj(field(*row, "cnpj"));
  const std::string& nome = field(*row, "NOME");
  const std::string& email = field(*row, "email_cont");
  const std::string telefone = field(*row, "ddd_comer") + " " + field(*row, "fone_comer");

  view_.addCnpjChoice(cnpj);
  cnpjChoices_.push_back(cnpj);
  ListaRazao.emplace_back(cnpj, nome);
  ListaEmail.emplace_back(cnpj, email);
  ListaTelefone.emplace_back(cnpj, telefone);
  if (text::trim(view_.razao()).empty()) {
    view_.setRazao(nome);
    view_.selectCnpj(static_cast<int>(cnpjChoices_.size()) - 1);
    view_.setEmail(email);
    view_.setTelefone(telefone);
  }

  const int r = static_cast<int>(lines_.size());
  addLine(std::to_string(n) + ") Path: " + folder + "  -  Base: " + UpperText(database), true);
  view_.enableContinue(true);
  if (r >= 0 && static_cast<std::size_t>(r) < aBases.size()) {
    aBases[static_cast<std::size_t>(r)] = {view_.keyText(), cnpj, database, view_.machineName(), folder};
  }
}

void Discovery::addLine(const std::string& text, bool enabled) {
  lines_.push_back(text);
  view_.addLine(text, enabled);
}

void Discovery::SetHorizontalScrollBar() {
  int width = 0;
  for (const std::string& line : lines_) {
    const int w = view_.textWidth(line);
    if (w > width) width = w + 400;
  }
  view_.setHorizontalExtent(width + 5);
}

void Discovery::CnpjChanged() {
  guarded([&] {
    const std::string cnpj = view_.cnpjText();
    view_.setRazao(lookup(ListaRazao, cnpj));
    view_.setTelefone(lookup(ListaTelefone, cnpj));
    view_.setEmail(lookup(ListaEmail, cnpj));
  });
}

void Discovery::CancelClicked() {
  if (!panelShown_) {
    shell_.terminate(0);
    return;
  }
  view_.showContactPanel(false);
  panelShown_ = false;
  view_.setCancelCaption("Cancelar");
}

void Discovery::ContinueClicked() {
  if (registering_ || flow_.handingOver()) return;
  guarded([&] {
    view_.setRegistroText("");
    if (panelShown_) {
      secondStep();
    } else {
      firstStep();
    }
  });
}

void Discovery::firstStep() {
  int ticked = 0;
  const int count = static_cast<int>(lines_.size());
  for (int i = 0; i < count; ++i) ticked += view_.lineTicked(i) ? 1 : 0;
  if (ticked == 0) {
    view_.showMessage("Selecione ao menos uma base de dados para configurar o Backup");
    return;
  }
  if (count - ticked > 0 &&
      !view_.askYesNo("Atenção",
                      "Algumas bases não foram selecionadas. Se continuar, essas bases ficarão sem Backup. "
                      "Tem certeza que deseja continuar?")) {
    return;
  }
  view_.showContactPanel(true);
  panelShown_ = true;
  view_.setCancelCaption("Voltar");
  view_.selectCnpj(0);
}

void Discovery::secondStep() {
  const std::pair<std::string, const char*> required[] = {
      {view_.cnpjText(), "CNPJ obrigatório!"},
      {view_.razao(), "Razão Social obrigatória!"},
      {view_.email(), "Email obrigatório!"},
      {view_.telefone(), "Telefone obrigatório!"},
  };
  for (const auto& [value, message] : required) {
    if (text::trim(value).empty()) {
      view_.showMessage(message);
      return;
    }
  }
  registering_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{registering_};

  server_.dropConnection();
  view_.setRegistroText("Iniciando Registro...");
  shell_.processMessages();

  const RegistroData data{view_.keyText(), view_.cnpjText(), view_.razao(), view_.telefone(),
                          view_.email(), view_.machineName(), view_.whatsapp()};
  ini_->WriteString("Conta", "Chave", data.chave);
  ini_->WriteString("Conta", "CNPJ", data.cnpj);
  ini_->WriteString("Conta", "Razao", data.razao);
  ini_->WriteString("Conta", "Email", data.emailcontato);
  ini_->WriteString("Conta", "Telefone", data.telefone);
  ini_->WriteString("Conta", "Whatsapp", data.whatsapp);

  const RegistroReply reply = server_.registro(baseUrl_, data);
  if (!reply.login) {
    view_.showMessage(reply.mensagem);
    return;
  }
  std::string label = "Conta criada com sucesso!";
  view_.setRegistroText(label);
  shell_.processMessages();

  ListaSelecao.clear();
  const int count = static_cast<int>(lines_.size());
  for (int i = 0; i < count; ++i) {
    if (view_.lineTicked(i) && static_cast<std::size_t>(i) < aBases.size()) ListaSelecao.push_back(aBases[static_cast<std::size_t>(i)].folder);
  }
  platform_.files.writeFile(settings_.appFolder + "Dided.ini", DidedIniBytes(ListaSelecao));

  label += std::string(kLineBreak) + kLineBreak + "Aguarde.... " + kLineBreak;
  view_.setRegistroText(label);
  shell_.processMessages();
  shell_.pause(2500);
  flow_.HandOver(Window::Discovery, Window::Validation);
}

}  // namespace zorvak::wizard
