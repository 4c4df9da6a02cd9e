// What the X11 and Wayland desktops offer start-up alike: the user's settings file and password
// services, the error stream, the box for an error, and the signals that end a saver. Each
// desktop adds its windows, its monitors, its running flag and its idle count.
#pragma once

#include <functional>
#include <string>

#include "platform.h"
#include "posix/end_signals.h"

namespace zarmok::posix {

class TPosixDesktop : public IStartUpHost {
 public:
  // The box for an error; one that cannot show (no display) leaves the error stream's line as
  // the whole report.
  using TErrorBox = std::function<void(const std::string& title, const std::string& text)>;

  struct TServices {
    IPrivateProfile& profile;
    IPasswordHost& passwords;
    TErrorBox error_box;
    TLanguage language = TLanguage::English;
    bool loop_stats = false;
  };

  explicit TPosixDesktop(TServices services) : services_(std::move(services)) {}

  TLanguage Language() const override { return services_.language; }
  IPasswordHost& Passwords() override { return services_.passwords; }
  IPrivateProfile& Profile() override { return services_.profile; }
  // The user's own file: an installed program's folder is never writable by its users.
  std::string SettingsFile() override;
  void ReportUnhandledError(const std::string& title, const std::string& message) override {
    services_.error_box(title, message);
  }
  // In the user's encoding: an eucJP terminal reads eucJP.
  void WriteDiagnostic(const std::string& line) override;
  bool LoopStatsWanted() const override { return services_.loop_stats; }

  // The signals that end a saver (a host's SIGTERM, Ctrl-C, a closed terminal). A saver run and
  // the idle watch catch them from their start until the program ends, between two runs of the
  // watch too, so that a signal always ends the program through its tear-down: the running flag
  // does not outlive the saver, and the desktop's background gets its own picture back.
  TEndSignals& EndSignals() { return end_signals_; }

 protected:
  void ShowErrorBox(const std::string& title, const std::string& text) {
    services_.error_box(title, text);
  }

 private:
  TServices services_;
  TEndSignals end_signals_;
};

}  // namespace zarmok::posix
