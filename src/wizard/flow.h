// The launcher TForm4: the main window's watchdog, the presence flags the working windows
// report into, and the hand-over by which one working window gives way to the next.
#pragma once

#include <cstdint>
#include <string_view>

namespace zorvak::wizard {

enum class Window { Launcher, Discovery, Validation, Schedule };

inline constexpr const char* kWatchdogMessage =
    "Não foi possível validar a instalação. Repita o processo de verificação.";
inline constexpr int kWatchdogExitCode = 67;

// What the flow asks of the windowing layer.
class Shell {
 public:
  virtual ~Shell() = default;
  // Shows and activates the window; its activation handler may run during the call or later.
  virtual void showWindow(Window w) = 0;
  // Hides the window; its close handler runs.
  virtual void closeWindow(Window w) = 0;
  virtual void setWatchdog(bool enabled, int intervalMs) = 0;
  // A modal box with an OK button; returns when it is dismissed.
  virtual void showMessage(std::string_view text) = 0;
  // Ends the process at once.
  virtual void terminate(int exitCode) = 0;
  // Waits `ms` while the windows keep repainting and taking input.
  virtual void pause(std::int64_t ms) = 0;
  // Lets pending window events through.
  virtual void processMessages() = 0;
};

class Flow {
 public:
  explicit Flow(Shell& shell) : shell_(shell) {}

  // The launcher's creation: its timer starts enabled at 15000 ms.
  void Create();
  void LauncherActivated();
  void Tick();
  void WorkingActivated(Window w);
  void WorkingClosed(Window w);

  // Shows `to`, waits for it to load, then closes `from`. False, doing nothing, when another
  // hand-over is under way: its pauses let clicks through, and a second one must not start.
  bool HandOver(Window from, Window to);
  bool handingOver() const { return handingOver_; }

  bool lTemForm1 = false;
  bool lTemForm2 = false;
  bool lTemForm3 = false;
  bool lCarregou = false;
  int nConta = 0;

 private:
  Shell& shell_;
  int interval_ = 15000;
  bool handingOver_ = false;
};

}  // namespace zorvak::wizard
