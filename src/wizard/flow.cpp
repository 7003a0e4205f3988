#include "wizard/flow.h"

namespace zorvak::wizard {

void Flow::Create() {
  interval_ = 15000;
  shell_.setWatchdog(true, interval_);
}

void Flow::LauncherActivated() {
  nConta = 0;
  interval_ = 3000;
  shell_.setWatchdog(true, interval_);
}

void Flow::Tick() {
  ++nConta;
  if (nConta > 3 && !lTemForm2) {
    // The timer keeps running under the box: later ticks stack further boxes, and whichever
    // is dismissed first ends the process.
    shell_.showMessage(kWatchdogMessage);
    shell_.terminate(kWatchdogExitCode);
  }
}

void Flow::WorkingActivated(Window w) {
  if (w == Window::Validation) lTemForm1 = true;
  if (w == Window::Discovery) lTemForm2 = true;
  if (w == Window::Schedule) lTemForm3 = true;
  shell_.setWatchdog(false, interval_);
  lCarregou = true;
}

void Flow::WorkingClosed(Window w) {
  if (w == Window::Validation) lTemForm1 = false;
  if (w == Window::Discovery) lTemForm2 = false;
  if (w == Window::Schedule) lTemForm3 = false;
}

bool Flow::HandOver(Window from, Window to) {
  if (handingOver_) return false;
  handingOver_ = true;
  lCarregou = false;
  shell_.showWindow(to);
  shell_.pause(1500);
  while (!lCarregou) shell_.pause(2500);
  shell_.pause(from == Window::Schedule && to == Window::Validation ? 3000 : 3500);
  shell_.closeWindow(from);
  handingOver_ = false;
  return true;
}

}  // namespace zorvak::wizard
