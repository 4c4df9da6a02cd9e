// The private-profile service of the Linux build. Reading goes through the INI reader of
// ini_text.h, so names match without regard to case, blanks around values are trimmed, CR LF line
// ends and a UTF-8 BOM are accepted. Writing never re-serialises the user's file: it edits the
// lines that hold the keys (or adds them), keeps every other byte, proves with the same reader
// that the edit changed exactly those keys, and replaces the file atomically (temporary file,
// fsync, rename). Only a user who may write the file itself saves it; where the folder will not
// take a temporary file, such a user's file is rewritten in place instead. Each access reads the
// file once and walks it once or twice without building a table of it, so a file of many
// megabytes is read and saved in a moment.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ini_text.h"
#include "profile_posix.h"
#include "user_config.h"

namespace zarmok::posix {
namespace {

// A settings file is a few hundred bytes; anything far beyond is not one we should rewrite.
constexpr off_t kLargestFile = 16 * 1024 * 1024;
constexpr int kLargestLinkChain = 40;

enum class TFileState { kMissing, kRead, kUnusable, kTooLarge };

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
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > kLargestFile) {
    body.state = TFileState::kTooLarge;
  } else if (S_ISREG(info.st_mode)) {
    body.mode = info.st_mode & 07777;
    body.uid = info.st_uid;
    body.gid = info.st_gid;
    body.device = info.st_dev;
    body.inode = info.st_ino;
    body.bytes.reserve(static_cast<size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
      const ssize_t got = read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) break;
      if (got == 0) {
        body.state = TFileState::kRead;
        break;
      }
      body.bytes.append(chunk, static_cast<size_t>(got));
      if (body.bytes.size() > static_cast<size_t>(kLargestFile)) {
        body.state = TFileState::kTooLarge;  // it grew while it was read
        break;
      }
    }
  }
  close(fd);
  if (body.state != TFileState::kRead) body.bytes.clear();
  return body;
}

// The file's own line end, so an edited CR LF file stays CR LF throughout.
std::string LineEnd(const std::string& bytes) {
  const size_t newline = bytes.find('\n');
  return newline != std::string::npos && newline > 0 && bytes[newline - 1] == '\r' ? "\r\n" : "\n";
}

// A name or value as the reader gives it back once written: blanks around it do not count.
std::string_view AsRead(std::string_view value) {
  const size_t first = value.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

// The index of the entry that names `key`, or -1.
int EntryFor(const std::vector<TProfileEntry>& entries, std::string_view key) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (IniNamesMatch(entries[i].key, key)) return static_cast<int>(i);
  }
  return -1;
}

// The text of `bytes` with each key of `entries` in `section` set to its value: the last line
// that holds the key gets the new value (the one the reader takes); keys that no line holds are
// added, in their order, after the section's last line, else with the section at the end.
std::string EditedBody(const std::string& bytes, const std::string& section,
                       const std::vector<TProfileEntry>& entries) {
  const std::string eol = LineEnd(bytes);
  std::vector<std::optional<TIniEntry>> key_lines(entries.size());
  std::optional<TIniEntry> last_of_section;
  TIniEntries reader(bytes);
  for (TIniEntry entry; reader.Next(entry);) {
    if (!IniNamesMatch(entry.section, section)) continue;
    last_of_section = entry;
    const int index = entry.header ? -1 : EntryFor(entries, entry.key);
    if (index >= 0) key_lines[static_cast<size_t>(index)] = entry;
  }

  struct TSplice {
    size_t begin;
    size_t end;
    std::string text;
  };
  std::vector<TSplice> splices;
  std::string added;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (key_lines[i]) {
      splices.push_back({key_lines[i]->after_equals, key_lines[i]->line_end, entries[i].value});
    } else {
      added += entries[i].key + "=" + entries[i].value + eol;
    }
  }
  if (!added.empty() && last_of_section) {
    // A last line without a line break gets one first.
    const bool unbroken = last_of_section->next == last_of_section->line_end;
    splices.push_back(
        {last_of_section->next, last_of_section->next, (unbroken ? eol : "") + added});
  } else if (!added.empty()) {
    const bool unbroken = !bytes.empty() && bytes.back() != '\n';
    splices.push_back(
        {bytes.size(), bytes.size(), (unbroken ? eol : "") + "[" + section + "]" + eol + added});
  }
  std::sort(splices.begin(), splices.end(),
            [](const TSplice& a, const TSplice& b) { return a.begin < b.begin; });
  std::string edited;
  edited.reserve(bytes.size() + added.size() + section.size() + 64);
  size_t copied = 0;
  for (const TSplice& splice : splices) {
    edited.append(bytes, copied, splice.begin - copied);
    edited += splice.text;
    copied = splice.end;
  }
  edited.append(bytes, copied);
  return edited;
}

// True when `after` reads exactly as `before` except that each key of `entries` in `section` now
// reads as its value. The two texts are walked side by side: every entry of `before` must come
// back unchanged and in order, and the only others allowed are the edit's own, a key of ours with
// its new value (in place of its old one, or added) and our section's header (added).
bool ReadsAsEdited(const std::string& before, const std::string& after, const std::string& section,
                   const std::vector<TProfileEntry>& entries) {
  TIniEntries old_reader(before);
  TIniEntries new_reader(after);
  TIniEntry old_entry;
  bool old_left = old_reader.Next(old_entry);
  std::vector<std::optional<std::string_view>> read_back(entries.size());
  for (TIniEntry entry; new_reader.Next(entry);) {
    const bool ours = IniNamesMatch(entry.section, section);
    const int index = ours && !entry.header ? EntryFor(entries, entry.key) : -1;
    if (index >= 0) read_back[static_cast<size_t>(index)] = entry.value;
    const auto same = [&entry](const TIniEntry& other) {
      return other.header == entry.header && other.section == entry.section &&
             other.key == entry.key;
    };
    if (old_left && same(old_entry) && old_entry.value == entry.value) {
      old_left = old_reader.Next(old_entry);
    } else if (index >= 0 && entry.value == AsRead(entries[static_cast<size_t>(index)].value)) {
      if (old_left && same(old_entry)) old_left = old_reader.Next(old_entry);  // a new value
    } else if (!(ours && entry.header)) {
      return false;
    }
  }
  if (old_left) return false;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!read_back[i] || *read_back[i] != AsRead(entries[i].value)) return false;
  }
  return true;
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
  const std::string_view trimmed = AsRead(name);
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

// The values of `keys` in `section` as a GetString caller receives each from a file read as
// `body`.
std::vector<std::string> ValuesOf(const TFileBody& body, const std::string& section,
                                  const std::vector<std::string>& keys,
                                  const std::string& default_text, size_t buffer_size) {
  std::vector<std::string> values(keys.size(), default_text);
  if (body.state == TFileState::kRead) {
    TIniEntries reader(body.bytes);
    for (TIniEntry entry; reader.Next(entry);) {
      if (entry.header || !IniNamesMatch(entry.section, section)) continue;
      for (size_t i = 0; i < keys.size(); ++i) {
        if (IniNamesMatch(entry.key, keys[i])) values[i] = entry.value;
      }
    }
  }
  for (std::string& text : values) {
    text.resize(std::min(text.find('\0'), text.size()));
    if (text.size() + 1 > buffer_size) text.resize(buffer_size == 0 ? 0 : buffer_size - 1);
  }
  return values;
}

// The user's settings file differs from any other in what its first save does: see
// TUserSettingsProfile.
enum class TFileKind { kAny, kUserSettings };

TProfileWrite WriteValues(const std::string& file, const std::string& section,
                          const std::vector<TProfileEntry>& wanted, TFileKind kind) {
  if (file.empty() || !SafeName(section)) return TProfileWrite::Refused;
  // Two writes of one key leave the later value, in the place of the first.
  std::vector<TProfileEntry> entries;
  for (const TProfileEntry& entry : wanted) {
    if (!SafeName(entry.key) || entry.value.find_first_of("\r\n\0", 0, 3) != std::string::npos) {
      return TProfileWrite::Refused;
    }
    const int earlier = EntryFor(entries, entry.key);
    if (earlier >= 0) {
      entries[static_cast<size_t>(earlier)].value = entry.value;
    } else {
      entries.push_back(entry);
    }
  }
  const std::optional<std::string> target = ResolveLinks(file);
  if (!target) return TProfileWrite::Refused;
  const TFileBody body = ReadFileBody(*target);
  switch (body.state) {
    case TFileState::kUnusable:
      // A file we cannot read whole is left alone rather than replaced by a stranger.
      return TProfileWrite::Refused;
    case TFileState::kTooLarge:
      return TProfileWrite::TooLarge;
    case TFileState::kMissing:
    case TFileState::kRead:
      break;
  }
  // No text holds a NUL, and a reader stops at one: whatever this is, it is no INI file.
  if (body.bytes.find('\0') != std::string::npos) return TProfileWrite::NotProfile;
  const std::string edited = EditedBody(body.bytes, section, entries);
  if (!ReadsAsEdited(body.bytes, edited, section, entries)) return TProfileWrite::NotProfile;
  const bool user_settings = kind == TFileKind::kUserSettings;
  if (user_settings && body.state == TFileState::kMissing) MakeSettingsFolders(file);
  return SaveFile(*target, edited, body, user_settings ? 0600 : NewFileMode())
             ? TProfileWrite::Written
             : TProfileWrite::Refused;
}

}  // namespace

std::string TBatchProfile::GetString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& default_text,
                                     size_t buffer_size) {
  return GetStrings(file, section, {key}, default_text, buffer_size).front();
}

bool TBatchProfile::WriteString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& value) {
  return WriteStrings(file, section, {{key, value}}) == TProfileWrite::Written;
}

std::vector<std::string> TPosixProfile::GetStrings(const std::string& file,
                                                   const std::string& section,
                                                   const std::vector<std::string>& keys,
                                                   const std::string& default_text,
                                                   size_t buffer_size) {
  return ValuesOf(ReadFileBody(file), section, keys, default_text, buffer_size);
}

TProfileWrite TPosixProfile::WriteStrings(const std::string& file, const std::string& section,
                                          const std::vector<TProfileEntry>& entries) {
  return WriteValues(file, section, entries, TFileKind::kAny);
}

std::vector<std::string> TUserSettingsProfile::GetStrings(const std::string& file,
                                                          const std::string& section,
                                                          const std::vector<std::string>& keys,
                                                          const std::string& default_text,
                                                          size_t buffer_size) {
  const TFileBody body = file.starts_with('/') ? ReadFileBody(file) : TFileBody{};
  return ValuesOf(body, section, keys, default_text, buffer_size);
}

TProfileWrite TUserSettingsProfile::WriteStrings(const std::string& file,
                                                 const std::string& section,
                                                 const std::vector<TProfileEntry>& entries) {
  if (!file.starts_with('/')) return TProfileWrite::Refused;
  return WriteValues(file, section, entries, TFileKind::kUserSettings);
}

}  // namespace zarmok::posix
