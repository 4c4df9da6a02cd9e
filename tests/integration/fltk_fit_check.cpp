// Opens the FLTK settings dialog, its about box and an error box on $DISPLAY as the program does
// and looks at each while it is up:   fltk_fit_check ja|en SCALE
// Every text is the catalogue's in that language, the windows have the table's size at SCALE,
// and every text fits where it is drawn: none wider than its widget, none outside its group's
// frame, no two widgets of a group overlapping. Exit code 0 when every check passed.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "AboutDlg.h"
#include "fake/memory_profile.h"
#include "fltk_internal.h"
#include "fltk_ui.h"
#include "posix/user_locale.h"

namespace {

using namespace zarmok;

int failures = 0;
TLanguage language = TLanguage::Japanese;
double scale = 1.0;

void Check(bool ok, const std::string& what) {
  if (ok) return;
  ++failures;
  std::printf("FAIL: %s\n", what.c_str());
}

std::string Show(const Fl_Widget& w) {
  return "\"" + std::string(w.label() ? w.label() : "") + "\" at " + std::to_string(w.x()) + "," +
         std::to_string(w.y()) + " " + std::to_string(w.w()) + "x" + std::to_string(w.h());
}

bool Inside(const Fl_Widget& in, int x, int y, int w, int h) {
  return in.x() >= x && in.y() >= y && in.x() + in.w() <= x + w && in.y() + in.h() <= y + h;
}
bool Overlap(const Fl_Widget& a, const Fl_Widget& b) {
  return a.x() < b.x() + b.w() && b.x() < a.x() + a.w() && a.y() < b.y() + b.h() &&
         b.y() < a.y() + a.h();
}

// The room a widget's text takes: a check or radio button's mark before it, a button's bevel.
int Needed(const Fl_Widget& w) {
  fl_font(w.labelfont(), w.labelsize());
  const int text = static_cast<int>(std::ceil(fl_width(w.label())));
  if (dynamic_cast<const Fl_Light_Button*>(&w)) return w.labelsize() + 4 + text;
  return dynamic_cast<const Fl_Button*>(&w) ? text + 4 : text;
}

void CheckGroup(Fl_Group& group, std::set<std::string>& texts) {
  const bool frame = group.as_window() == nullptr;
  if (group.label()) texts.insert(group.label());
  if (frame) Check(Needed(group) + 2 * group.labelsize() <= group.w(), Show(group) + " caption");
  for (int i = 0; i < group.children(); ++i) {
    Fl_Widget& w = *group.child(i);
    if (Fl_Group* inner = w.as_group()) {
      CheckGroup(*inner, texts);
      continue;
    }
    if (w.label() && *w.label()) texts.insert(w.label());
    if (w.label() && *w.label()) Check(Needed(w) <= w.w(), Show(w) + " holds its text");
    if (frame) {
      Check(Inside(w, group.x() + 2, group.y(), group.w() - 4, group.h()),
            Show(w) + " inside " + Show(group));
    }
    for (int j = i + 1; j < group.children(); ++j) {
      Fl_Widget& o = *group.child(j);
      // A panel holds the labels drawn on it.
      if (o.as_group() || Inside(o, w.x(), w.y(), w.w(), w.h()) ||
          Inside(w, o.x(), o.y(), o.w(), o.h())) {
        continue;
      }
      Check(!Overlap(w, o), Show(w) + " clear of " + Show(o));
    }
  }
}

void CheckWindow(const char* xclass, int width, int height, TTextId first, TTextId last) {
  Fl_Window* window = Fl::first_window();
  while (window && std::string(window->xclass()) != xclass) window = Fl::next_window(window);
  Check(window != nullptr, std::string(xclass) + " is up");
  if (!window) return;
  if (width > 0) {
    Check(window->w() == ScaleLength(width, scale) && window->h() == ScaleLength(height, scale),
          std::string(xclass) + "'s size");
  }
  std::set<std::string> texts;
  CheckGroup(*window, texts);
  for (int id = static_cast<int>(first); id <= static_cast<int>(last); ++id) {
    Check(texts.count(Text(TTextId(id), language)), Text(TTextId(id), language));
  }
  window->hide();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  language = std::string(argv[1]) == "ja" ? TLanguage::Japanese : TLanguage::English;
  scale = std::atof(argv[2]);
  Check(posix::UserLanguage() == language, "the environment chooses the language asked for");
  x11::TX11Connection connection;
  ui::TFltkUi front_end(connection, posix::UserLanguage());
  testing::TMemoryProfile profile;
  Fl::add_timeout(0.5, [](void*) {
    Fl::add_timeout(0.3, [](void*) {
      CheckWindow("TAboutBox", kAboutBox.client_width, kAboutBox.client_height,
                  TTextId::AboutCaption, TTextId::VersionLine);
    });
    ui::ShowAboutBoxModal(ui::TLook{language, scale});
    CheckWindow("TBugsPramSet", kBugsPramSetClientWidth, kBugsPramSetClientHeight,
                TTextId::BugsPramSetCaption, TTextId::AboutButton);
  });
  front_end.RunSettingsDialog(profile, "/nonexistent/zarmok.ini", 0);
  Fl::add_timeout(
      0.3, [](void*) { CheckWindow("TErrorBox", 0, 0, TTextId::OkButton, TTextId::OkButton); });
  front_end.ShowError(Text(TTextId::ApplicationTitle, language),
                      WordText(TTextId::CannotWrite, language, {"/home/user/.config/zarmok.ini"}));
  std::printf("%s at %g: %s\n", argv[1], scale, failures == 0 ? "ok" : "failed");
  return failures == 0 ? 0 : 1;
}
