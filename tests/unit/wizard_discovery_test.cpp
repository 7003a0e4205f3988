#include "wizard/discovery.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/text.h"
#include "posix/posix_platform.h"
#include "support/temp_dir.h"
#include "support/wizard_fakes.h"

namespace zorvak::wizard {
namespace {

class DiscoveryTest : public ::testing::Test {
 protected:
  DiscoveryTest() {
    shell_.attach(flow_);
    view_.onKeyChanged = [this] { discovery_.KeyTextChanged(); };
    std::filesystem::create_directories(app());
    std::filesystem::create_directories(scanRoot());
  }
  std::string app() const { return dir_.path() + "app/"; }
  std::string scanRoot() const { return dir_.path() + "scan/"; }
  // An installation folder below the scan root; `tools` says which of c4b.exe and gbak.exe it has.
  std::string install(const std::string& name, const std::string& database, bool c4b = true, bool gbak = true) {
    const std::string folder = scanRoot() + name + "/";
    std::filesystem::create_directories(folder);
    write(folder + "dided.ini", database.empty() ? "[FB]\r\n" : "[FB]\r\nDatabase=" + database + "\r\n");
    if (c4b) write(folder + "c4b.exe", "");
    if (gbak) write(folder + "gbak.exe", "");
    return scanRoot() + "\\" + name + "\\";  // the scan path got its backslash
  }
  static void write(const std::string& path, const std::string& bytes) {
    posix::PosixFileSystem().writeFile(path, bytes);
  }
  void company(const std::string& database, const std::string& cnpj, const std::string& nome,
               const std::string& email = "contato@empresa.com.br") {
    firebird_.databases[database].row = test::companyRow(cnpj, nome, email, "011", "3333-4444");
  }
  // The window as the program makes it, switched to scanning the fixture's folder.
  void createForOnePath() {
    write(app() + "Zorvak.ini", "[DEBUG]\r\nPathScan=" + scanRoot() + "\r\n[Conta]\r\nChave=ZV7E80C0F0A1B2C3D4\r\n");
    discovery_.Create();
    discovery_.KeyDown(kVkF11);
  }
  std::string ini(const std::string& section, const std::string& key) {
    posix::PosixProfileStore store;
    return store.open(app() + "Zorvak.ini")->readString(section, key, "<absent>");
  }
  void scanAndOpenPanel() {
    discovery_.ScanClicked();
    for (std::size_t i = 0; i < view_.lines.size(); ++i) {
      if (view_.lines[i].enabled) view_.tick(static_cast<int>(i));
    }
    discovery_.ContinueClicked();
    ASSERT_TRUE(discovery_.contactPanelShown());
  }

  test::TempDir dir_;
  test::VirtualClock clock_;
  test::MarkedFiles files_;
  posix::PosixProfileStore profiles_;
  posix::FixedRegionalSettings regional_;
  ports::Platform platform_{clock_, files_, profiles_, regional_};
  test::RecordingShell shell_{clock_};
  Flow flow_{shell_};
  test::RecordingDiscoveryView view_;
  test::FakeMachine machine_;
  test::ScriptedFirebird firebird_;
  test::RecordingAccountServer server_;
  Discovery discovery_{view_, flow_, shell_, platform_, machine_, firebird_, server_,
                       {app(), "http://127.0.0.1:8088/zorvak/", "http://127.0.0.1:8088/probe"}};
};

TEST_F(DiscoveryTest, CreationReadsTheKeyThePathAndTheServer) {
  discovery_.Create();
  EXPECT_EQ(view_.key.substr(0, 2), "ZV");  // a fresh key, not written until a registration
  EXPECT_EQ(ini("Conta", "Chave"), "<absent>");
  EXPECT_TRUE(view_.scanEnabled);
  EXPECT_EQ(view_.path, "c:\\");
  EXPECT_FALSE(view_.pathShown);
  EXPECT_EQ(view_.scanMode, "A varredura irá ocorrer em todas as unidades de disco.");
  EXPECT_EQ(view_.machine, "SERVIDOR");
  EXPECT_EQ(view_.extent, 5);
  EXPECT_EQ(discovery_.serverUrl(), "http://127.0.0.1:8088/zorvak/");

  write(app() + "Zorvak.ini", "[CONFIG]\r\nPathNuvem=\r\n[Conta]\r\nChave=   \r\n");
  discovery_.Create();
  EXPECT_EQ(discovery_.serverUrl(), "");  // present and empty is not absent
  EXPECT_FALSE(view_.scanEnabled);       // a key of blanks
}

TEST_F(DiscoveryTest, ActivationReportsAndProbesIgnoringFailure) {
  discovery_.Create();
  discovery_.Activated();
  EXPECT_TRUE(flow_.lTemForm2);
  EXPECT_TRUE(flow_.lCarregou);
  EXPECT_EQ(server_.probes, std::vector<std::string>{"http://127.0.0.1:8088/probe"});
  EXPECT_TRUE(view_.errors.empty());
  discovery_.Closed();
  EXPECT_FALSE(flow_.lTemForm2);
}

TEST_F(DiscoveryTest, EachLineAndState) {
  const std::string a = install("a_ok", "/data/Emp1.fdb");
  install("b_nothing", "/data/x.fdb", false, false);
  install("c_nogbak", "srv:/data/y.fdb", true, false);
  install("d_nosetting", "");
  install("e_down", "/data/down.fdb");
  install("f_empty", "/data/vazia.fdb");
  company("/data/Emp1.fdb", "12.345.678/0001-90", "Padaria São João");
  firebird_.databases["/data/vazia.fdb"].row = std::nullopt;
  createForOnePath();
  discovery_.ScanClicked();

  EXPECT_EQ(view_.lineTexts(), (std::vector<std::string>{
                                   "1) Path: " + a + "  -  Base: /DATA/EMP1.FDB",
                                   "2) Base [ /DATA/X.FDB ] C4B não encontrado",
                                   "3) Base [ SRV:/DATA/Y.FDB ] GBAK não encontrado",
                                   "5) Base [ /DATA/DOWN.FDB ] Falha ao conectar no Banco de Dados",
                                   "6) Base [ /DATA/VAZIA.FDB ] Nenhuma empresa cadastrada",
                               }));
  EXPECT_TRUE(view_.lines[0].enabled);
  for (std::size_t i = 1; i < view_.lines.size(); ++i) EXPECT_FALSE(view_.lines[i].enabled) << i;
  EXPECT_TRUE(view_.continueEnabled);

  // The database test: the setting as read, the fixed parameters.
  ASSERT_EQ(firebird_.attempts.size(), 3u);
  EXPECT_EQ(firebird_.attempts[0].database, "/data/Emp1.fdb");
  EXPECT_EQ(firebird_.attempts[0].user, "SYSDBA");
  EXPECT_EQ(firebird_.attempts[0].password, "masterkey");
  EXPECT_EQ(firebird_.attempts[0].connectTimeoutSec, 20);
  EXPECT_EQ(firebird_.attempts[0].sqlDialect, 3);
  EXPECT_FALSE(firebird_.connected());

  // The company fills the panel and the row of the offered line.
  EXPECT_EQ(view_.cnpjChoices, std::vector<std::string>{"12345678000190"});
  EXPECT_EQ(view_.cnpjIndex, 0);
  EXPECT_EQ(view_.razaoText, "Padaria São João");
  EXPECT_EQ(view_.telefoneText, "011 3333-4444");
  EXPECT_EQ(view_.emailText, "contato@empresa.com.br");
  const BaseRow& row = discovery_.aBases.at(0);
  EXPECT_EQ(row.chave, "ZV7E80C0F0A1B2C3D4");
  EXPECT_EQ(row.cnpj, "12345678000190");
  EXPECT_EQ(row.database, "/data/Emp1.fdb");
  EXPECT_EQ(row.maquina, "SERVIDOR");
  EXPECT_EQ(row.folder, a);
  EXPECT_EQ(discovery_.aBases.size(), 350u);
  EXPECT_TRUE(discovery_.aBases.at(1).folder.empty());

  // Status texts and the end of the scan.
  EXPECT_EQ(view_.statuses.front(), "Procurando por instalações do Dided. Por favor, aguarde...");
  EXPECT_NE(std::find(view_.statuses.begin(), view_.statuses.end(),
                      "Testando conexão com o banco de dados [/data/Emp1.fdb]\rConectando..."),
            view_.statuses.end());
  EXPECT_NE(std::find(view_.statuses.begin(), view_.statuses.end(), "Localizando banco de dados [/data/down.fdb]"),
            view_.statuses.end());
  EXPECT_EQ(view_.statuses.back(), "");
  EXPECT_TRUE(view_.scanEnabled && view_.pathButtonEnabled && view_.alterarEnabled);
  EXPECT_EQ(view_.scanCaption, "Procurar novamente");
  EXPECT_EQ(view_.extent, static_cast<int>(view_.lines[0].text.size()) * 6 + 405);
  EXPECT_EQ(ini("DEBUG", "PathScan"), scanRoot() + "\\");  // trimmed, a backslash added
}

TEST_F(DiscoveryTest, NoInstallationAnywhere) {
  createForOnePath();
  discovery_.ScanClicked();
  EXPECT_EQ(view_.lineTexts(), std::vector<std::string>{"Nenhuma instalação do Dided foi encontrada!"});
  EXPECT_FALSE(view_.lines[0].enabled);
  EXPECT_FALSE(view_.continueEnabled);
}

TEST_F(DiscoveryTest, AnErrorReadingTheCompanyEndsTheScanWithItsText) {
  install("a", "/db/a.fdb");
  install("b", "/db/b.fdb");
  install("c", "/db/c.fdb");
  company("/db/a.fdb", "1", "A");
  firebird_.databases["/db/b.fdb"].error = "Dynamic SQL Error | SQL error code = -204 | Table unknown | TB_EMITENTE";
  company("/db/c.fdb", "3", "C");
  createForOnePath();
  discovery_.ScanClicked();
  EXPECT_EQ(view_.lines.size(), 1u);
  EXPECT_EQ(view_.errors, std::vector<std::string>{"Dynamic SQL Error | SQL error code = -204 | Table unknown | TB_EMITENTE"});
  EXPECT_EQ(firebird_.attempts.size(), 2u);  // c is never examined
  EXPECT_FALSE(firebird_.connected());
  EXPECT_EQ(view_.statuses.back(), "");
  EXPECT_EQ(view_.scanCaption, "Procurar novamente");

  // A table without one of the five fields is such an error too.
  firebird_.databases["/db/b.fdb"] = {std::vector<ports::FieldValue>{{"CNPJ", "2"}, {"NOME", "B"}}, ""};
  view_.errors.clear();
  discovery_.ScanClicked();
  EXPECT_EQ(view_.errors, std::vector<std::string>{"Field 'email_cont' not found"});
}

TEST_F(DiscoveryTest, DuplicateCnpjsAndASecondScanKeepingTheContactFields) {
  install("a", "/db/a.fdb");
  install("b", "/db/b.fdb");
  company("/db/a.fdb", "11.111.111/0001-11", "Matriz", "matriz@x.com");
  company("/db/b.fdb", "11.111.111/0001-11", "Filial", "filial@x.com");
  createForOnePath();
  discovery_.ScanClicked();
  EXPECT_EQ(view_.cnpjChoices, (std::vector<std::string>{"11111111000111", "11111111000111"}));
  view_.cnpjIndex = 1;
  discovery_.CnpjChanged();
  EXPECT_EQ(view_.razaoText, "Matriz");  // the first pair for that CNPJ
  EXPECT_EQ(view_.emailText, "matriz@x.com");

  view_.emailText = "typed@x.com";
  company("/db/a.fdb", "22.222.222/0001-22", "Outra", "outra@x.com");
  discovery_.ScanClicked();
  EXPECT_EQ(view_.cnpjChoices, (std::vector<std::string>{"22222222000122", "11111111000111"}));
  EXPECT_EQ(view_.razaoText, "Matriz");
  EXPECT_EQ(view_.emailText, "typed@x.com");
  EXPECT_EQ(discovery_.ListaRazao.size(), 2u);
}

TEST_F(DiscoveryTest, At300InstallationsTheRestGetNoLine) {
  for (int i = 0; i < 301; ++i) install("i" + std::to_string(1000 + i), "/db/x.fdb", false, false);
  createForOnePath();
  discovery_.ScanClicked();
  EXPECT_EQ(discovery_.ListaPastas.size(), 301u);
  ASSERT_EQ(view_.lines.size(), 300u);
  EXPECT_EQ(view_.lines.back().text, "300) Base [ /DB/X.FDB ] C4B não encontrado");
}

TEST_F(DiscoveryTest, ScanModesAndTheConfiguredPath) {
  discovery_.Create();
  discovery_.KeyDown(kVkF11);
  EXPECT_EQ(view_.scanMode, "A varredura irá ocorrer apenas no seguinte caminho: ");
  EXPECT_TRUE(view_.pathShown);
  view_.path = "  d:\\outro  ";
  discovery_.ScanClicked();
  EXPECT_EQ(view_.path, "d:\\outro\\");
  EXPECT_EQ(ini("DEBUG", "PathScan"), "d:\\outro\\");
  view_.path = "e:\\typed\\";
  discovery_.KeyDown(kVkF11);  // back to all drives: the configured path, not the typed one
  EXPECT_EQ(view_.path, "d:\\outro\\");
  EXPECT_FALSE(view_.pathShown);
  // The path is written in all-drives mode too, and the drives are what is walked.
  view_.path = "";
  machine_.drives = 0;
  discovery_.ScanClicked();
  EXPECT_EQ(ini("DEBUG", "PathScan"), "\\");

  view_.chosenFolder = "f:\\escolhida";
  discovery_.PathButtonClicked();
  EXPECT_EQ(view_.path, "f:\\escolhida");
  view_.chosenFolder.reset();
  discovery_.PathButtonClicked();
  EXPECT_EQ(view_.path, "f:\\escolhida");
}

TEST_F(DiscoveryTest, KeyBoxUnlocking) {
  discovery_.Create();
  discovery_.KeyDown(kVkF12);
  EXPECT_TRUE(view_.keyEnabled);
  view_.keyEnabled = false;
  view_.answerYes = false;
  discovery_.AlterarClicked();
  EXPECT_FALSE(view_.keyEnabled);
  view_.answerYes = true;
  discovery_.AlterarClicked();
  EXPECT_TRUE(view_.keyEnabled);
  EXPECT_EQ(view_.messages.back(),
            "ATENÇÃO! Apenas altere esse ID com orientação do suporte. Tem certeza que deseja continuar?");
}

TEST_F(DiscoveryTest, FirstStepOfContinuar) {
  install("a", "/db/a.fdb");
  install("b", "/db/b.fdb", false);
  company("/db/a.fdb", "1", "A");
  createForOnePath();
  discovery_.KeyDown(kVkF4);  // nothing offered yet, Continue disabled: F4 still runs it
  EXPECT_EQ(view_.messages.back(), "Selecione ao menos uma base de dados para configurar o Backup");

  discovery_.ScanClicked();
  view_.tick(0);  // every offered line ticked, but a not-offered one is there
  view_.answerYes = false;
  discovery_.ContinueClicked();
  EXPECT_EQ(view_.messages.back(),
            "Atenção: Algumas bases não foram selecionadas. Se continuar, essas bases ficarão sem Backup. "
            "Tem certeza que deseja continuar?");
  EXPECT_FALSE(view_.panelShown);

  view_.answerYes = true;
  view_.cnpjIndex = -1;
  discovery_.ContinueClicked();
  EXPECT_TRUE(view_.panelShown);
  EXPECT_EQ(view_.cancelCaption, "Voltar");
  EXPECT_EQ(view_.cnpjIndex, 0);

  discovery_.CancelClicked();  // "Voltar": the panel closes, the ticks stay
  EXPECT_FALSE(view_.panelShown);
  EXPECT_EQ(view_.cancelCaption, "Cancelar");
  EXPECT_TRUE(view_.lines[0].ticked);
  EXPECT_TRUE(shell_.exitCodes.empty());
  discovery_.CancelClicked();
  EXPECT_EQ(shell_.exitCodes, std::vector<int>{0});
}

TEST_F(DiscoveryTest, SecondStepChecksTheContactFieldsInOrder) {
  install("a", "/db/a.fdb");
  company("/db/a.fdb", "1", "A");
  createForOnePath();
  scanAndOpenPanel();
  struct Case {
    std::function<void()> change;
    const char* message;
  };
  const Case cases[] = {
      {[&] { view_.telefoneText = " "; }, "Telefone obrigatório!"},
      {[&] { view_.emailText = ""; }, "Email obrigatório!"},
      {[&] { view_.razaoText = "  "; }, "Razão Social obrigatória!"},
      {[&] { view_.cnpjIndex = -1; }, "CNPJ obrigatório!"},
  };
  for (const Case& c : cases) {
    c.change();
    discovery_.ContinueClicked();
    EXPECT_EQ(view_.messages.back(), c.message);
  }
  EXPECT_TRUE(server_.sent.empty());
  EXPECT_EQ(ini("Conta", "CNPJ"), "<absent>");
}

TEST_F(DiscoveryTest, RegistrationRefusedThenAcceptedThenTheHandOver) {
  const std::string a = install("a", "/db/a.fdb");
  install("b", "/db/b.fdb");
  const std::string c = install("c", "/db/c.fdb");
  company("/db/a.fdb", "12.345.678/0001-90", "Padaria São João");
  company("/db/b.fdb", "2", "B");
  company("/db/c.fdb", "3", "C");
  createForOnePath();
  discovery_.ScanClicked();
  view_.tick(0);
  view_.tick(2);
  discovery_.ContinueClicked();
  ASSERT_TRUE(view_.panelShown);
  flow_.WorkingActivated(Window::Discovery);

  server_.replies = {{false, "CNPJ já cadastrado"}, {true, ""}};
  discovery_.ContinueClicked();
  EXPECT_EQ(view_.messages.back(), "CNPJ já cadastrado");
  EXPECT_TRUE(view_.panelShown);
  // Stored with its trailing blanks (the profile functions trim them on reading).
  EXPECT_NE(dir_.read("app/Zorvak.ini").find("\r\nWhatsapp=(  )     -    \r\n"), std::string::npos);
  EXPECT_FALSE(files_.fileExists(app() + "Dided.ini"));

  view_.emailText = "novo@padaria.com.br";
  view_.whats = "(11)98765-4321";
  view_.registro.clear();
  clock_.clearPauses();
  discovery_.ContinueClicked();
  ASSERT_EQ(server_.sent.size(), 2u);
  const RegistroData& d = server_.sent[1];
  EXPECT_EQ(std::vector<std::string>({d.chave, d.cnpj, d.razao, d.telefone, d.emailcontato, d.maquina, d.whatsapp}),
            std::vector<std::string>({"ZV7E80C0F0A1B2C3D4", "12345678000190", "Padaria São João", "011 3333-4444",
                                      "novo@padaria.com.br", "SERVIDOR", "(11)98765-4321"}));
  EXPECT_EQ(server_.urls[1], "http://127.0.0.1:8088/zorvak/");

  // The six keys in their order, the latest texts.
  const std::string zorvak = text::fromCp1252(dir_.read("app/Zorvak.ini"));
  const std::size_t conta = zorvak.find("[Conta]");
  ASSERT_NE(conta, std::string::npos);
  EXPECT_EQ(zorvak.substr(conta),
            "[Conta]\r\nChave=ZV7E80C0F0A1B2C3D4\r\nCNPJ=12345678000190\r\nRazao=Padaria São João\r\n"
            "Email=novo@padaria.com.br\r\nTelefone=011 3333-4444\r\nWhatsapp=(11)98765-4321\r\n");

  EXPECT_EQ(dir_.read("app/Dided.ini"), text::toCp1252(a + "\r\n" + c + "\r\n"));
  EXPECT_EQ(view_.registro, (std::vector<std::string>{"", "Iniciando Registro...", "Conta criada com sucesso!",
                                                      "Conta criada com sucesso!\r\n\r\nAguarde.... \r\n"}));
  // 2500 ms, then the hand-over's 1500 and 3500.
  EXPECT_EQ(clock_.pauses(), (std::vector<std::int64_t>{2500, 1500, 3500}));
  EXPECT_EQ(shell_.events, (std::vector<std::string>{"2500 show Validation", "7500 close Discovery"}));
  EXPECT_FALSE(flow_.lTemForm2);
}

TEST_F(DiscoveryTest, AFailedRequestShowsItsTextAndKeepsTheKeysWritten) {
  install("a", "/db/a.fdb");
  company("/db/a.fdb", "1", "A");
  createForOnePath();
  scanAndOpenPanel();
  discovery_.ContinueClicked();  // no reply scripted: the request fails
  EXPECT_EQ(view_.errors, std::vector<std::string>{"Socket Error # 10061 Connection refused."});
  EXPECT_EQ(ini("Conta", "Razao"), "A");
  EXPECT_TRUE(view_.panelShown);
  // A second attempt is not blocked by the first.
  server_.replies = {{false, "Tente mais tarde"}};
  discovery_.ContinueClicked();
  EXPECT_EQ(view_.messages.back(), "Tente mais tarde");
}

}  // namespace
}  // namespace zorvak::wizard
