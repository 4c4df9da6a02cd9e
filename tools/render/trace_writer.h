// The trace: JSON lines, a header with the run's seed, sizes and settings, then the state of
// every live bug after creation (step 0) and after each idle step. Reals carry 9 significant
// digits, enough to read back to the same single-precision value.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "DeskTop.h"

namespace zarmok::render {

class TTraceWriter {
 public:
  // False with `error` set when the file cannot be opened.
  bool Open(const std::string& path, std::string& error);
  ~TTraceWriter();
  bool IsOpen() const { return file_ != nullptr; }

  void Header(uint32_t seed, int32_t birth_w, int32_t birth_h, int32_t w, int32_t h,
              const TSaverSettings& loaded, const TSaverSettings& used);
  void Step(int64_t step, const TDesktopWindow& window, bool after_idle);
  // False when a write failed.
  bool Close();

 private:
  FILE* file_ = nullptr;
};

}  // namespace zarmok::render
