// Recording stand-ins for the wizard's windows and scripted peers where no real one runs in a
// unit test (the Firebird server and the management server have their integration tests).
#pragma once

#include <deque>
#include <map>
#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/virtual_clock.h"
#include "wizard/account_server.h"
#include "wizard/discovery_view.h"
#include "wizard/flow.h"
#include "ports/firebird.h"
#include "ports/machine.h"
#include "posix/posix_platform.h"

namespace zorvak::test {

inline const char* windowName(wizard::Window w) {
  switch (w) {
    case wizard::Window::Launcher: return "Launcher";
    case wizard::Window::Discovery: return "Discovery";
    case wizard::Window::Validation: return "Validation";
    case wizard::Window::Schedule: return "Schedule";
  }
  return "?";
}

// Windows whose activation arrives `activationDelayMs` after the show (0: during it), and a
// watchdog timer that ticks on the virtual clock while enabled.
class RecordingShell final : public wizard::Shell {
 public:
  explicit RecordingShell(VirtualClock& clock) : clock_(clock) {}
  void attach(wizard::Flow& flow) { flow_ = &flow; }

  void showWindow(wizard::Window w) override {
    log("show " + std::string(windowName(w)));
    if (activationDelayMs == 0) {
      flow_->WorkingActivated(w);
    } else {
      clock_.at(clock_.monotonicMs() + activationDelayMs, [this, w] { flow_->WorkingActivated(w); });
    }
  }
  void closeWindow(wizard::Window w) override {
    log("close " + std::string(windowName(w)));
    flow_->WorkingClosed(w);
  }
  void setWatchdog(bool enabled, int intervalMs) override {
    timerEnabled = enabled;
    timerInterval = intervalMs;
    const int generation = ++generation_;
    if (enabled) schedule(generation);
  }
  void showMessage(std::string_view text) override {
    log("message " + std::string(text));
    if (onMessage) onMessage();
  }
  void terminate(int exitCode) override {
    log("exit " + std::to_string(exitCode));
    exitCodes.push_back(exitCode);
  }
  void pause(std::int64_t ms) override {
    if (onPause) onPause(ms);
    clock_.sleepMs(ms);
  }
  void processMessages() override { ++processed; }

  std::vector<std::string> events;  // "<ms> what"
  std::vector<int> exitCodes;
  bool timerEnabled = false;
  int timerInterval = 0;
  int activationDelayMs = 0;
  int processed = 0;
  std::function<void()> onMessage;
  std::function<void(std::int64_t)> onPause;

 private:
  void log(const std::string& what) { events.push_back(std::to_string(clock_.monotonicMs()) + " " + what); }
  void schedule(int generation) {
    clock_.at(clock_.monotonicMs() + timerInterval, [this, generation] {
      if (generation != generation_ || !timerEnabled) return;
      schedule(generation);
      flow_->Tick();
    });
  }

  VirtualClock& clock_;
  wizard::Flow* flow_ = nullptr;
  int generation_ = 0;
};

struct RecordedLine {
  std::string text;
  bool enabled;
  bool ticked = false;
};

class RecordingDiscoveryView final : public wizard::DiscoveryView {
 public:
  std::function<void()> onKeyChanged;
  std::function<void()> onMessage;

  std::string keyText() override { return key; }
  void setKeyText(std::string_view t) override {
    key = t;
    if (onKeyChanged) onKeyChanged();
  }
  void enableKey(bool on) override { keyEnabled = on; }
  std::string machineName() override { return machine; }
  void setMachineName(std::string_view t) override { machine = t; }
  void setScanModeText(std::string_view t) override { scanMode = t; }
  std::string pathText() override { return path; }
  void setPathText(std::string_view t) override { path = t; }
  void showPathControls(bool on) override { pathShown = on; }
  void enablePathButton(bool on) override { pathButtonEnabled = on; }
  void enableScanButton(bool on) override { scanEnabled = on; }
  void setScanButtonCaption(std::string_view t) override { scanCaption = t; }
  void enableAlterarButton(bool on) override { alterarEnabled = on; }
  void setStatus(std::string_view t) override { statuses.emplace_back(t); }
  void showStatus(bool on) override { statusShown = on; }
  void clearLines() override { lines.clear(); }
  void addLine(std::string_view t, bool enabled) override { lines.push_back({std::string(t), enabled}); }
  bool lineTicked(int i) override { return lines.at(static_cast<std::size_t>(i)).ticked; }
  int textWidth(std::string_view t) override { return static_cast<int>(t.size()) * 6; }
  void setHorizontalExtent(int px) override { extent = px; }
  void enableContinue(bool on) override { continueEnabled = on; }
  void clearCnpjChoices() override {
    cnpjChoices.clear();
    cnpjIndex = -1;
  }
  void addCnpjChoice(std::string_view c) override { cnpjChoices.emplace_back(c); }
  void selectCnpj(int i) override { cnpjIndex = i < static_cast<int>(cnpjChoices.size()) ? i : -1; }
  std::string cnpjText() override { return cnpjIndex < 0 ? "" : cnpjChoices[static_cast<std::size_t>(cnpjIndex)]; }
  std::string razao() override { return razaoText; }
  void setRazao(std::string_view t) override { razaoText = t; }
  std::string email() override { return emailText; }
  void setEmail(std::string_view t) override { emailText = t; }
  std::string telefone() override { return telefoneText; }
  void setTelefone(std::string_view t) override { telefoneText = t; }
  std::string whatsapp() override { return whats; }
  void showContactPanel(bool on) override { panelShown = on; }
  void setCancelCaption(std::string_view t) override { cancelCaption = t; }
  void setRegistroText(std::string_view t) override { registro.emplace_back(t); }
  void showMessage(std::string_view t) override {
    messages.emplace_back(t);
    if (onMessage) onMessage();
  }
  bool askYesNo(std::string_view title, std::string_view t) override {
    messages.push_back(std::string(title) + ": " + std::string(t));
    return answerYes;
  }
  bool confirmWarning(std::string_view t) override {
    messages.emplace_back(t);
    return answerYes;
  }
  void showError(std::string_view t) override { errors.emplace_back(t); }
  std::optional<std::string> chooseFolder(std::string_view) override { return chosenFolder; }

  void tick(int i) { lines.at(static_cast<std::size_t>(i)).ticked = true; }
  std::vector<std::string> lineTexts() const {
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(l.text);
    return out;
  }

  std::string key, machine, scanMode, path, scanCaption = "Procurar", cancelCaption = "Cancelar";
  bool keyEnabled = false, pathShown = true, pathButtonEnabled = true, scanEnabled = false, alterarEnabled = true;
  bool statusShown = false, continueEnabled = false, panelShown = false, answerYes = true;
  std::vector<std::string> statuses, messages, errors, registro, cnpjChoices;
  std::vector<RecordedLine> lines;
  int extent = 0, cnpjIndex = -1;
  std::string razaoText, emailText, telefoneText, whats = "(  )     -    ";
  std::optional<std::string> chosenFolder;
};

// A Firebird server answering from a table of databases: a missing name fails to connect; a
// database with `error` set fails the query with that text.
class ScriptedFirebird final : public ports::Firebird {
 public:
  struct Database {
    std::optional<std::vector<ports::FieldValue>> row;
    std::string error;
  };
  std::map<std::string, Database> databases;
  std::vector<ports::FirebirdParams> attempts;

  bool connect(const ports::FirebirdParams& p) override {
    close();
    attempts.push_back(p);
    if (!databases.count(p.database)) {
      error_ = "Unable to complete network request";
      return false;
    }
    open_ = p.database;
    return true;
  }
  bool connected() const override { return !open_.empty(); }
  const std::string& lastError() const override { return error_; }
  std::optional<std::vector<ports::FieldValue>> firstRow(std::string_view) override {
    const Database& db = databases.at(open_);
    if (!db.error.empty()) throw ports::DatabaseError(db.error);
    return db.row;
  }
  void close() override { open_.clear(); }

 private:
  std::string open_, error_;
};

inline std::vector<ports::FieldValue> companyRow(const std::string& cnpj, const std::string& nome,
                                                 const std::string& email, const std::string& ddd,
                                                 const std::string& fone) {
  return {{"CNPJ", cnpj}, {"NOME", nome}, {"EMAIL_CONT", email}, {"DDD_COMER", ddd}, {"FONE_COMER", fone}};
}

// The real file system with listings in name order (readdir's order is the file system's) and chosen entries marked hidden, as
// Windows marks them with FILE_ATTRIBUTE_HIDDEN or _SYSTEM.
class MarkedFiles final : public ports::FileSystem {
 public:
  bool fileExists(std::string_view p) override { return real.fileExists(p); }
  bool directoryExists(std::string_view p) override { return real.directoryExists(p); }
  std::string readFile(std::string_view p) override { return real.readFile(p); }
  void writeFile(std::string_view p, std::string_view b) override { real.writeFile(p, b); }
  void appendFile(std::string_view p, std::string_view b) override { real.appendFile(p, b); }
  bool createDirectories(std::string_view p) override { return real.createDirectories(p); }
  bool renameFile(std::string_view f, std::string_view t) override { return real.renameFile(f, t); }
  bool deleteFile(std::string_view p) override { return real.deleteFile(p); }
  std::optional<std::uint64_t> fileSize(std::string_view p) override { return real.fileSize(p); }
  std::vector<ports::DirEntry> listDirectory(std::string_view p) override {
    listed.emplace_back(p);
    auto entries = real.listDirectory(p);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (auto& e : entries) e.hidden = hidden.count(posix::nativePath(std::string(p) + e.name)) > 0;
    return entries;
  }
  posix::PosixFileSystem real;
  std::set<std::string> hidden;
  std::vector<std::string> listed;
};

class FakeMachine final : public ports::Machine {
 public:
  std::uint32_t drives = 0;
  std::string name = "SERVIDOR";
  std::uint32_t logicalDrives() override { return drives; }
  std::string computerName() override { return name; }
};

class RecordingAccountServer final : public wizard::AccountServer {
 public:
  void dropConnection() override { ++drops; }
  void probe(std::string_view url) override {
    probes.emplace_back(url);
    throw std::runtime_error("probe refused");
  }
  wizard::RegistroReply registro(std::string_view baseUrl, const wizard::RegistroData& d) override {
    urls.emplace_back(baseUrl);
    sent.push_back(d);
    if (replies.empty()) throw std::runtime_error("Socket Error # 10061 Connection refused.");
    wizard::RegistroReply r = replies.front();
    replies.pop_front();
    return r;
  }
  int drops = 0;
  std::vector<std::string> probes, urls;
  std::vector<wizard::RegistroData> sent;
  std::deque<wizard::RegistroReply> replies;
};

}  // namespace zorvak::test
