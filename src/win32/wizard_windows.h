// The wizard's four windows on the Win32 API. They only create controls, forward events to the
// presenters and set texts; the behaviour is in src/wizard.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ports/clock.h"
#include "wizard/account.h"
#include "wizard/discovery.h"
#include "wizard/discovery_view.h"
#include "wizard/flow.h"
#include "wizard/working_windows.h"

namespace zorvak::win32 {

inline constexpr const wchar_t* kAppTitle = L"Zorvak for ZedozIze";

// After a working window hides itself: its owner, the launcher, becomes active when nothing
// else is, as on Windows.
void activateOwnerIfNothingActive(HWND hidden);

// Ends the process with the code. Never returns.
[[noreturn]] void EndProgram(int exitCode);

// The launcher TForm4, the shell the flow drives, and the message loop.
class WizardShell final : public wizard::Shell {
 public:
  WizardShell(HINSTANCE instance, ports::Clock& clock);

  void attach(wizard::Flow& flow, wizard::Discovery& discovery, wizard::Validation& validation,
              wizard::Schedule& schedule);
  void createLauncher();
  // TForm1 and TForm3: their titles and frames, hidden.
  void createValidation();
  void createSchedule();
  void setDiscoveryWindow(HWND hwnd) { discovery_ = hwnd; }
  // Shows the launcher and runs the message loop until the program ends.
  int run();

  void showWindow(wizard::Window w) override;
  void closeWindow(wizard::Window w) override;
  void setWatchdog(bool enabled, int intervalMs) override;
  void showMessage(std::string_view text) override;
  void terminate(int exitCode) override;
  void pause(std::int64_t ms) override;
  void processMessages() override;

  HWND launcher() const { return launcher_; }

 private:
  static LRESULT CALLBACK LauncherProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK WorkingProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT working(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND handle(wizard::Window w) const;
  HWND createWorking(const wchar_t* cls, const wchar_t* title, const wchar_t* text, int leftId,
                     const wchar_t* left, int rightId, const wchar_t* right);
  // The discovery window sees its function keys before its controls do.
  bool preTranslate(const MSG& msg);
  void dispatch(MSG& msg);

  HINSTANCE instance_;
  ports::Clock& clock_;
  wizard::Flow* flow_ = nullptr;
  wizard::Discovery* discoveryPresenter_ = nullptr;
  wizard::Validation* validation_ = nullptr;
  wizard::Schedule* schedule_ = nullptr;
  HWND launcher_ = nullptr, discovery_ = nullptr, validationWnd_ = nullptr, scheduleWnd_ = nullptr;
  HFONT launcherFont_ = nullptr, uiFont_ = nullptr;
  bool quit_ = false;
  int quitCode_ = 0;
};

// The discovery and account window TForm2.
class DiscoveryWindow final : public wizard::DiscoveryView {
 public:
  explicit DiscoveryWindow(HINSTANCE instance);
  ~DiscoveryWindow() override;
  void attach(wizard::Discovery& presenter) { presenter_ = &presenter; }
  // Owned by the launcher, so it stays above it and shares its taskbar button.
  void create(HWND owner);
  void showMaximized();
  HWND hwnd() const { return hwnd_; }

  std::string keyText() override;
  void setKeyText(std::string_view text) override;
  void enableKey(bool on) override;
  std::string machineName() override;
  void setMachineName(std::string_view text) override;
  void setScanModeText(std::string_view text) override;
  std::string pathText() override;
  void setPathText(std::string_view text) override;
  void showPathControls(bool on) override;
  void enablePathButton(bool on) override;
  void enableScanButton(bool on) override;
  void setScanButtonCaption(std::string_view text) override;
  void enableAlterarButton(bool on) override;
  void setStatus(std::string_view text) override;
  void showStatus(bool on) override;
  void clearLines() override;
  void addLine(std::string_view text, bool enabled) override;
  bool lineTicked(int index) override;
  int textWidth(std::string_view text) override;
  void setHorizontalExtent(int pixels) override;
  void enableContinue(bool on) override;
  void clearCnpjChoices() override;
  void addCnpjChoice(std::string_view cnpj) override;
  void selectCnpj(int index) override;
  std::string cnpjText() override;
  std::string razao() override;
  void setRazao(std::string_view text) override;
  std::string email() override;
  void setEmail(std::string_view text) override;
  std::string telefone() override;
  void setTelefone(std::string_view text) override;
  std::string whatsapp() override;
  void showContactPanel(bool on) override;
  void setCancelCaption(std::string_view text) override;
  void setRegistroText(std::string_view text) override;
  void showMessage(std::string_view text) override;
  bool askYesNo(std::string_view title, std::string_view text) override;
  bool confirmWarning(std::string_view text) override;
  void showError(std::string_view text) override;
  std::optional<std::string> chooseFolder(std::string_view start) override;

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK MaskProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  void command(int id, int code);
  void layout();
  void drawLine(const DRAWITEMSTRUCT& d);
  void toggleLine(int index);
  LRESULT maskMessage(HWND edit, UINT msg, WPARAM wp, LPARAM lp);
  void showMask(std::size_t caret);
  HWND item(int id) const;
  HWND make(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, HFONT font = nullptr);

  HINSTANCE instance_;
  HWND owner_;
  HWND hwnd_ = nullptr, panel_ = nullptr;
  wizard::Discovery* presenter_ = nullptr;
  HFONT uiFont_ = nullptr, listFont_ = nullptr, listBold_ = nullptr, statusFont_ = nullptr, boldFont_ = nullptr;
  bool panelShown_ = false;
  wizard::MaskedText whats_{wizard::kWhatsMask};
  bool maskUpdating_ = false;
};

}  // namespace zorvak::win32
