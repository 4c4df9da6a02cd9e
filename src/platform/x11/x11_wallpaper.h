// The saver as the desktop's background on X11: its pictures go into the root window itself, at
// each monitor's place, as programs that draw on the desktop do. The root's children clip them,
// so every ordinary window stays above; nothing of the root changes but its picture, which its
// own background takes back when the run ends.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "platform.h"
#include "x11_display.h"
#include "x11_present.h"
#include "x11_signal_loan.h"

namespace zarmok::x11 {

class TX11Wallpaper;

// One monitor's place on the root window.
class TX11WallpaperWindow final : public IPlatformWindow {
 public:
  explicit TX11WallpaperWindow(TX11Wallpaper& owner);
  ~TX11WallpaperWindow() override;
  TX11WallpaperWindow(const TX11WallpaperWindow&) = delete;
  TX11WallpaperWindow& operator=(const TX11WallpaperWindow&) = delete;

  int32_t ClientWidth() override { return presenter_.Width(); }
  int32_t ClientHeight() override { return presenter_.Height(); }
  IDrawSurface& Canvas() override { return presenter_.Drawing(); }
  // The root window's: the place has no window of its own.
  TWindowHandle Handle() override;
  // An area of the root window, in its coordinates.
  void Place(const TWindowRect& area) override;
  void Show() override;
  void Present() override;

 private:
  friend class TX11Wallpaper;

  // Gives the root's own background back to the place.
  void Clear();

  TX11Wallpaper& owner_;
  GC gc_ = nullptr;
  TWindowRect area_;
  bool shown_ = false;
  // The place's picture was lost (shown, moved, or exposed on the root) and is not yet painted.
  bool paint_owed_ = false;
  TX11Presenter presenter_;
};

// The root window's places of a run and the root's news for them.
class TX11Wallpaper {
 public:
  TX11Wallpaper(TX11Connection& connection, TSignalLoan& end_signals);
  TX11Wallpaper(const TX11Wallpaper&) = delete;
  TX11Wallpaper& operator=(const TX11Wallpaper&) = delete;

  // A place at the birth size in the top left corner, on the open connection.
  std::unique_ptr<IPlatformWindow> CreateWindow();
  // True when the event was news for the places: the root exposed, or a picture read.
  bool Translate(const XEvent& event, ISaverEvents& events);
  // Paint for each shown place whose picture was lost.
  void DeliverOwedPaints(ISaverEvents& events);

 private:
  friend class TX11WallpaperWindow;

  TX11Connection& connection_;
  TSignalLoan& end_signals_;
  Display* display_ = nullptr;
  Window root_ = None;
  std::vector<TX11WallpaperWindow*> windows_;
  // Whether the root's exposures came to this connection before the first place asked for them.
  bool had_exposures_ = false;
};

}  // namespace zarmok::x11
