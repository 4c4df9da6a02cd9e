// The swarm: birth and shape change of a bug, the pulls that steer it, and the step that moves it.
// X, Y, Dir and V and the steering's working values are stored as float; everything between two
// stores is carried in long double (the x87 80-bit format), so each cast to float below is a
// store point of the behaviour and no other rounding happens.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "DeskTop.h"
#include "pixel_round.h"
#include "random.h"

namespace zarmok {

namespace {

using ld = long double;

constexpr ld kPi = 3.141592653589793238462643383279502884L;
constexpr ld kTwoPi = 6.283185307179586476925286766559005768L;
// The axis headings are the single-precision neighbours of pi/2 and 3pi/2.
constexpr float kHalfPi = 1.5707964f;
constexpr float kThreeHalfPi = 4.712389f;

// One pull: adds g * d / dist of the offset (dx, dy) to (vx, vy). `core` is the integer reach
// within which the pull turns into a fifth-strength push.
void AddPull(float dx, float dy, int64_t core, int32_t strength, float& vx, float& vy) {
  const float d =
      static_cast<float>(sqrtl(static_cast<ld>(dx) * dx + static_cast<ld>(dy) * dy) + 1);
  const ld d2 = static_cast<ld>(d) * d;
  float g;
  if (static_cast<ld>(core) >= d) {
    g = static_cast<float>((-static_cast<ld>(strength) * 0.2L) / d2);
  } else {
    g = static_cast<float>(static_cast<ld>(strength) / d2);
  }
  vx = static_cast<float>(static_cast<ld>(g) * dx / d + vx);
  vy = static_cast<float>(static_cast<ld>(g) * dy / d + vy);
}

}  // namespace

void TDesktopWindow::BugPtnInit(TBug& bug) {
  TRandomSource& rnd = Random;
  const int32_t n = Used_.BugPtnSize;
  const int32_t l = Used_.ImageListLen;
  const int64_t b = Used_.BugSize;

  bug.Life = static_cast<int32_t>(std::clamp<int64_t>(
      rnd.Draw(static_cast<int32_t>(std::clamp<int64_t>(2 * b, INT32_MIN, INT32_MAX))) + 3 * b,
      INT32_MIN, INT32_MAX));
  bug.Radius = 1;
  for (int32_t k = 0; k < n; ++k) bug.Ptn[k] = TPoint{0, 0};
  bug.X = static_cast<float>(rnd.Draw(Ctx_.Window.ClientWidth()));
  bug.Y = static_cast<float>(rnd.Draw(Ctx_.Window.ClientHeight()));
  bug.V = static_cast<float>(rnd.Draw(2) + 1);
  bug.Dir = static_cast<float>(static_cast<ld>(rnd.DrawReal()) * kTwoPi);

  TColorLevel& full = bug.Colors[l - 1];
  for (int32_t k = 0; k < n; ++k) {
    int32_t c[3];
    for (int32_t& part : c) part = rnd.Draw(256);
    // Dim colours are topped up to a component sum of exactly 255; a bright one stays as drawn.
    int32_t deficit = 255 - (c[0] + c[1] + c[2]);
    for (int32_t i = 0; deficit > 0; i = (i + 1) % 3) {
      const int32_t room = 255 - c[i];
      const int32_t r = rnd.Draw(std::min(deficit, room) + 1);
      c[i] += r;
      deficit -= r;
    }
    full[k] = TBugColor{static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]),
                        static_cast<uint8_t>(c[2])};
    for (int32_t m = 1; m < l; ++m) {
      bug.Colors[m - 1][k] =
          TBugColor{static_cast<uint8_t>(c[0] * m / l), static_cast<uint8_t>(c[1] * m / l),
                    static_cast<uint8_t>(c[2] * m / l)};
    }
  }

  bug.ImgIdx = 1;
  BugImageSet(RoundToPixel(bug.X), RoundToPixel(bug.Y), bug.Ptn, bug.Dir, bug.Images[0].Image,
              bug.Images[0].Mirror);
}

void TDesktopWindow::BugPtnEx(TBug& bug) {
  TRandomSource& rnd = Random;
  const int32_t n = Used_.BugPtnSize;
  const int64_t r2 = static_cast<int64_t>(bug.Radius) * bug.Radius;
  for (int32_t k = 0; k < n; ++k) {
    TPoint& p = bug.Ptn[k];
    p.x += rnd.Draw(3) - 1;
    p.y += rnd.Draw(3) - 1;
    const int64_t x = p.x;
    const int64_t y = p.y;
    if (x * x + y * y > r2) {
      p.x -= (p.x > 0) - (p.x < 0);
      p.y -= (p.y > 0) - (p.y < 0);
    }
  }
  if (bug.Life > std::numeric_limits<int32_t>::min()) --bug.Life;
  if (bug.Life > 0) {
    if (bug.Radius < Used_.BugSize) ++bug.Radius;
  } else if (bug.Radius > 1) {
    --bug.Radius;
  } else if (static_cast<int64_t>(bug.Life) < -3 * static_cast<int64_t>(Used_.ImageListLen)) {
    bug.Radius = 0;
  }
}

void TDesktopWindow::CalcV(TBug& bug) {
  float vx = 0;
  float vy = 0;

  const int32_t w = Ctx_.Window.ClientWidth();
  const int32_t h = Ctx_.Window.ClientHeight();
  AddPull(static_cast<float>(static_cast<ld>(w) * 0.5L - bug.X),
          static_cast<float>(bug.Y - static_cast<ld>(h) * 0.5L),
          5 * static_cast<int64_t>(Used_.BugSize), Used_.SunG, vx, vy);

  const int32_t live = Used_.MaxBugs;
  for (int32_t i = 0; i < live; ++i) {
    const TBug& other = Bugs[i];
    if (other.No == bug.No) continue;
    AddPull(static_cast<float>(static_cast<ld>(other.X) - bug.X),
            static_cast<float>(static_cast<ld>(bug.Y) - other.Y),
            4 * static_cast<int64_t>(other.Radius), Used_.BugG, vx, vy);
  }

  const ld wall = Used_.WallG;
  const ld ww = Ctx_.Window.ClientWidth();
  const ld wh = Ctx_.Window.ClientHeight();
  vx = static_cast<float>((wall / (fabsl(bug.X) + 1) + vx) - wall / (fabsl(ww - bug.X) + 1));
  vy = static_cast<float>((vy - wall / (fabsl(bug.Y) + 1)) + wall / (fabsl(wh - bug.Y) + 1));

  vx = static_cast<float>(cosl(bug.Dir) * bug.V + vx);
  vy = static_cast<float>(sinl(bug.Dir) * bug.V + vy);

  bug.V = static_cast<float>(sqrtl(static_cast<ld>(vx) * vx + static_cast<ld>(vy) * vy));
  if (static_cast<ld>(bug.V) > static_cast<ld>(Used_.Speed))
    bug.V = static_cast<float>(Used_.Speed);

  // The heading follows the new velocity and stays in (0, 2pi]; a signed zero counts as zero.
  if (vx != 0) {
    const float a = static_cast<float>(atanl(static_cast<ld>(vy) / vx));
    if (a > 0) {
      bug.Dir = vy >= 0 ? a : static_cast<float>(kPi + a);
    } else {
      bug.Dir = vx > 0 ? static_cast<float>(kTwoPi + a) : static_cast<float>(kPi + a);
    }
  } else {
    bug.Dir = vy > 0 ? kHalfPi : kThreeHalfPi;
  }
}

void TDesktopWindow::BugMove(TBug& bug) {
  TStepNote* note = nullptr;
  if (&bug >= Bugs.data() && &bug < Bugs.data() + kBugCount) {
    note = &StepNotes[static_cast<size_t>(&bug - Bugs.data())];
    *note = TStepNote{false, false};
  }

  CalcV(bug);
  const int32_t ox = RoundToPixel(bug.X);
  const int32_t oy = RoundToPixel(bug.Y);
  bug.X = static_cast<float>(bug.X + cosl(bug.Dir) * bug.V);
  bug.Y = static_cast<float>(bug.Y - sinl(bug.Dir) * bug.V);
  const int32_t nx = RoundToPixel(bug.X);
  const int32_t ny = RoundToPixel(bug.Y);
  // Only a step that lands on another whole pixel shows, ages or can end the bug.
  if (nx == ox && ny == oy) return;
  if (note) note->Moved = true;

  if (Used_.BugPtnExCyc > 0) {
    bug.ExCnt = static_cast<int32_t>((static_cast<int64_t>(bug.ExCnt) + 1) % Used_.BugPtnExCyc);
    if (bug.ExCnt == 0) BugPtnEx(bug);
  }

  const int32_t l = Used_.ImageListLen;
  bug.ImgIdx = std::clamp(bug.ImgIdx, 1, l);
  EraseImage(bug, bug.ImgIdx);

  bool reborn = bug.Radius <= 0;
  if (!reborn) {
    const int64_t reach = 4 * static_cast<int64_t>(bug.Radius);
    const ld x = bug.X;
    const ld y = bug.Y;
    reborn = x < static_cast<ld>(-reach) || y < static_cast<ld>(-reach) ||
             x > static_cast<ld>(Ctx_.Window.ClientWidth() + reach) ||
             y > static_cast<ld>(Ctx_.Window.ClientHeight() + reach);
  }
  if (reborn) {
    EraseTrail(bug);
    BugPtnInit(bug);
    if (note) note->Reborn = true;
  }

  TBugImage& slot = bug.Images[bug.ImgIdx - 1];
  BugImageSet(nx, ny, bug.Ptn, bug.Dir, slot.Image, slot.Mirror);
  bug.ImgIdx = bug.ImgIdx % l + 1;
  DrawTrail(bug);
}

void TDesktopWindow::AppIdle(bool& done) {
  const int32_t live = Used_.MaxBugs;
  for (int32_t i = 0; i < live; ++i) BugMove(Bugs[i]);
  if (IdleCount < 10) ++IdleCount;
  done = false;
}

}  // namespace zarmok
