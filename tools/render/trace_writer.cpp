#include "trace_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace zarmok::render {

namespace {

void Settings(FILE* f, const TSaverSettings& s) {
  std::fputc('{', f);
  for (int i = 0; i < kSettingKeyCount; ++i) {
    const TSettingKey& key = kSettingKeys[i];
    std::fprintf(f, "%s\"%s\": ", i ? ", " : "", key.name);
    if (key.is_flag) {
      std::fputs(s.*key.flag ? "true" : "false", f);
    } else {
      std::fprintf(f, "%d", static_cast<int>(s.*key.integer));
    }
  }
  std::fputc('}', f);
}

void Real(FILE* f, float v) {
  if (std::isfinite(v)) {
    std::fprintf(f, "%.9g", static_cast<double>(v));
  } else {
    std::fputs("null", f);
  }
}

}  // namespace

bool TTraceWriter::Open(const std::string& path, std::string& error) {
  file_ = std::fopen(path.c_str(), "w");
  if (!file_) error = "cannot write " + path + ": " + std::strerror(errno);
  return file_ != nullptr;
}

TTraceWriter::~TTraceWriter() {
  if (file_) std::fclose(file_);
}

void TTraceWriter::Header(uint32_t seed, int32_t birth_w, int32_t birth_h, int32_t w, int32_t h,
                          const TSaverSettings& loaded, const TSaverSettings& used) {
  std::fprintf(file_, "{\"seed\": %u, \"birth_client\": [%d, %d], \"client\": [%d, %d], ",
               static_cast<unsigned>(seed), birth_w, birth_h, w, h);
  std::fputs("\"loaded\": ", file_);
  Settings(file_, loaded);
  std::fputs(", \"used\": ", file_);
  Settings(file_, used);
  std::fputs("}\n", file_);
}

void TTraceWriter::Step(int64_t step, const TDesktopWindow& w, bool after_idle) {
  FILE* f = file_;
  std::fprintf(f, "{\"step\": %lld, \"bugs\": [", static_cast<long long>(step));
  const int32_t n = w.Used().BugPtnSize;
  const int32_t level = w.Used().ImageListLen - 1;
  for (int32_t i = 0; i < w.Used().MaxBugs; ++i) {
    const TBug& b = w.Bugs[i];
    std::fprintf(f, "%s{\"No\": %d, \"Life\": %d, \"Radius\": %d, \"X\": ", i ? ", " : "", b.No,
                 b.Life, b.Radius);
    Real(f, b.X);
    std::fputs(", \"Y\": ", f);
    Real(f, b.Y);
    std::fputs(", \"Dir\": ", f);
    Real(f, b.Dir);
    std::fputs(", \"V\": ", f);
    Real(f, b.V);
    std::fprintf(f, ", \"ExCnt\": %d, \"ImgIdx\": %d, \"Ptn\": [", b.ExCnt, b.ImgIdx);
    for (int32_t k = 0; k < n; ++k) {
      std::fprintf(f, "%s[%d, %d]", k ? ", " : "", b.Ptn[k].x, b.Ptn[k].y);
    }
    std::fputs("], \"Colors\": [", f);
    for (int32_t k = 0; k < n; ++k) {
      const TBugColor& c = b.Colors[level][k];
      std::fprintf(f, "%s[%d, %d, %d]", k ? ", " : "", c.r, c.g, c.b);
    }
    const bool moved = after_idle && w.StepNotes[i].Moved;
    const bool reborn = after_idle && w.StepNotes[i].Reborn;
    std::fprintf(f, "], \"moved\": %s, \"reborn\": %s}", moved ? "true" : "false",
                 reborn ? "true" : "false");
  }
  std::fputs("]}\n", f);
}

bool TTraceWriter::Close() {
  if (!file_) return true;
  const bool ok = std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok && closed;
}

}  // namespace zarmok::render
