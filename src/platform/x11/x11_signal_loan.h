// The desktop's end signals as the saver's windows borrow them. A run catches them while its
// windows are shown, so that a signal ends it through its tear-down; an idle watch holds them
// for its whole life, between the runs too, and a run inside it must not give them back.
#pragma once

#include "posix/end_signals.h"

namespace zarmok::x11 {

class TSignalLoan {
 public:
  explicit TSignalLoan(TEndSignals& signals) : signals_(signals) {}

  // Catches the signals unless they are caught already.
  void Hold() {
    if (signals_.Descriptor() >= 0) return;
    signals_.Catch();
    held_ = signals_.Descriptor() >= 0;
  }
  // Gives back only what Hold caught.
  void Return() {
    if (held_) signals_.Release();
    held_ = false;
  }
  bool Taken() { return signals_.Taken(); }
  int Descriptor() const { return signals_.Descriptor(); }

 private:
  TEndSignals& signals_;
  bool held_ = false;
};

}  // namespace zarmok::x11
