#include "DeskTop.h"

#include "random.h"

namespace zarmok {

TDesktopWindow::TDesktopWindow(const TDesktopHost& host) : Ctx_(host) {}

TSaverSettings TDesktopWindow::Used() const {
  TSaverSettings s;
  s.BugsType = BugsType;
  s.Speed = Speed;
  s.BugPtnSize = BugPtnSize;
  s.BugPtnExCyc = BugPtnExCyc;
  s.MaxBugs = MaxBugs;
  s.BugSize = BugSize;
  s.ImageListLen = ImageListLen;
  s.SunG = SunG;
  s.BugG = BugG;
  s.WallG = WallG;
  s.StopOnKey = StopOnKey;
  s.StopOnMouseMove = StopOnMouseMove;
  s.StopOnMouseClick = StopOnMouseClick;
  return s;
}

void TDesktopWindow::FormCreate() {
  Ctx_.Host.SetScreenSaverRunning(true);
  Ctx_.Window.RequestMaximized();
  if (Ctx_.PreviewParent == 0) Ctx_.Host.ShowCursor(false);

  Loaded_ = LoadSettings(Ctx_.Profile, Ctx_.IniPath);
  const TSaverSettings used = HoldToSafeLimits(Loaded_);
  BugsType = used.BugsType;
  Speed = used.Speed;
  BugPtnSize = used.BugPtnSize;
  BugPtnExCyc = used.BugPtnExCyc;
  MaxBugs = used.MaxBugs;
  BugSize = used.BugSize;
  ImageListLen = used.ImageListLen;
  SunG = used.SunG;
  BugG = used.BugG;
  WallG = used.WallG;
  StopOnKey = used.StopOnKey;
  StopOnMouseMove = used.StopOnMouseMove;
  StopOnMouseClick = used.StopOnMouseClick;

  RandomSource().SeedFromClock();
  EraseColors.fill(TBugColor{0, 0, 0});
  for (int32_t i = 1; i <= MaxBugs; ++i) {
    Bugs[i - 1].No = i;
    BugPtnInit(Bugs[i - 1]);
  }
  Ctx_.Host.SetIdleHandler([this](bool& done) { AppIdle(done); });
  IdleCount = 0;
}

}  // namespace zarmok
