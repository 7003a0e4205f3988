// The validation window TForm1 and the schedule window TForm3 as far as the flow goes: their
// reports to the launcher and the buttons that lead back. Their own work comes with them.
#pragma once

#include "wizard/flow.h"

namespace zorvak::wizard {

class Validation {
 public:
  explicit Validation(Flow& flow) : flow_(flow) {}
  void Activated() { flow_.WorkingActivated(Window::Validation); }
  void Closed() { flow_.WorkingClosed(Window::Validation); }
  // "Cancelar": back to the discovery window, without a question.
  void CancelClicked() { flow_.HandOver(Window::Validation, Window::Discovery); }

 private:
  Flow& flow_;
};

class Schedule {
 public:
  explicit Schedule(Flow& flow) : flow_(flow) {}
  void Activated() { flow_.WorkingActivated(Window::Schedule); }
  void Closed() { flow_.WorkingClosed(Window::Schedule); }
  void VoltarClicked() { flow_.HandOver(Window::Schedule, Window::Validation); }

 private:
  Flow& flow_;
};

}  // namespace zorvak::wizard
