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
  call.cursor_count_at_call = screen_ != nullptr ? screen_->cursor_count : 0;
  call.host_dialogs_open_at_call = screen_ != nullptr ? screen_->host_dialogs_open : 0;
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

TFakeWindow::TFakeWindow(TFakeStartUp& owner, TWindowHandle handle)
    : handle(handle), owner_(owner) {
  owner_.windows.push_back(this);
  owner_.presents_by_window.emplace_back();
}

TFakeWindow::~TFakeWindow() {
  owner_.log.push_back("destroy");
  std::erase(owner_.windows, this);
  if (owner_.windows.empty()) owner_.window = nullptr;
}

void TFakeWindow::Place(const TWindowRect& area) {
  placed = area;
  owner_.log.push_back("place " + std::to_string(area.left) + "," + std::to_string(area.top) + " " +
                       std::to_string(area.right - area.left) + "x" +
                       std::to_string(area.bottom - area.top));
  if (owner_.report_sizes && owner_.events != nullptr) {
    TSaverEvent resized{TSaverEventKind::Resized};
    resized.Window = this;
    resized.Width = area.right - area.left;
    resized.Height = area.bottom - area.top;
    owner_.events->Deliver(resized);
  }
}

void TFakeWindow::Show() {
  shown = true;
  owner_.log.push_back("show-window");
}

void TFakeWindow::Blit(const TRasterCanvas& canvas, const TDirtyRect*, int) {
  picture = &canvas;
  picture_width = canvas.Width();
  present_times.push_back(owner_.now);
  owner_.presents_by_window[static_cast<size_t>(handle - 0x100)].push_back(owner_.now);
  if (handle == 0x100) owner_.present_times.push_back(owner_.now);
  owner_.now += owner_.present_cost;
  if (owner_.present_error) {
    const std::string text = *owner_.present_error;
    owner_.present_error.reset();
    throw EZarmokError(text);
  }
}

void TFakeWindow::Raise() {
  owner_.log.push_back("raise");
}

void TFakeIdleSource::Begin(int64_t wanted_ms) {
  owner_.log.push_back("idle " + std::to_string(wanted_ms / 1000));
  reading_ = TIdleReading{};
  std::deque<bool>& answers = owner_.idle;
  if (answers.empty() || !answers.front()) {
    if (!answers.empty()) answers.pop_front();
    return;  // Read says not idle, Wait says an end signal came
  }
  answers.pop_front();
  // Each answer a new idle period: the later one began later.
  reading_.IdleMs = wanted_ms + 10000 * static_cast<int64_t>(answers.size() + 1);
  // The next run ends at the host's request after the same time as the first.
  owner_.end_at = owner_.now + owner_.end_at_each;
  owner_.window = nullptr;
}

TFakeStartUp::TFakeStartUp() {
  passwords.directory = "/host/lib";
}

size_t TFakeStartUp::Steps() const {
  return present_times.size();
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

bool TFakeStartUp::WindowExists(TWindowHandle handle) {
  if (std::find(gone.begin(), gone.end(), handle) != gone.end()) return false;
  if (std::find(existing.begin(), existing.end(), handle) != existing.end()) return true;
  for (const TFakeWindow* w : windows) {
    if (w->handle == handle) return true;
  }
  return pane.has_value();
}

std::string TFakeStartUp::SettingsFile() {
  return settings_file ? *settings_file : SettingsFilePath("/p");
}

std::unique_ptr<IPlatformWindow> TFakeStartUp::CreateSaverWindow(TWindowHandle preview_parent,
                                                                 const TWindowRect&) {
  log.push_back("create " + std::to_string(preview_parent));
  if (creation_fails) throw EZarmokError(TTextId::WindowCreateFailed);
  for (const auto& [key, value] : settings) {
    profile.Set(SettingsFile(), kSettingsSection, key, value);
  }
  return std::make_unique<TFakeWindow>(*this, next_handle++);
}

std::unique_ptr<IPlatformWindow> TFakeStartUp::CreateWallpaperWindow(const TWindowRect&) {
  log.push_back("wallpaper");
  if (creation_fails) throw EZarmokError(TTextId::WindowCreateFailed);
  for (const auto& [key, value] : settings) {
    profile.Set(SettingsFile(), kSettingsSection, key, value);
  }
  return std::make_unique<TFakeWindow>(*this, next_handle++);
}

void TFakeStartUp::SetScreenSaverRunning(bool running) {
  host.running = running;
  ++host.flag_writes;
}

void TFakeStartUp::SetPointerVisible(bool visible) {
  host.cursor_count = visible ? 0 : -1;
  log.push_back(visible ? "pointer shown" : "pointer hidden");
}

bool TFakeStartUp::TakeKeyboard(IPlatformWindow& window) {
  keyboard_requests.push_back(window.Handle());
  if (keyboard_answers.empty()) return true;
  const bool answer = keyboard_answers.front();
  keyboard_answers.pop_front();
  return answer;
}

void TFakeStartUp::LendInput(bool lent) {
  host.host_dialogs_open = lent ? 1 : 0;
}

void TFakeStartUp::DropQueuedInput() {
  // Input that has arrived by now is in the queue; what the script plays later is not.
  for (auto it = script.begin(); it != script.end() && it->first <= now;) {
    const TSaverEventKind kind = it->second.event.Kind;
    const bool input = kind == TSaverEventKind::KeyDown || kind == TSaverEventKind::PrimaryClick ||
                       kind == TSaverEventKind::MouseMove || kind == TSaverEventKind::CloseRequest;
    it = input ? script.erase(it) : std::next(it);
  }
}

void TFakeStartUp::HandlePendingMessages() {
  ++looks;
  if (events == nullptr) return;
  if (window == nullptr) {
    // The fake reaches into the session only to hand the tests its window.
    auto* session = dynamic_cast<TSaverSession*>(events);
    window = session != nullptr && session->WindowCount() > 0 ? &session->Window(0) : nullptr;
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
  while (events->Running() && !script.empty() && script.begin()->first <= now) {
    TScripted played = script.begin()->second;
    script.erase(script.begin());
    if (played.window < windows.size()) played.event.Window = windows[played.window];
    delivered_results.push_back(events->Deliver(played.event));
  }
  if (events->Running() && script.empty() && now >= end_at) {
    events->Deliver(TSaverEvent{TSaverEventKind::EndRequest});
  }
}

bool TFakeStartUp::WaitForInput(int32_t milliseconds) {
  waits.push_back(milliseconds);
  int64_t until = now + milliseconds * kMs;
  if (timer_tick > 0) until = (until + timer_tick - 1) / timer_tick * timer_tick;
  // Input wakes the wait early, as it would on a real host.
  int64_t next = until;
  if (!script.empty()) next = std::min(next, script.begin()->first);
  if (!actions.empty()) next = std::min(next, actions.begin()->first);
  if (script.empty()) next = std::min(next, std::max(end_at, now));
  now = std::max(now, next);
  const bool played = !script.empty() && script.begin()->first <= now;
  const bool acted = !actions.empty() && actions.begin()->first <= now;
  return played || acted || (script.empty() && now >= end_at);
}

void TFakeStartUp::RaiseRequestErrors(bool settle) {
  std::optional<std::string>& error = settle ? settled_error : step_error;
  if (!error) return;
  const std::string text = *error;
  error.reset();
  throw EZarmokError(text);
}

void TFakeStartUp::ShowError(const std::string& title, const std::string& text,
                             IPlatformWindow* owner) {
  log.push_back("error box");
  error_box_owners.push_back(owner != nullptr ? owner->Handle() : 0);
  error_boxes.push_back(title + "|" + text);
  if (during_error_box) during_error_box();
}

void TFakeStartUp::ReportUnhandledError(const std::string& title, const std::string& message) {
  log.push_back("report");
  reports.push_back(title + "|" + message);
}

}  // namespace zarmok::testing
