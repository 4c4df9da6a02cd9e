// A front end that makes nothing: it notes each child the dialog's layout asks for, by name and
// by the table entry it was given.
#pragma once

#include <string>
#include <vector>

#include "BugsSet.h"

namespace zarmok {

class TRecordingLayoutBuilder : public IDialogLayoutBuilder {
 public:
  struct TCall {
    std::string name;
    const void* entry;
  };

  void AddScrollBarGroup(const TScrollBarLayout& layout) override {
    calls.push_back({layout.group_name, &layout});
  }
  void AddStopGroup(const TGroupBoxLayout& group) override {
    calls.push_back({group.name, &group});
  }
  void AddButton(const TButtonLayout& layout) override { calls.push_back({layout.name, &layout}); }
  void AddRadioGroup(const TRadioGroupLayout& group) override {
    calls.push_back({group.name, &group});
  }

  std::vector<TCall> calls;
};

}  // namespace zarmok
