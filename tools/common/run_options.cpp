#include "run_options.h"

#include <cstdio>
#include <cstdlib>

namespace zarmok::tools {

void FailOption(const char* program, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", program, message.c_str());
  std::exit(2);
}

std::optional<int64_t> ParseNumber(std::string_view text, int64_t lo, int64_t hi) {
  // Eighteen digits cannot overflow 64 bits; anything longer is out of every range asked.
  if (text.empty() || text.size() > 18) return std::nullopt;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return std::nullopt;
  return v;
}

std::optional<std::string> TOptionReader::Next() {
  if (next_ >= argc_) return std::nullopt;
  option_ = argv_[next_++];
  if (option_ == "--help" || option_ == "-h") {
    std::fputs(usage_, stdout);
    std::exit(0);
  }
  return option_;
}

std::string TOptionReader::Value() {
  if (next_ >= argc_) Fail(option_ + " needs a value (see --help)");
  return argv_[next_++];
}

int64_t TOptionReader::CountValue(const std::string& option) {
  const std::string v = Value();
  const auto n = ParseNumber(v, 1, INT64_C(1000000000000));
  if (!n) Fail(option + " wants a number from 1 up, not '" + v + "'");
  return *n;
}

bool TOptionReader::TakeRunOption(const std::string& option, TRunOptions& o) {
  if (option == "--size") {
    const std::string v = Value();
    const size_t x = v.find_first_of("xX");
    const auto w = x == std::string::npos ? std::nullopt : ParseNumber(v.substr(0, x), 1, 16384);
    const auto h = x == std::string::npos ? std::nullopt : ParseNumber(v.substr(x + 1), 1, 16384);
    if (!w || !h) Fail("--size wants WxH with each side 1 to 16384, not '" + v + "'");
    o.width = static_cast<int32_t>(*w);
    o.height = static_cast<int32_t>(*h);
  } else if (option == "--seed") {
    const std::string v = Value();
    const auto s = ParseNumber(v, 0, UINT32_MAX);
    if (!s) Fail("--seed wants a number from 0 to 4294967295, not '" + v + "'");
    o.seed = static_cast<uint32_t>(*s);
  } else if (option == "--steps") {
    const std::string v = Value();
    const auto s = ParseNumber(v, 0, INT64_C(1000000000000));
    if (!s) Fail("--steps wants a number from 0 up, not '" + v + "'");
    o.steps = *s;
  } else if (option == "--ini") {
    o.ini = Value();
  } else {
    return false;
  }
  return true;
}

void TOptionReader::Unknown(const std::string& option) const {
  Fail("unknown option '" + option + "' (see --help)");
}

}  // namespace zarmok::tools
