#include "fake/fake_host.h"

#include <stdexcept>

#include "errors.h"
#include "host.h"
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

uint32_t TFakePasswords::CallVerifyScreenSavePwd(void* entry, uintptr_t window) {
  TCall call;
  call.entry = *static_cast<std::string*>(entry);
  call.window = window;
  call.cursor_count_at_call = host_ != nullptr ? host_->cursor_count : 0;
  calls.push_back(call);
  const uint32_t verdict = verdicts.front();
  if (verdicts.size() > 1) verdicts.pop_front();
  return verdict;
}

void TFakePasswords::CallPwdChangePasswordA(void* entry, const char* which, uintptr_t owner,
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

void TFakeStartUp::GetWindowRect(uint32_t handle, TWindowRect& rect) {
  log.push_back("rect " + std::to_string(handle));
  if (pane) rect = *pane;
}

TDesktopWindow& TFakeStartUp::CreateSaverWindow(uint32_t preview_parent) {
  log.push_back("create " + std::to_string(preview_parent));
  if (creation_fails) throw EZarmokError(kWindowCreateMessage);
  for (const auto& [key, value] : settings) {
    profile.Set("/p.ini", kSettingsSection, key, value);
  }
  TDesktopHost context{host, host, profile, "/p.ini", preview_parent};
  context.Arguments = arguments;
  context.Passwords = &passwords;
  window = std::make_unique<TDesktopWindow>(context);
  window->FormCreate();
  return *window;
}

void TFakeStartUp::PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) {
  log.push_back("place " + std::to_string(left) + "," + std::to_string(top) + " " +
                std::to_string(width) + "x" + std::to_string(height));
}

void TFakeStartUp::RunMessageLoop() {
  log.push_back("loop");
  flags_in_loop = window->Used();
  if (in_loop) in_loop(*window);
}

void TFakeStartUp::DestroySaverWindow() {
  if (window == nullptr) return;
  log.push_back("destroy");
  window->FormDestroy();
  window.reset();
}

void TFakeStartUp::ReportUnhandledError(const std::string& title, const std::string& message) {
  log.push_back("report");
  reports.push_back(title + "|" + message);
}

}  // namespace zarmok::testing
