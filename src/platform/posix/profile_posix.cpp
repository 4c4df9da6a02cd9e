// The private-profile service of the Linux build. Reading goes through SimpleIni, so names match
// without regard to case, blanks around values are trimmed, CR LF line ends and a UTF-8 BOM are
// accepted. Writing never re-serialises the user's file: it edits the one line that holds the
// key (or adds one), keeps every other byte, proves with the same reader that the edit changed
// exactly that key, and replaces the file atomically (temporary file, fsync, rename). Only a
// user who may write the file itself saves it; where the folder will not take a temporary file,
// such a user's file is rewritten in place instead.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profile_posix.h"
#include "user_config.h"

namespace zarmok {
namespace {

// A settings file is a few hundred bytes; anything far beyond is not one we should rewrite.
constexpr off_t kLargestFile = 16 * 1024 * 1024;
constexpr int kLargestLinkChain = 40;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class TFileState { kMissing, kRead, kUnusable };

struct TFileBody {
  TFileState state = TFileState::kMissing;
  std::string bytes;
  mode_t mode = 0;
  uid_t uid = 0;
  gid_t gid = 0;
  dev_t device = 0;
  ino_t inode = 0;
};

TFileBody ReadFileBody(const std::string& path) {
  TFileBody body;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    body.state = errno == ENOENT ? TFileState::kMissing : TFileState::kUnusable;
    return body;
  }
  body.state = TFileState::kUnusable;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kLargestFile) {
    body.mode = info.st_mode & 07777;
    body.uid = info.st_uid;
    body.gid = info.st_gid;
    body.device = info.st_dev;
    body.inode = info.st_ino;
    char chunk[8192];
    for (;;) {
      const ssize_t got = read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) break;
      if (got == 0) {
        body.state = TFileState::kRead;
        break;
      }
      body.bytes.append(chunk, static_cast<size_t>(got));
      if (body.bytes.size() > static_cast<size_t>(kLargestFile)) break;
    }
  }
  close(fd);
  if (body.state != TFileState::kRead) body.bytes.clear();
  return body;
}

bool Parse(CSimpleIniA& ini, const std::string& bytes) {
  ini.SetQuotes(false);
  ini.SetMultiLine(false);
  return ini.LoadData(bytes.data(), bytes.size()) >= 0;
}

bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

struct TLine {
  size_t begin;  // first byte of the line
  size_t end;    // one past its last byte, before the line end
  size_t next;   // first byte of the following line
};

std::vector<TLine> SplitLines(const std::string& bytes) {
  std::vector<TLine> lines;
  size_t at = bytes.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0 ? kUtf8Bom.size() : 0;
  while (at < bytes.size()) {
    const size_t newline = bytes.find('\n', at);
    const size_t stop = newline == std::string::npos ? bytes.size() : newline;
    const size_t end = stop > at && bytes[stop - 1] == '\r' ? stop - 1 : stop;
    lines.push_back({at, end, newline == std::string::npos ? bytes.size() : newline + 1});
    at = lines.back().next;
  }
  return lines;
}

// The file's own line end, so an edited CR LF file stays CR LF throughout.
std::string LineEnd(const std::string& bytes) {
  const size_t newline = bytes.find('\n');
  return newline != std::string::npos && newline > 0 && bytes[newline - 1] == '\r' ? "\r\n" : "\n";
}

// The text of `bytes` with `key` of `section` set to `value`: the last line that holds the key
// gets the new value (the one the reader takes), else a line is added after the section's last
// entry, else the section is added at the end.
std::string EditedBody(const std::string& bytes, const std::string& section, const std::string& key,
                       const std::string& value) {
  const std::string eol = LineEnd(bytes);
  std::optional<TLine> key_line;
  std::optional<TLine> last_entry;
  bool in_section = false;
  for (const TLine& line : SplitLines(bytes)) {
    const std::string_view text =
        Trim(std::string_view(bytes).substr(line.begin, line.end - line.begin));
    if (text.empty() || text.front() == ';' || text.front() == '#') continue;
    if (text.front() == '[') {
      const size_t close = text.find(']');
      if (close == std::string_view::npos) continue;
      in_section = NamesMatch(Trim(text.substr(1, close - 1)), section);
      if (in_section) last_entry = line;
      continue;
    }
    const size_t equals = text.find('=');
    if (!in_section || equals == std::string_view::npos || equals == 0) continue;
    last_entry = line;
    if (NamesMatch(Trim(text.substr(0, equals)), key)) key_line = line;
  }

  if (key_line) {
    const size_t equals = bytes.find('=', key_line->begin);
    return bytes.substr(0, equals + 1) + value + bytes.substr(key_line->end);
  }
  const std::string entry = key + "=" + value + eol;
  if (last_entry) {
    std::string edited = bytes.substr(0, last_entry->next);
    if (last_entry->next == last_entry->end) edited += eol;  // the last line had no line end
    return edited + entry + bytes.substr(last_entry->next);
  }
  std::string edited = bytes;
  if (!edited.empty() && edited.back() != '\n') edited += eol;
  return edited + "[" + section + "]" + eol + entry;
}

// True when `after` reads exactly as `before` except that `section`/`key` now reads `value`.
bool OnlyKeyChanged(const std::string& before, const std::string& after, const std::string& section,
                    const std::string& key, const std::string& value) {
  CSimpleIniA old_ini;
  CSimpleIniA new_ini;
  CSimpleIniA expected_ini;
  const std::string expected_body = "[" + section + "]\n" + key + "=" + value + "\n";
  if (!Parse(old_ini, before) || !Parse(new_ini, after) || !Parse(expected_ini, expected_body)) {
    return false;
  }
  const char* expected = expected_ini.GetValue(section.c_str(), key.c_str(), nullptr);
  const char* written = new_ini.GetValue(section.c_str(), key.c_str(), nullptr);
  if (expected == nullptr || written == nullptr || std::strcmp(expected, written) != 0)
    return false;

  // Every other entry, in both directions, reads as before.
  const auto same_elsewhere = [&](const CSimpleIniA& from, const CSimpleIniA& to) {
    CSimpleIniA::TNamesDepend sections;
    from.GetAllSections(sections);
    for (const auto& s : sections) {
      CSimpleIniA::TNamesDepend keys;
      from.GetAllKeys(s.pItem, keys);
      for (const auto& k : keys) {
        if (NamesMatch(s.pItem, section) && NamesMatch(k.pItem, key)) continue;
        const char* a = from.GetValue(s.pItem, k.pItem, nullptr);
        const char* b = to.GetValue(s.pItem, k.pItem, nullptr);
        if (a == nullptr || b == nullptr || std::strcmp(a, b) != 0) return false;
      }
    }
    return true;
  };
  return same_elsewhere(old_ini, new_ini) && same_elsewhere(new_ini, old_ini);
}

// The file that a write really replaces: a symbolic link is followed to its final target, so
// the link itself stays a link.
std::optional<std::string> ResolveLinks(std::string path) {
  for (int hop = 0; hop < kLargestLinkChain; ++hop) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
      if (errno == ENOENT) return path;
      return std::nullopt;
    }
    if (!S_ISLNK(info.st_mode)) return path;
    std::vector<char> target(static_cast<size_t>(PATH_MAX) + 1);
    const ssize_t length = readlink(path.c_str(), target.data(), target.size() - 1);
    if (length <= 0 || static_cast<size_t>(length) >= target.size() - 1) return std::nullopt;
    std::string next(target.data(), static_cast<size_t>(length));
    if (next.front() != '/') {
      const size_t slash = path.rfind('/');
      next = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + next;
    }
    path = next;
  }
  return std::nullopt;
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Writes `bytes` from the start of the file, whatever the descriptor's offset.
bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put =
        pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

enum class TReplaced { kDone, kFailed, kFolderRefused };

// Puts `bytes` in place of `path` in one step: readers see the old file or the new one, never
// a part of either, and a failure leaves the old file as it was. kFolderRefused says that this
// user may not make the temporary file in the folder at all, and nothing was touched.
TReplaced ReplaceFile(const std::string& path, const std::string& bytes, const TFileBody& old,
                      mode_t new_file_mode) {
  const size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temporary = folder + "/." + name + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    // Only a refusal of this user's rights counts: a full disk or a name too long for the folder is
    // no reason to risk the file by rewriting it in place.
    return errno == EACCES || errno == EPERM ? TReplaced::kFolderRefused : TReplaced::kFailed;
  }

  bool ok = WriteAll(fd, bytes);
  if (ok && old.state == TFileState::kRead) {
    // Root saving a user's file must not hand it over to root; others cannot change owners
    // and need not.
    if (geteuid() == 0) ok = fchown(fd, old.uid, old.gid) == 0;
    ok = ok && fchmod(fd, old.mode) == 0;
  } else if (ok) {
    ok = fchmod(fd, new_file_mode) == 0;
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return TReplaced::kFailed;
  }
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);  // the rename is done; a folder that cannot be synced does not undo it
    close(dir);
  }
  return TReplaced::kDone;
}

// Rewrites the file open on `fd` from `old` to `bytes` where it stands, for a folder that takes no
// temporary file. The file keeps its owner, mode and links as a matter of course; readers may see
// it half-written for the moment it takes.
bool RewriteInPlace(int fd, const std::string& bytes, const std::string& old) {
  // New text first, then cut what the old one had beyond it, so a write that stops part way loses
  // as little as it can.
  if (WriteAll(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
      fsync(fd) == 0) {
    return true;
  }
  // Whatever went wrong, the old text is put back as well as the file allows.
  if (WriteAll(fd, old) && ftruncate(fd, static_cast<off_t>(old.size())) == 0) fsync(fd);
  return false;
}

// Opens the existing file `old` was read from for writing, or gives -1. Asking the system to open
// it is the one test of this user's right to write it that knows ACLs, read-only mounts and
// immutable files, and lets root write anything as root may.
int OpenForWriting(const std::string& path, const TFileBody& old) {
  // Not blocking keeps a pipe swapped in for the file from holding the save up; the check below
  // then turns it away.
  const int fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  // Something else put in its place since it was read is not the file that was edited.
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_dev != old.device ||
      info.st_ino != old.inode) {
    close(fd);
    return -1;
  }
  return fd;
}

// Saves `bytes` as `path`, read before as `old`. A folder the user may write would let a rename
// replace even a file the user may not write, so the file's own right to be written decides first;
// then the atomic replace is used whenever the folder allows it.
bool SaveFile(const std::string& path, const std::string& bytes, const TFileBody& old,
              mode_t new_file_mode) {
  int writer = -1;
  if (old.state == TFileState::kRead) {
    writer = OpenForWriting(path, old);
    if (writer < 0) return false;
  }
  bool saved = false;
  switch (ReplaceFile(path, bytes, old, new_file_mode)) {
    case TReplaced::kDone:
      saved = true;
      break;
    case TReplaced::kFolderRefused:
      // A new file has nowhere to go; an existing one the user may write is saved in place.
      saved = writer >= 0 && RewriteInPlace(writer, bytes, old.bytes);
      break;
    case TReplaced::kFailed:
      break;
  }
  // The in-place rewrite has been synced, and after a rename the descriptor holds only the old
  // file, so closing it has nothing left to report.
  if (writer >= 0) close(writer);
  return saved;
}

// Names that would change the meaning of the line they stand on are refused.
bool SafeName(const std::string& name) {
  const std::string_view trimmed = Trim(name);
  return !trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#' &&
         name.find_first_of("\r\n\0=[]", 0, 6) == std::string::npos;
}

// The folder that holds `path`; trailing slashes of either do not count.
std::string FolderOf(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.find_last_not_of('/', path.rfind('/'));
  return slash == std::string::npos ? std::string("/") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes `folder` (mode 0700) when nothing at all stands there and the folder above it exists as
// a folder. False when the folder is missing and was not made; whatever already stands there
// (a folder, a link, a file) is left for the save itself to use or to fail on.
bool MakeMissingFolder(const std::string& folder) {
  struct stat info {};
  if (lstat(folder.c_str(), &info) == 0) return true;
  if (errno != ENOENT) return false;
  if (stat(FolderOf(folder).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// Makes what the first save of the user's settings file needs below the folder that holds the
// configuration folder: the configuration folder, then its zarmok folder, each 0700 as the
// desktops' rule for the user's own folders has it. A missing home (or a missing parent of
// XDG_CONFIG_HOME) is never made: it is a home the user does not have, or one not mounted yet.
// Any other file, or a configuration folder given relative to wherever the program started,
// gets no folder at all. A folder that cannot be made shows as the save's own refusal.
void MakeSettingsFolders(const std::string& file) {
  std::string config = UserConfigFolder();
  if (config.empty() || file != UserConfigFile(NameOf(file))) return;
  while (config.size() > 1 && config.back() == '/') config.pop_back();
  if (MakeMissingFolder(config)) MakeMissingFolder((config == "/" ? "" : config) + "/zarmok");
}

// The value of `key` as a GetString caller receives it from a file read as `body`.
std::string ValueOf(const TFileBody& body, const std::string& section, const std::string& key,
                    const std::string& default_text, size_t buffer_size) {
  std::string text = default_text;
  CSimpleIniA ini;
  if (body.state == TFileState::kRead && Parse(ini, body.bytes)) {
    if (const char* value = ini.GetValue(section.c_str(), key.c_str(), nullptr)) text = value;
  }
  text.resize(std::min(text.find('\0'), text.size()));
  if (buffer_size == 0) return {};
  if (text.size() > buffer_size - 1) text.resize(buffer_size - 1);
  return text;
}

// The user's settings file differs from any other in what its first save does: see
// TUserSettingsProfile.
enum class TFileKind { kAny, kUserSettings };

bool WriteValue(const std::string& file, const std::string& section, const std::string& key,
                const std::string& value, TFileKind kind) {
  if (file.empty() || !SafeName(section) || !SafeName(key) ||
      value.find_first_of("\r\n\0", 0, 3) != std::string::npos) {
    return false;
  }
  const std::optional<std::string> target = ResolveLinks(file);
  if (!target) return false;
  const TFileBody body = ReadFileBody(*target);
  // A file we cannot read whole is left alone rather than replaced by a stranger.
  if (body.state == TFileState::kUnusable) return false;
  const std::string edited = EditedBody(body.bytes, section, key, value);
  if (!OnlyKeyChanged(body.bytes, edited, section, key, value)) return false;
  const bool user_settings = kind == TFileKind::kUserSettings;
  if (user_settings && body.state == TFileState::kMissing) MakeSettingsFolders(file);
  return SaveFile(*target, edited, body, user_settings ? 0600 : NewFileMode());
}

}  // namespace

std::string TPosixProfile::GetString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& default_text,
                                     size_t buffer_size) {
  return ValueOf(ReadFileBody(file), section, key, default_text, buffer_size);
}

bool TPosixProfile::WriteString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& value) {
  return WriteValue(file, section, key, value, TFileKind::kAny);
}

std::string TUserSettingsProfile::GetString(const std::string& file, const std::string& section,
                                            const std::string& key, const std::string& default_text,
                                            size_t buffer_size) {
  const TFileBody body = file.starts_with('/') ? ReadFileBody(file) : TFileBody{};
  return ValueOf(body, section, key, default_text, buffer_size);
}

bool TUserSettingsProfile::WriteString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& value) {
  return file.starts_with('/') && WriteValue(file, section, key, value, TFileKind::kUserSettings);
}

}  // namespace zarmok
