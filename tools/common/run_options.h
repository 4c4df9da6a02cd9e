// The options every tool that runs the saver window takes alike: the window's size, the seed,
// the number of idle steps and the settings file. One reader, so the tools agree on their
// grammar and their messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarmok::tools {

struct TRunOptions {
  int32_t width = 800;
  int32_t height = 600;
  std::optional<uint32_t> seed;
  int64_t steps = 0;
  std::optional<std::string> ini;
};

// Prints "<program>: <message>" on the error stream and ends with exit code 2.
[[noreturn]] void FailOption(const char* program, const std::string& message);

// A whole decimal number in [lo, hi], or nothing.
std::optional<int64_t> ParseNumber(std::string_view text, int64_t lo, int64_t hi);

// Walks a tool's command line: `--help` prints the usage and ends the program; each option
// that takes a value gets it from Value(), which fails when the line ends first.
class TOptionReader {
 public:
  TOptionReader(const char* program, const char* usage, int argc, char** argv)
      : program_(program), usage_(usage), argc_(argc), argv_(argv) {}

  // The next option, or nothing at the end of the line.
  std::optional<std::string> Next();
  std::string Value();
  // Takes --size, --seed, --steps or --ini into `o`; false for any other option.
  bool TakeRunOption(const std::string& option, TRunOptions& o);
  // --every and the like: a number from 1 up.
  int64_t CountValue(const std::string& option);
  [[noreturn]] void Fail(const std::string& message) const { FailOption(program_, message); }
  [[noreturn]] void Unknown(const std::string& option) const;

 private:
  const char* program_;
  const char* usage_;
  int argc_;
  char** argv_;
  int next_ = 1;
  std::string option_;
};

}  // namespace zarmok::tools
