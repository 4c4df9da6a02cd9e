// An in-memory private-profile service for tests: files are maps of sections of keys, names
// match without regard to case as the real services match them, every read and write is
// recorded, and a chosen write (or every write) can be refused as a full disk or a read-only
// folder would refuse it.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"

namespace zarmok::testing {

class TMemoryProfile : public IPrivateProfile {
 public:
  struct TAccess {
    std::string file;
    std::string section;
    std::string key;
    std::string value;  // the text written, or the text a read gave back
    bool refused = false;

    bool operator==(const TAccess&) const = default;
  };

  // Puts a value in place without counting it as a write of the program.
  void Set(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value) {
    Store(file, section, key, value);
  }

  // The stored text, or nothing when the file, section or key is missing.
  std::optional<std::string> Get(const std::string& file, const std::string& section,
                                 const std::string& key) const {
    const auto f = files_.find(file);
    if (f == files_.end()) return std::nullopt;
    const auto s = f->second.find(Fold(section));
    if (s == f->second.end()) return std::nullopt;
    for (const auto& [name, value] : s->second.keys) {
      if (Fold(name) == Fold(key)) return value;
    }
    return std::nullopt;
  }

  bool HasFile(const std::string& file) const { return files_.count(file) != 0; }

  // Keys of a section in the order they were first written: a file made from scratch lists
  // them as the program wrote them.
  std::vector<std::string> KeysOf(const std::string& file, const std::string& section) const {
    std::vector<std::string> names;
    const auto f = files_.find(file);
    if (f == files_.end()) return names;
    const auto s = f->second.find(Fold(section));
    if (s == f->second.end()) return names;
    for (const auto& entry : s->second.keys) names.push_back(entry.first);
    return names;
  }

  // Refuses write number `n` (1-based, counting every WriteString call, refused ones too).
  void RefuseWrite(int n) { refused_write_ = n; }
  // Refuses every write from now on.
  void RefuseAllWrites() { refuse_all_ = true; }
  void AcceptWrites() {
    refused_write_.reset();
    refuse_all_ = false;
  }

  const std::vector<TAccess>& Reads() const { return reads_; }
  const std::vector<TAccess>& Writes() const { return writes_; }
  int WriteCalls() const { return static_cast<int>(writes_.size()); }
  void ClearLog() {
    reads_.clear();
    writes_.clear();
  }

  std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& default_text, size_t buffer_size) override {
    const std::optional<std::string> stored = Get(file, section, key);
    std::string text = stored ? *stored : default_text;
    text = text.substr(0, text.find('\0'));
    text = text.substr(0, buffer_size == 0 ? 0 : std::min(text.size(), buffer_size - 1));
    reads_.push_back({file, section, key, text, false});
    return text;
  }

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    const int number = WriteCalls() + 1;
    const bool refused = refuse_all_ || (refused_write_ && *refused_write_ == number);
    writes_.push_back({file, section, key, value, refused});
    if (refused) return false;
    Store(file, section, key, value);
    return true;
  }

 private:
  struct TSection {
    std::vector<std::pair<std::string, std::string>> keys;
  };

  static std::string Fold(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
  }

  void Store(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value) {
    TSection& s = files_[file][Fold(section)];
    for (auto& entry : s.keys) {
      if (Fold(entry.first) == Fold(key)) {
        entry.second = value;
        return;
      }
    }
    s.keys.emplace_back(key, value);
  }

  std::map<std::string, std::map<std::string, TSection>> files_;
  std::vector<TAccess> reads_;
  std::vector<TAccess> writes_;
  std::optional<int> refused_write_;
  bool refuse_all_ = false;
};

}  // namespace zarmok::testing
