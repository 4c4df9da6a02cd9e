// A settings dialog's controls without a display: it holds what the dialog puts in them,
// lets a test play the user, and logs every call in order.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "BugsSet.h"

namespace zarmok::testing {

class TFakeBugsPramSetView : public IBugsPramSetView {
 public:
  TFakeBugsPramSetView() {
    for (const TScrollBarLayout& bar : kScrollBars) positions_[Index(bar.id)] = bar.min;
  }

  int32_t ItemIndex() override { return item_index_; }
  void SetItemIndex(int32_t index) override {
    // A radio group of two items holds -1 (nothing checked), 0 or 1.
    EXPECT_GE(index, -1);
    EXPECT_LE(index, 1);
    item_index_ = index;
    log.push_back("SetItemIndex " + std::to_string(index));
  }
  int32_t Position(TScrollBarId bar) override { return positions_[Index(bar)]; }
  void SetPosition(TScrollBarId bar, int32_t position) override {
    const TScrollBarLayout& layout = ScrollBarLayout(bar);
    EXPECT_GE(position, layout.min) << layout.name;
    EXPECT_LE(position, layout.max) << layout.name;
    positions_[Index(bar)] = position;
    log.push_back(std::string("SetPosition ") + layout.name + " " + std::to_string(position));
  }
  bool Checked(TCheckBoxId box) override { return checked_[Index(box)]; }
  void SetChecked(TCheckBoxId box, bool checked) override {
    checked_[Index(box)] = checked;
    log.push_back(std::string("SetChecked ") + kCheckBoxes[Index(box)].name + " " +
                  (checked ? "1" : "0"));
  }
  void Close() override {
    ++close_calls;
    log.push_back("Close");
  }
  void ShowAboutBoxModal() override {
    ++about_calls;
    log.push_back("ShowAboutBoxModal");
  }

  // The user's hand on the controls: no log entry, as the dialog did not do it.
  void UserSetsPosition(TScrollBarId bar, int32_t position) { positions_[Index(bar)] = position; }
  void UserChecks(TCheckBoxId box, bool checked) { checked_[Index(box)] = checked; }
  void UserSelectsItem(int32_t index) { item_index_ = index; }

  std::vector<std::string> log;
  int close_calls = 0;
  int about_calls = 0;

 private:
  template <typename Id>
  static int Index(Id id) {
    return static_cast<int>(id);
  }

  int32_t item_index_ = -1;
  std::array<int32_t, kScrollBarCount> positions_{};
  std::array<bool, kCheckBoxCount> checked_{};
};

}  // namespace zarmok::testing
