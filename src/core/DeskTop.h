// The saver window TDesktopWindow: it owns all animation state for its lifetime.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "random.h"
#include "settings.h"
#include "swarm.h"

namespace zarmok {

class TTrailCache;

// What the window is made of on its host.
struct TDesktopHost {
  IFormWindow& Window;
  ISaverHost& Host;
  IPrivateProfile& Profile;
  std::string IniPath;
  // The host's preview pane; 0 when not in preview mode.
  TWindowHandle PreviewParent = 0;
  // The program's command line after the program's name: the close query reads the first.
  std::vector<std::string> Arguments{};
  // The host's password store and dialogs; null for a host that has none, which is a host
  // whose password key cannot be opened.
  IPasswordHost* Passwords = nullptr;
  // Fixes the seed of the window's random source (tools, tests); the clock's otherwise.
  std::optional<uint32_t> Seed{};
};

class TDesktopWindow {
 public:
  explicit TDesktopWindow(const TDesktopHost& host);
  ~TDesktopWindow();
  TDesktopWindow(const TDesktopWindow&) = delete;
  TDesktopWindow& operator=(const TDesktopWindow&) = delete;

  // Handlers, called by the host's windowing layer on the program's one thread.
  void FormCreate();
  void FormPaint();
  void AppIdle(bool& done);
  void FormClick();
  void FormKeyDown();
  void FormMouseMove();
  void FormCloseQuery(bool& canClose);
  void FormDestroy();
  // The system-command message: true when the command was handled here (its result is then
  // 0), false when it goes to the default handling.
  bool SysCommand(uint32_t code);

  // A close request, from a stop condition or from the system: runs the close query and, when
  // it allows the close, marks the window closed so that the message loop ends.
  void Close();
  bool CloseAllowed() const { return CloseAllowed_; }

  // Whether the close may go on, as the host's password service says.
  bool VerifyPassword();

  // Simulation and drawing: operations of the window on one record of Bugs.
  void BugPtnInit(TBug& bug);
  void BugPtnEx(TBug& bug);
  void CalcV(TBug& bug);
  void BugMove(TBug& bug);
  void BugImageSet(int32_t cx, int32_t cy, const TPointArray& pattern, float heading,
                   TPointArray& image, TPointArray& mirror);
  void EraseImage(TBug& bug, int32_t slot);
  void EraseTrail(TBug& bug);
  void DrawTrail(TBug& bug);
  void BugDraw(const TPointArray& image, const TPointArray& mirror, const TColorLevel& colors);

  // The settings as the store gave them, before HoldToSafeLimits.
  const TSaverSettings& Loaded() const { return Loaded_; }
  // The settings as the animation uses them: the loaded ones held to the safe limits.
  const TSaverSettings& Used() const { return Used_; }
  // Takes `loaded` as if the store had given it; the one way settings reach the animation.
  void UseSettings(const TSaverSettings& loaded);
  // A preview is not ended by the user's input.
  void TurnOffStopConditions();

  // The window's own random source, seeded once by the creation handler.
  TRandomSource Random;

  // State, zero when the window object comes into being.
  std::array<TBug, kBugCount> Bugs{};
  TColorLevel EraseColors{};
  int32_t IdleCount = 0;

  // What the last BugMove did to each record, read by tools that trace the animation.
  struct TStepNote {
    bool Moved;
    bool Reborn;
  };
  std::array<TStepNote, kBugCount> StepNotes{};

 private:
  // Zero, like the rest of the state, until the creation handler loads the settings.
  static constexpr TSaverSettings kZeroSettings{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, false, false, false};

  TDesktopHost Ctx_;
  TSaverSettings Loaded_ = kZeroSettings;
  TSaverSettings Used_ = kZeroSettings;
  bool CloseAllowed_ = false;
  // The trails' figures as the software canvas paints them, for every ring slot of every
  // record, made with the window so that no step allocates.
  std::unique_ptr<TTrailCache> Trails_;
};

}  // namespace zarmok
