#include "DeskTop.h"

#include "host.h"
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

namespace {
// The system's request to start a screen saver, with the low four bits of the code cleared.
constexpr uint32_t kScScreenSave = 0xF140;
// Idle steps after creation or a close query during which mouse movement is ignored.
constexpr int32_t kMouseGraceSteps = 10;
}  // namespace

void TDesktopWindow::FormClick() {
  if (StopOnMouseClick) Close();
}

void TDesktopWindow::FormKeyDown() {
  if (StopOnKey) Close();
}

void TDesktopWindow::FormMouseMove() {
  if (IdleCount >= kMouseGraceSteps && StopOnMouseMove) Close();
}

void TDesktopWindow::FormCloseQuery(bool& canClose) {
  canClose = false;
  if (!CloseAsksPassword(Ctx_.Arguments)) {
    canClose = true;
  } else {
    canClose = VerifyPassword();
  }
  IdleCount = 0;
}

void TDesktopWindow::Close() {
  bool canClose = false;
  FormCloseQuery(canClose);
  if (canClose) CloseAllowed_ = true;
}

bool TDesktopWindow::SysCommand(uint32_t code) {
  return (code & 0xFFF0u) == kScScreenSave;
}

void TDesktopWindow::FormDestroy() {
  Ctx_.Host.SetScreenSaverRunning(false);
  if (Ctx_.PreviewParent == 0) Ctx_.Host.ShowCursor(true);
}

bool TDesktopWindow::VerifyPassword() {
  if (Ctx_.Passwords == nullptr) return true;
  return zarmok::VerifyPassword(*Ctx_.Passwords, Ctx_.Host, Ctx_.Window.Handle());
}

}  // namespace zarmok
