#include "fake/fake_host.h"

#include <algorithm>
#include <stdexcept>

#include "errors.h"
#include "host.h"
#include "session.h"
#include "settings.h"

namespace zarmok::testing {

bool TFakeSaverHost::RunIdle() {
  bool done = true;
  if (idle_) idle_(done);
  return done;
}

void* TFakePasswords::LoadHostLibrary(const std::string& path) {
  load_attempts.push_back(path);
  const auto found = libraries.find(path);
  if (found == libraries.end()) return nullptr;
  ++loaded_now_;
  handles_.push_back(std::make_unique<std::string>(path));
  return handles_.back().get();
}

void* TFakePasswords::FindHostEntry(void* library, const char* name) {
  const std::string& path = *static_cast<std::string*>(library);
  if (!libraries.at(path).has_entry) return nullptr;
  // The entry is named by a string that lives as long as the fake.
  handles_.push_back(std::make_unique<std::string>(name));
  return handles_.back().get();
}

void TFakePasswords::FreeHostLibrary(void*) {
  ++frees;
  --loaded_now_;
}

uint32_t TFakePasswords::CallVerifyScreenSavePwd(void* entry, TWindowHandle window) {
  TCall call;
  call.entry = *static_cast<std::string*>(entry);
  call.window = window;
  call.cursor_count_at_call = host_ != nullptr ? host_->cursor_count : 0;
  call.host_dialogs_open_at_call = host_ != nullptr ? host_->host_dialogs_open : 0;
  calls.push_back(call);
  if (during_verify) during_verify();
  const uint32_t verdict = verdicts.front();
  if (verdicts.size() > 1) verdicts.pop_front();
  return verdict;
}

void TFakePasswords::CallPwdChangePasswordA(void* entry, const char* which, TWindowHandle owner,
                                            uint32_t reserved1, uint32_t reserved2) {
  TCall call;
  call.entry = *static_cast<std::string*>(entry);
  call.window = owner;
  call.which = which;
  call.reserved1 = reserved1;
  call.reserved2 = reserved2;
  calls.push_back(call);
}

TFakeSaver::TFakeSaver(std::vector<std::string> arguments,
                       const std::map<std::string, std::string>& settings,
                       uint32_t preview_parent) {
  for (const auto& [key, value] : settings) profile.Set(kIni, kSettingsSection, key, value);
  TDesktopHost context{host, host, profile, kIni, preview_parent};
  context.Arguments = std::move(arguments);
  context.Passwords = &passwords;
  window = std::make_unique<TDesktopWindow>(context);
  window->FormCreate();
}

void TFakeSaver::Idle(int steps) {
  for (int i = 0; i < steps; ++i) host.RunIdle();
}

bool TFakeStartUp::FindTopLevelSaver() {
  log.push_back("find");
  if (running_saver.empty()) return false;
  const bool found = running_saver.front();
  running_saver.pop_front();
  return found;
}

void TFakeStartUp::GetWindowRect(TWindowHandle handle, TWindowRect& rect) {
  log.push_back("rect " + std::to_string(handle));
  if (pane) rect = *pane;
}

int TFakeStartUp::RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) {
  log.push_back("settings");
  dialog_ini = ini_path;
  dialog_owner = owner;
  return settings_exit_code;
}

IFormWindow& TFakeStartUp::CreateSaverWindow(TWindowHandle preview_parent) {
  log.push_back("create " + std::to_string(preview_parent));
  if (creation_fails) throw EZarmokError(kWindowCreateMessage);
  for (const auto& [key, value] : settings) {
    profile.Set(SettingsFile(), kSettingsSection, key, value);
  }
  window_exists = true;
  return host;
}

void TFakeStartUp::PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) {
  log.push_back("place " + std::to_string(left) + "," + std::to_string(top) + " " +
                std::to_string(width) + "x" + std::to_string(height));
}

void TFakeStartUp::HandlePendingMessages(ISaverEvents& events) {
  if (window == nullptr) {
    // The fake reaches into the session only to hand the tests its window.
    auto* session = dynamic_cast<TSaverSession*>(&events);
    window = session != nullptr ? session->Window() : nullptr;
    if (window != nullptr) {
      flags_in_loop = window->Used();
      if (in_loop) in_loop(*window);
    }
  }
  while (!actions.empty() && actions.begin()->first <= now) {
    const std::function<void()> action = actions.begin()->second;
    actions.erase(actions.begin());
    action();
  }
  while (events.Running() && !script.empty() && script.begin()->first <= now) {
    const TSaverEvent event = script.begin()->second;
    script.erase(script.begin());
    delivered_results.push_back(events.Deliver(event));
  }
  if (events.Running() && script.empty() && now >= end_at) {
    events.Deliver(TSaverEvent{TSaverEventKind::EndRequest});
  }
}

void TFakeStartUp::WaitForInput(int32_t milliseconds) {
  waits.push_back(milliseconds);
  const int64_t until = now + milliseconds * kMs;
  // Input wakes the wait early, as it would on a real host.
  if (!script.empty() && script.begin()->first < until) {
    now = std::max(now, script.begin()->first);
  } else {
    now = until;
  }
}

void TFakeStartUp::Present() {
  present_times.push_back(now);
  now += present_cost;
  if (present_error) {
    const std::string text = *present_error;
    present_error.reset();
    throw EZarmokError(text);
  }
}

void TFakeStartUp::RaiseRequestErrors(bool settle) {
  std::optional<std::string>& error = settle ? settled_error : step_error;
  if (!error) return;
  const std::string text = *error;
  error.reset();
  throw EZarmokError(text);
}

void TFakeStartUp::DestroySaverWindow() {
  if (!window_exists) return;
  window_exists = false;
  log.push_back("destroy");
  window = nullptr;
}

void TFakeStartUp::ReportUnhandledError(const std::string& title, const std::string& message) {
  log.push_back("report");
  reports.push_back(title + "|" + message);
}

}  // namespace zarmok::testing
