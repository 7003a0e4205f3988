#include <windows.h>

#include "win32/wide.h"
#include "win32/wizard_ids.h"
#include "win32/wizard_windows.h"
#include "wizard/isc_firebird.h"

namespace zorvak::win32 {
namespace {

constexpr UINT kWatchdogTimer = 1;
constexpr int kLauncherWidth = 534, kLauncherHeight = 86;

WizardShell* shellOf(HWND hwnd) { return reinterpret_cast<WizardShell*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

void storeOnCreate(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
}

}  // namespace

void activateOwnerIfNothingActive(HWND hidden) {
  // Windows hands the activation of a hidden owned window to its owner; Wine 8 leaves no window
  // active, and the launcher's watchdog would then never start again.
  HWND active = GetActiveWindow();
  if (!active || active == hidden || !IsWindowVisible(active)) {
    if (HWND owner = GetWindow(hidden, GW_OWNER)) SetActiveWindow(owner);
  }
}

WizardShell::WizardShell(HINSTANCE instance, ports::Clock& clock) : instance_(instance), clock_(clock) {
  uiFont_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0,
                        L"Tahoma");
  launcherFont_ = CreateFontW(-16, 0, 0, 0, FW_NORMAL, TRUE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                              CLEARTYPE_QUALITY, 0, L"Arial");
}

void WizardShell::attach(wizard::Flow& flow, wizard::Discovery& discovery, wizard::Validation& validation,
                         wizard::Schedule& schedule) {
  flow_ = &flow;
  discoveryPresenter_ = &discovery;
  validation_ = &validation;
  schedule_ = &schedule;
}

void WizardShell::createLauncher() {
  WNDCLASSEXW wc{sizeof wc};
  wc.lpfnWndProc = LauncherProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = ids::kLauncherClass;
  RegisterClassExW(&wc);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kLauncherWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kLauncherHeight) / 2;
  launcher_ = CreateWindowExW(WS_EX_APPWINDOW, ids::kLauncherClass, kAppTitle, WS_POPUP, x, y, kLauncherWidth,
                              kLauncherHeight, nullptr, nullptr, instance_, this);
  HWND label = CreateWindowExW(0, L"STATIC", L"Validando instalação...", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                               0, 0, kLauncherWidth, kLauncherHeight, launcher_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::LblValidando)), instance_, nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(launcherFont_), TRUE);
}

HWND WizardShell::createWorking(const wchar_t* cls, const wchar_t* title, const wchar_t* text, int leftId,
                                const wchar_t* left, int rightId, const wchar_t* right) {
  WNDCLASSEXW wc{sizeof wc};
  wc.lpfnWndProc = WorkingProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = cls;
  RegisterClassExW(&wc);
  const int w = 720, h = 520;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  // No title-bar buttons: the user leaves these windows through their own buttons.
  HWND hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME, cls, title, WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN, x, y, w,
                              h, launcher_, nullptr, instance_, this);
  RECT rc;
  GetClientRect(hwnd, &rc);
  auto child = [&](const wchar_t* c, const wchar_t* t, DWORD style, int id, int cx, int cy, int cw, int ch) {
    HWND ctl = CreateWindowExW(0, c, t, WS_CHILD | WS_VISIBLE | style, cx, cy, cw, ch, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(ctl, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), TRUE);
    return ctl;
  };
  child(L"STATIC", text, SS_LEFT, 0, 16, 16, rc.right - 32, 40);
  child(L"BUTTON", left, BS_PUSHBUTTON, leftId, rc.right - 16 - 2 * 110 - 8, rc.bottom - 46, 110, 30);
  HWND r = child(L"BUTTON", right, BS_PUSHBUTTON, rightId, rc.right - 16 - 110, rc.bottom - 46, 110, 30);
  EnableWindow(r, FALSE);
  return hwnd;
}

void WizardShell::createValidation() {
  validationWnd_ = createWorking(ids::kValidationClass, L"Zorvak for ZedozIze - Validação da Instalação",
                                 L"Validação da instalação do Zorvak.", ids::Form1Cancelar, L"Cancelar",
                                 ids::Form1Continuar, L"Continuar");
}

void WizardShell::createSchedule() {
  scheduleWnd_ = createWorking(ids::kScheduleClass, L"Zorvak for ZedozIze - Agendamento",
                               L"Agendamento do backup.", ids::Form3Voltar, L"Voltar", ids::Form3Finalizar,
                               L"Finalizar");
}

LRESULT CALLBACK WizardShell::LauncherProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  storeOnCreate(hwnd, msg, lp);
  WizardShell* self = shellOf(hwnd);
  if (self && self->flow_) {
    switch (msg) {
      case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) self->flow_->LauncherActivated();
        break;
      case WM_TIMER:
        if (wp == kWatchdogTimer) self->flow_->Tick();
        return 0;
      case WM_CLOSE:
        return 0;  // no way to close it with the mouse; the program ends otherwise
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK WizardShell::WorkingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  storeOnCreate(hwnd, msg, lp);
  WizardShell* self = shellOf(hwnd);
  return self ? self->working(hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT WizardShell::working(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const bool isValidation = hwnd == validationWnd_;
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) {
        if (isValidation) validation_->Activated();
        else schedule_->Activated();
      }
      break;
    case WM_CLOSE:
      ShowWindow(hwnd, SW_HIDE);
      activateOwnerIfNothingActive(hwnd);
      if (isValidation) validation_->Closed();
      else schedule_->Closed();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == ids::Form1Cancelar) validation_->CancelClicked();
      if (LOWORD(wp) == ids::Form3Voltar) schedule_->VoltarClicked();
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND WizardShell::handle(wizard::Window w) const {
  switch (w) {
    case wizard::Window::Launcher: return launcher_;
    case wizard::Window::Discovery: return discovery_;
    case wizard::Window::Validation: return validationWnd_;
    case wizard::Window::Schedule: return scheduleWnd_;
  }
  return nullptr;
}

void WizardShell::showWindow(wizard::Window w) {
  HWND hwnd = handle(w);
  ShowWindow(hwnd, w == wizard::Window::Discovery ? SW_SHOWMAXIMIZED : SW_SHOW);
  SetForegroundWindow(hwnd);
}

void WizardShell::closeWindow(wizard::Window w) { SendMessageW(handle(w), WM_CLOSE, 0, 0); }

void WizardShell::setWatchdog(bool enabled, int intervalMs) {
  if (enabled) {
    SetTimer(launcher_, kWatchdogTimer, static_cast<UINT>(intervalMs), nullptr);
  } else {
    KillTimer(launcher_, kWatchdogTimer);
  }
}

void WizardShell::showMessage(std::string_view text) {
  MessageBoxW(launcher_, widen(text).c_str(), kAppTitle, MB_OK);
}

void WizardShell::terminate(int exitCode) { EndProgram(exitCode); }

void EndProgram(int exitCode) {
  // An abandoned Firebird attach would hold the client library's exit code for minutes.
  if (wizard::AbandonedAttachRunning()) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
  ExitProcess(static_cast<UINT>(exitCode));
}

bool WizardShell::preTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !discovery_ || !discoveryPresenter_) return false;
  if (msg.hwnd != discovery_ && !IsChild(discovery_, msg.hwnd)) return false;
  if (msg.wParam != VK_F4 && msg.wParam != VK_F11 && msg.wParam != VK_F12) return false;
  discoveryPresenter_->KeyDown(static_cast<int>(msg.wParam));
  return true;
}

void WizardShell::dispatch(MSG& msg) {
  if (msg.message == WM_QUIT) {
    quit_ = true;
    quitCode_ = static_cast<int>(msg.wParam);
    return;
  }
  if (preTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void WizardShell::processMessages() {
  MSG msg;
  while (!quit_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) dispatch(msg);
}

void WizardShell::pause(std::int64_t ms) {
  const std::int64_t deadline = clock_.monotonicMs() + (ms < 0 ? 0 : ms);
  for (;;) {
    processMessages();
    const std::int64_t left = deadline - clock_.monotonicMs();
    if (left <= 0 || quit_) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
  }
}

int WizardShell::run() {
  ShowWindow(launcher_, SW_SHOWNORMAL);
  // The working windows are owned by the launcher and stay above it, as Windows keeps them;
  // Wine 8 raises a newly shown owner over them.
  if (IsWindowVisible(discovery_)) {
    SetWindowPos(discovery_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  MSG msg;
  while (!quit_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      quit_ = true;
      quitCode_ = static_cast<int>(msg.wParam);
      break;
    }
    dispatch(msg);
  }
  return quitCode_;
}

}  // namespace zorvak::win32
