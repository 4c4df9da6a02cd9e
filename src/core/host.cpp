#include "host.h"

#include <cstdint>
#include <exception>

#include "DeskTop.h"
#include "errors.h"
#include "idle_watch.h"
#include "integer_text.h"
#include "session.h"
#include "settings.h"

namespace zarmok {

TSaverMode ChooseMode(std::string_view first) {
  if (first == "/c" || first == "-c") return TSaverMode::Settings;
  if (first == "/s" || first == "-s") return TSaverMode::FullScreen;
  if (first == "/p" || first == "-p") return TSaverMode::Preview;
  if (first == "/a") return TSaverMode::ChangePassword;
  // Hosts that send "/c:<owner>" mean the settings dialog; reading it as "anything else"
  // would throw a full-screen saver at a user who pressed "Settings".
  if (first.starts_with("/c:") || first.starts_with("-c:")) return TSaverMode::Settings;
  // And "/p:<pane>" means the preview in that pane, where the full-screen saver would close
  // without a password while its host waits for a preview.
  if (first.starts_with("/p:") || first.starts_with("-p:")) return TSaverMode::Preview;
  return TSaverMode::FullScreen;
}

std::string PreviewHandleText(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {};
  const std::string_view first = arguments[0];
  if (first.starts_with("/p:") || first.starts_with("-p:")) return std::string(first.substr(3));
  return arguments.size() > 1 ? arguments[1] : std::string();
}

TWindowHandle WidenHandle(uint32_t bits) {
  return static_cast<TWindowHandle>(static_cast<intptr_t>(static_cast<int32_t>(bits)));
}

TSaverMode ChooseStartUpMode(const std::vector<std::string>& arguments,
                             bool no_argument_opens_settings, bool offers_wallpaper,
                             bool offers_idle_watch) {
  if (arguments.empty() && no_argument_opens_settings) return TSaverMode::Settings;
  if (!arguments.empty() && arguments[0] == kWallpaperArgument && offers_wallpaper) {
    return TSaverMode::Wallpaper;
  }
  if (!arguments.empty() && arguments[0] == kIdleArgument && offers_idle_watch) {
    return TSaverMode::IdleWatch;
  }
  return ChooseMode(arguments.empty() ? std::string_view() : std::string_view(arguments[0]));
}

TWindowHandle SettingsOwner(std::string_view first) {
  if (!first.starts_with("/c:") && !first.starts_with("-c:")) return 0;
  // A handle that cannot be read leaves the dialog without an owner: the user still gets it.
  const std::optional<int32_t> value = ParseIntegerText(first.substr(3));
  return value ? WidenHandle(static_cast<uint32_t>(*value)) : 0;
}

std::unique_ptr<IPlatformWindow> ISaverPlatform::CreateWallpaperWindow(const TWindowRect&) {
  throw EZarmokError(TTextId::WindowCreateFailed);
}

bool CloseAsksPassword(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return true;
  return arguments[0] == "/s" || arguments[0] == "-s";
}

uint32_t StrToPreviewHandle(const std::string& text) {
  const std::optional<int32_t> value = ParseIntegerText(text);
  if (!value) throw EZarmokError(TWording{TTextId::NotAnInteger, {text}});
  return static_cast<uint32_t>(*value);
}

std::string JoinLibraryPath(const std::string& folder, const std::string& file, char separator) {
  if (folder.empty() || folder.back() == separator) return folder + file;
  return folder + separator + file;
}

namespace {

// Unloads a host library on every way out of the call.
class TLoadedLibrary {
 public:
  TLoadedLibrary(IPasswordHost& passwords, const std::string& path)
      : passwords_(passwords), library_(passwords.LoadHostLibrary(path)) {}
  ~TLoadedLibrary() {
    if (library_ != nullptr) passwords_.FreeHostLibrary(library_);
  }
  TLoadedLibrary(const TLoadedLibrary&) = delete;
  TLoadedLibrary& operator=(const TLoadedLibrary&) = delete;
  void* Get() const { return library_; }

 private:
  IPasswordHost& passwords_;
  void* library_;
};

// The pointer is visible while the host's dialog is up, and hidden again however it ends.
class TPointerShown {
 public:
  explicit TPointerShown(ISaverHost& host) : host_(host) { host_.ShowCursor(true); }
  ~TPointerShown() { host_.ShowCursor(false); }
  TPointerShown(const TPointerShown&) = delete;
  TPointerShown& operator=(const TPointerShown&) = delete;

 private:
  ISaverHost& host_;
};

// The host's dialog has the user's input while it is up, however the call ends.
class THostDialog {
 public:
  explicit THostDialog(ISaverHost& host) : host_(host) { host_.HostDialogBegins(); }
  ~THostDialog() { host_.HostDialogEnds(); }
  THostDialog(const THostDialog&) = delete;
  THostDialog& operator=(const THostDialog&) = delete;

 private:
  ISaverHost& host_;
};

}  // namespace

bool VerifyPassword(IPasswordHost& passwords, ISaverHost& host, TWindowHandle window) {
  const TPasswordFlag flag = passwords.ReadPasswordFlag();
  if (flag.State == TPasswordFlagState::KeyMissing) return true;
  if (flag.State == TPasswordFlagState::Value && flag.Value == 0) return true;

  const TPointerShown pointer(host);
  const TLoadedLibrary library(
      passwords,
      JoinLibraryPath(passwords.SystemDirectory(), kVerifyLibrary, passwords.PathSeparator()));
  if (library.Get() == nullptr) return true;
  void* entry = passwords.FindHostEntry(library.Get(), kVerifyEntry);
  if (entry == nullptr) return true;
  const THostDialog dialog(host);
  return (passwords.CallVerifyScreenSavePwd(entry, window) & 0xFFu) != 0;
}

void ChangePassword(IPasswordHost& passwords, TWindowHandle owner) {
  const TLoadedLibrary library(
      passwords,
      JoinLibraryPath(passwords.SystemDirectory(), kChangeLibrary, passwords.PathSeparator()));
  if (library.Get() == nullptr) return;
  if (void* entry = passwords.FindHostEntry(library.Get(), kChangeEntry)) {
    passwords.CallPwdChangePasswordA(entry, kChangeWhich, owner, 0, 0);
  }
}

namespace {

int32_t SpanOf(int32_t low, int32_t high) {
  const int64_t span = static_cast<int64_t>(high) - low;
  if (span > INT32_MAX) return INT32_MAX;
  if (span < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(span);
}

}  // namespace

int RunStartUp(const std::vector<std::string>& arguments, IStartUpHost& host) {
  if (host.FindTopLevelSaver()) return 0;
  const std::string first = arguments.empty() ? std::string() : arguments[0];
  // The desktop's idle count may cost a connection of its own: it is asked for only when the
  // watch is.
  const bool idle_watch = first == kIdleArgument && host.IdleSource() != nullptr;
  switch (ChooseStartUpMode(arguments, host.NoArgumentOpensSettings(), host.OffersWallpaper(),
                            idle_watch)) {
    case TSaverMode::Settings: {
      // An owner that names no window is the host's mistake: the user still gets the dialog,
      // standing alone.
      TWindowHandle owner = SettingsOwner(first);
      if (owner != 0 && !host.WindowExists(owner)) owner = 0;
      return host.RunSettingsDialog(host.SettingsFile(), owner);
    }
    case TSaverMode::ChangePassword:
      ChangePassword(host.Passwords(), host.ApplicationWindow());
      return 0;
    case TSaverMode::Wallpaper: {
      TSaverSession session(host, arguments);
      session.CreateWallpaper();
      session.TurnOffStopConditions();
      session.Run();
      return 0;
    }
    case TSaverMode::IdleWatch: {
      const std::string text = arguments.size() > 1 ? arguments[1] : "";
      const std::optional<int32_t> seconds = ParseIntegerText(text);
      if (!seconds || *seconds <= 0) throw EZarmokError(TWording{TTextId::NotSeconds, {text}});
      return RunIdleWatch(*seconds, host);
    }
    case TSaverMode::FullScreen: {
      // The session destroys the window on every way out, before any report is shown: a
      // report behind a full-screen window nobody can close would help no one.
      TSaverSession session(host, arguments);
      session.Create(0);
      session.Run();
      return 0;
    }
    case TSaverMode::Preview: {
      if (host.FindTopLevelSaver()) return 0;
      host.HideApplicationWindow();
      const TWindowHandle parent = WidenHandle(StrToPreviewHandle(PreviewHandleText(arguments)));
      // A pane handle of 0 would make a full-screen window without stop conditions that the
      // user could not end; no pane has that handle, so it is a window-creation error.
      if (parent == 0) throw EZarmokError(TTextId::WindowCreateFailed);
      host.ShowWindow(parent);
      TWindowRect rect;
      host.GetWindowRect(parent, rect);
      TSaverSession session(host, arguments);
      session.Create(parent);
      session.Place(0, 0, SpanOf(rect.left, rect.right), SpanOf(rect.top, rect.bottom));
      session.TurnOffStopConditions();
      session.Run();
      return 0;
    }
  }
  return 0;
}

int RunIdleWatch(int32_t seconds, IStartUpHost& host) {
  IIdleSource* source = host.IdleSource();
  if (source == nullptr) return 0;
  TIdleWatch watch(*source, int64_t{seconds} * 1000);
  while (watch.WaitForIdle()) {
    if (host.FindTopLevelSaver()) continue;
    // The saver as the desktop starts it: full-screen, closing through the password check.
    TSaverSession session(host, {"/s"});
    session.Create(0);
    session.Run();
    if (session.EndedByHost()) break;
  }
  return 0;
}

int RunProgram(const std::vector<std::string>& arguments, IStartUpHost& host) {
  // Worded when reported, in the language the run speaks.
  const TLanguage language = host.Language();
  std::string message = "?";
  std::string detail;
  try {
    return RunStartUp(arguments, host);
  } catch (const EZarmokError& error) {
    message = ErrorMessage(error, language);
    detail = error.Detail().In(language);
  } catch (const std::exception& error) {
    message = ErrorMessage(error, language);
  } catch (...) {
    // Nothing of ours throws anything else; the report still names the end.
  }
  const std::string title = Text(TTextId::UnhandledErrorTitle, language);
  host.WriteDiagnostic(ErrorLine(title, message));
  if (!detail.empty()) host.WriteDiagnostic("  " + detail);
  host.ReportUnhandledError(title, message);
  return 1;
}

}  // namespace zarmok
