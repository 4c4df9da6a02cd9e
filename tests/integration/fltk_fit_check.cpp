// Opens the FLTK settings dialog, its about box and an error box on $DISPLAY as the program does,
// in the language the environment chooses, and checks what each shows while it is up:
//   fltk_fit_check ja|en SCALE
// every text is the catalogue's in that language, every window has the table's size at SCALE,
// and every text fits where it is drawn (no label clipped by or overlapping its bar, its frame
// or its neighbour). Exit code 0 when every check passed; each failed check prints a line.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "AboutDlg.h"
#include "BugsSet.h"
#include "fake/memory_profile.h"
#include "fltk_internal.h"
#include "fltk_ui.h"
#include "posix/user_locale.h"
#include "x11_display.h"

namespace {

using namespace zarmok;

int failures = 0;
TLanguage language = TLanguage::Japanese;
double scale = 1.0;

void Check(bool ok, const std::string& what) {
  if (!ok) {
    ++failures;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

std::string Show(const Fl_Widget& w) {
  return "\"" + std::string(w.label() ? w.label() : "") + "\" at (" + std::to_string(w.x()) + ", " +
         std::to_string(w.y()) + ") " + std::to_string(w.w()) + " x " + std::to_string(w.h());
}

int Width(const Fl_Widget& w, const char* text) {
  fl_font(w.labelfont(), w.labelsize());
  return static_cast<int>(std::ceil(fl_width(text)));
}

bool Overlap(const Fl_Widget& a, const Fl_Widget& b) {
  return a.x() < b.x() + b.w() && b.x() < a.x() + a.w() && a.y() < b.y() + b.h() &&
         b.y() < a.y() + a.h();
}
// A panel holds the labels drawn on it.
bool Contains(const Fl_Widget& outer, const Fl_Widget& inner) {
  return inner.x() >= outer.x() && inner.y() >= outer.y() &&
         inner.x() + inner.w() <= outer.x() + outer.w() &&
         inner.y() + inner.h() <= outer.y() + outer.h();
}

// The room a widget's text takes: a check or radio button's mark comes before it, a push
// button's bevel around it, a plain label has nothing else.
int Needed(const Fl_Widget& w) {
  const int text = Width(w, w.label());
  if (dynamic_cast<const Fl_Light_Button*>(&w)) return w.labelsize() + 4 + text;
  if (dynamic_cast<const Fl_Button*>(&w)) return text + 4;
  return text;
}

// Every labelled widget of a group holds its text inside the group's frame and overlaps none of
// its siblings; a group box's caption fits its top edge.
void CheckGroup(Fl_Group& group, std::set<std::string>& texts) {
  const bool frame = group.as_window() == nullptr;
  if (frame && group.label()) {
    texts.insert(group.label());
    Check(Width(group, group.label()) + 2 * group.labelsize() <= group.w(),
          "the caption of " + Show(group) + " fits its frame");
  }
  for (int i = 0; i < group.children(); ++i) {
    const Fl_Widget& w = *group.child(i);
    if (auto* inner = const_cast<Fl_Widget&>(w).as_group()) {
      CheckGroup(*inner, texts);
      continue;
    }
    if (w.label() && *w.label()) {
      texts.insert(w.label());
      Check(Needed(w) <= w.w(), Show(w) + " holds its text (" + std::to_string(Needed(w)) + ")");
    }
    if (frame) {
      const int margin = 2;
      Check(w.x() >= group.x() + margin && w.x() + w.w() <= group.x() + group.w() - margin &&
                w.y() + w.h() <= group.y() + group.h(),
            Show(w) + " inside the frame of " + Show(group));
    }
    for (int j = i + 1; j < group.children(); ++j) {
      const Fl_Widget& other = *group.child(j);
      if (dynamic_cast<const Fl_Group*>(&other)) continue;
      if (Contains(w, other) || Contains(other, w)) continue;
      Check(!Overlap(w, other), Show(w) + " clear of " + Show(other));
    }
  }
}

void CheckWindow(Fl_Window& window, const char* name, int table_width, int table_height,
                 const std::set<TTextId>& ids) {
  Check(
      window.w() == ScaleLength(table_width, scale) &&
          window.h() == ScaleLength(table_height, scale),
      std::string(name) + " is " + std::to_string(window.w()) + " x " + std::to_string(window.h()));
  std::set<std::string> texts;
  CheckGroup(window, texts);
  texts.insert(window.label());
  for (const TTextId id : ids) {
    Check(texts.count(Text(id, language)) == 1,
          std::string(name) + " shows \"" + Text(id, language) + "\"");
  }
}

Fl_Window* Shown(const char* xclass) {
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
    if (w->xclass() && std::string(w->xclass()) == xclass && w->shown()) return w;
  }
  return nullptr;
}

void CheckAboutBox(void*) {
  Fl_Window* about = Shown("TAboutBox");
  Check(about != nullptr, "the about box is up");
  if (!about) return;
  CheckWindow(
      *about, "the about box", kAboutBox.client_width, kAboutBox.client_height,
      {TTextId::AboutCaption, TTextId::ProductName, TTextId::VersionLine, TTextId::OkButton});
  about->hide();
}

void CheckDialog(void*) {
  Fl_Window* dialog = Shown("TBugsPramSet");
  Check(dialog != nullptr, "the dialog is up");
  if (!dialog) return;
  std::set<TTextId> ids;
  for (int i = 0; i <= static_cast<int>(TTextId::AboutButton); ++i) ids.insert(TTextId(i));
  CheckWindow(*dialog, "the dialog", kBugsPramSetClientWidth, kBugsPramSetClientHeight, ids);
  Fl::add_timeout(0.3, CheckAboutBox);
  ui::ShowAboutBoxModal(ui::TLook{language, scale});
  dialog->hide();
}

void CheckErrorBox(void*) {
  Fl_Window* box = Shown("TErrorBox");
  Check(box != nullptr, "the error box is up, of the class TErrorBox");
  if (!box) return;
  std::set<std::string> texts;
  CheckGroup(*box, texts);
  Check(texts.count(Text(TTextId::OkButton, language)) == 1, "the error box has its OK");
  box->hide();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: fltk_fit_check ja|en SCALE\n", stderr);
    return 2;
  }
  language = std::string(argv[1]) == "ja" ? TLanguage::Japanese : TLanguage::English;
  scale = std::atof(argv[2]);
  Check(UserLanguage() == language, "the environment chooses the language asked for");
  x11::TX11Connection connection;
  ui::TFltkUi front_end(connection, UserLanguage());
  testing::TMemoryProfile profile;
  Fl::add_timeout(0.5, CheckDialog);
  front_end.RunSettingsDialog(profile, "/nonexistent/zarmok.ini", 0);
  Fl::add_timeout(0.3, CheckErrorBox);
  front_end.ShowError(Text(TTextId::ApplicationTitle, language),
                      WordText(TTextId::CannotWrite, language, {"/home/user/.config/zarmok.ini"}));
  std::printf("%s at %g: %s\n", argv[1], scale, failures == 0 ? "ok" : "failed");
  return failures == 0 ? 0 : 1;
}
