#include "DeskTop.h"

#include "host.h"
#include "trail_cache.h"

namespace zarmok {

// The safe limits are the sizes of the window's fixed arrays: the animation indexes them with
// the used settings and nothing else.
static_assert(kMaxBugsLimit == kBugCount);
static_assert(kBugPtnSizeLimit == kPtnPoints);
static_assert(kImageListLenLimit == kRingSlots);

TDesktopWindow::TDesktopWindow(const TDesktopHost& host)
    : Ctx_(host), Trails_(std::make_unique<TTrailCache>()) {}

TDesktopWindow::~TDesktopWindow() = default;

void TDesktopWindow::UseSettings(const TSaverSettings& loaded) {
  Loaded_ = loaded;
  Used_ = HoldToSafeLimits(loaded);
}

void TDesktopWindow::TurnOffStopConditions() {
  Used_.StopOnKey = false;
  Used_.StopOnMouseMove = false;
  Used_.StopOnMouseClick = false;
}

void TDesktopWindow::FormCreate() {
  Ctx_.Host.SetScreenSaverRunning(true);
  Ctx_.Window.RequestMaximized();
  if (Ctx_.PreviewParent == 0) Ctx_.Host.ShowCursor(false);

  UseSettings(LoadSettings(Ctx_.Profile, Ctx_.IniPath));
  if (Ctx_.Seed) {
    Random.Seed(*Ctx_.Seed);
  } else {
    Random.SeedFromClock();
  }
  EraseColors.fill(TBugColor{0, 0, 0});
  for (int32_t i = 1; i <= Used_.MaxBugs; ++i) {
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
  if (Used_.StopOnMouseClick) Close();
}

void TDesktopWindow::FormKeyDown() {
  if (Used_.StopOnKey) Close();
}

void TDesktopWindow::FormMouseMove() {
  if (IdleCount >= kMouseGraceSteps && Used_.StopOnMouseMove) Close();
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
