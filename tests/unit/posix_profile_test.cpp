// The Linux private-profile service: how it reads what people write by hand, and how it
// replaces a file without ever tearing or losing it.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "posix/profile_posix.h"
#include "posix_test_support.h"
#include "settings_file_support.h"

namespace zarmok::testing {

namespace {

using namespace posix;

// The temporary file beside an INI whose name is this long would need a name longer than a
// folder entry may have, so the replace fails whoever runs it, root included.
class TLongNamedIni : public TUnwritableIni {
 public:
  TLongNamedIni(const TScratchFolder& folder, const std::string& body)
      : path_(folder.File(std::string(246, 'z') + ".ini")) {
    WriteBytes(path_, body);
  }
  const std::string& Path() const override { return path_; }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<TUnwritableIni> MakeUnwritableIni(const TScratchFolder& folder,
                                                  const std::string& body) {
  return std::make_unique<TLongNamedIni>(folder, body);
}

namespace {

// The service holds nothing between calls, so each call may have a service of its own.
posix::TPosixProfile Profile() {
  return {};
}

struct TFileFacts {
  mode_t mode = 0;
  ino_t inode = 0;
};

TFileFacts FactsOf(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return {};
  return {info.st_mode & 07777, info.st_ino};
}

struct TReadCase {
  const char* body;
  const char* section;
  const char* key;
  size_t buffer;
  const char* expected;
};

TEST(PosixProfile, ReadsValuesAsTheUsualConventionsHaveThem) {
  const TReadCase cases[] = {
      {"[Zarmok]\nMaxBugs=7\n", "zarmok", "MAXBUGS", 1024, "7"},
      {"[ Zarmok ]\n  MaxBugs  =   7 \t\n", "Zarmok", "MaxBugs", 1024, "7"},
      {"[Zarmok]\r\nMaxBugs=7\r\nSpeed=3\r\n", "Zarmok", "MaxBugs", 1024, "7"},
      {"\xEF\xBB\xBF[Zarmok]\r\nSpeed=3\r\n", "Zarmok", "Speed", 1024, "3"},
      {"[Zarmok]\n; MaxBugs=9\nMaxBugs=7\n", "Zarmok", "MaxBugs", 1024, "7"},
      {"[Zarmok]\nMaxBugs=\n", "Zarmok", "MaxBugs", 1024, ""},
      {"[Zarmok]\nMaxBugs=7", "Zarmok", "MaxBugs", 1024, "7"},
      {"[Other]\nMaxBugs=7\n", "Zarmok", "MaxBugs", 1024, "default"},
      {"[Zarmok]\nSpeed=7\n", "Zarmok", "MaxBugs", 1024, "default"},
      {"[Zarmok]\nMaxBugs=123456\n", "Zarmok", "MaxBugs", 4, "123"},
      {"[Zarmok]\nMaxBugs=123456\n", "Zarmok", "MaxBugs", 1, ""},
      {"[Zarmok]\nMaxBugs=123456\n", "Zarmok", "MaxBugs", 0, ""},
      {"[Zarmok]\nSpeed=7\n", "Zarmok", "MaxBugs", 4, "def"},
      {"[Zarmok]\nMaxBugs=\xE3\x81\x82\xFF\n", "Zarmok", "MaxBugs", 1024, "\xE3\x81\x82\xFF"},
  };
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  for (const TReadCase& c : cases) {
    WriteBytes(ini, c.body);
    EXPECT_EQ(Profile().GetString(ini, c.section, c.key, "default", c.buffer), c.expected)
        << c.body;
  }
  EXPECT_EQ(Profile().GetString(folder.File("missing.ini"), "Zarmok", "MaxBugs", "d", 1024), "d");
  // A folder where the file should be reads as a missing file.
  EXPECT_EQ(Profile().GetString(folder.Path().string(), "Zarmok", "MaxBugs", "d", 1024), "d");
}

TEST(PosixProfile, ReadStopsAtAnEmbeddedNul) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  WriteBytes(ini, std::string("[Zarmok]\nMaxBugs=12\0"
                              "34\n",
                              22));
  EXPECT_EQ(Profile().GetString(ini, "Zarmok", "MaxBugs", "", 1024), "12");
}

// The reader gives what the INI library gives where the conventions are at their strangest: a
// header named on a later line, or never closed (it takes the line it reaches, and ends the
// section before it), "]" alone, CR-only line ends, keys before any header, an empty header.
TEST(PosixProfile, ReadsEveryTextAsTheIniLibraryDoes) {
  const char* const texts[] = {
      "[\n  Zarmok ]\nMaxBugs=7\n",
      "[Zarmok]\nMaxBugs=1\n[\nMaxBugs=2\nSpeed=3\n",
      "[Zarmok]\n[Zarmok\nMaxBugs=1\n]\nSpeed=2\n",
      "MaxBugs=5\n[Zarmok]\nSpeed=2",
      "[Zarmok]\r MaxBugs=7\r\r  ; Speed=4\r Speed = 3 \t",
      "[Zarmok]\n=9\nMaxBugs\nMaxBugs=8\n\t#MaxBugs=1\n[]\nSpeed=1\n[ \t]\nA=2\n",
      "\xEF\xBB\xBF; c\r\n[Zarmok]\r\nmaxbugs=6\r\nMAXBUGS=4\n\r[Other]\nA=1\n[Zarmok]]\nSpeed=9",
  };
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  for (const char* text : texts) {
    WriteBytes(ini, text);
    CSimpleIniA library;
    library.SetQuotes(false);
    library.SetMultiLine(false);
    ASSERT_GE(library.LoadData(std::string(text)), 0);
    for (const auto& [section, key] : {std::pair{"Zarmok", "MaxBugs"},
                                       {"Zarmok", "Speed"},
                                       {"", "MaxBugs"},
                                       {"", "A"},
                                       {"Other", "A"}}) {
      EXPECT_EQ(Profile().GetString(ini, section, key, "none", 1024),
                library.GetValue(section, key, "none"))
          << "[" << section << "] " << key << " of " << text;
    }
  }
}

struct TWriteCase {
  const char* before;
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

TEST(PosixProfile, WriteChangesOnlyTheOneLineOrAddsOne) {
  const TWriteCase cases[] = {
      {"", "Zarmok", "MaxBugs", "7", "[Zarmok]\nMaxBugs=7\n"},
      {"[Zarmok]\nMaxBugs=3\n", "zarmok", "maxbugs", "7", "[Zarmok]\nMaxBugs=7\n"},
      {"[Zarmok]\r\n MaxBugs = 3 ; x\r\nSpeed=1\r\n", "Zarmok", "MaxBugs", "7",
       "[Zarmok]\r\n MaxBugs =7\r\nSpeed=1\r\n"},
      {"\xEF\xBB\xBF[Zarmok]\r\nSpeed=1\r\n", "Zarmok", "MaxBugs", "7",
       "\xEF\xBB\xBF[Zarmok]\r\nSpeed=1\r\nMaxBugs=7\r\n"},
      {"; c\n[Zarmok]\nSpeed=1\n\n; about Other\n[Other]\nA=1\n", "Zarmok", "MaxBugs", "7",
       "; c\n[Zarmok]\nSpeed=1\nMaxBugs=7\n\n; about Other\n[Other]\nA=1\n"},
      {"[Zarmok]\nSpeed=1", "Zarmok", "MaxBugs", "7", "[Zarmok]\nSpeed=1\nMaxBugs=7\n"},
      {"[Other]\nA=1", "Zarmok", "MaxBugs", "7", "[Other]\nA=1\n[Zarmok]\nMaxBugs=7\n"},
      {"[Zarmok]\n", "Zarmok", "MaxBugs", "-5", "[Zarmok]\nMaxBugs=-5\n"},
      {"[Zarmok]\nMaxBugs=1\n; trailing note\n", "Zarmok", "MaxBugs", "2",
       "[Zarmok]\nMaxBugs=2\n; trailing note\n"},
      // A key given twice reads as its last line, so that is the line that changes; a section
      // given twice is one section, and a new key joins its last part.
      {"[Zarmok]\nMaxBugs=1\n[Other]\nA=1\n[zarmok]\nMaxBugs=3\nB=4\n", "Zarmok", "MaxBugs", "7",
       "[Zarmok]\nMaxBugs=1\n[Other]\nA=1\n[zarmok]\nMaxBugs=7\nB=4\n"},
      {"[Zarmok]\nMaxBugs=1\n[Other]\nA=1\n[zarmok]\nB=4\n", "Zarmok", "Speed", "7",
       "[Zarmok]\nMaxBugs=1\n[Other]\nA=1\n[zarmok]\nB=4\nSpeed=7\n"},
      {"[Zarmok]\nA=1\ngarbage line\n[Other\nB=2\n", "Zarmok", "A", "5",
       "[Zarmok]\nA=5\ngarbage line\n[Other\nB=2\n"},
  };
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  for (const TWriteCase& c : cases) {
    WriteBytes(ini, c.before);
    EXPECT_TRUE(Profile().WriteString(ini, c.section, c.key, c.value)) << c.before;
    EXPECT_EQ(ReadBytes(ini), c.after) << c.before;
    EXPECT_EQ(Profile().GetString(ini, c.section, c.key, "", 1024), c.value) << c.before;
  }
}

TEST(PosixProfile, RefusedWritesLeaveTheFileAsItWas) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  const std::string body = "[Zarmok]\nMaxBugs=3\n";
  struct TRefusal {
    const char* section;
    const char* key;
    std::string value;
  };
  const TRefusal refusals[] = {
      {"Zarmok", "MaxBugs", "7\n[Evil]"},
      {"Zarmok", "MaxBugs", std::string("7\0", 2)},
      {"Zarmok", "Max=Bugs", "7"},
      {"Zar]mok", "MaxBugs", "7"},
      {"Zarmok", "; MaxBugs", "7"},
      {"", "MaxBugs", "7"},
      {"Zarmok", "  ", "7"},
  };
  for (const TRefusal& r : refusals) {
    WriteBytes(ini, body);
    EXPECT_FALSE(Profile().WriteString(ini, r.section, r.key, r.value)) << r.key;
    EXPECT_EQ(ReadBytes(ini), body);
  }
  // A folder component that is a plain file, and a path that is itself a folder.
  EXPECT_FALSE(Profile().WriteString(ini + "/x.ini", "Zarmok", "MaxBugs", "7"));
  EXPECT_FALSE(Profile().WriteString(folder.Path().string(), "Zarmok", "MaxBugs", "7"));
  EXPECT_EQ(ReadBytes(ini), body);
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path()));
}

// A write that would not read back as written is refused, not reported as done.
TEST(PosixProfile, WriteThatWouldNotReadBackIsRefused) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  const std::string body("[Zarmok]\n\0\nMaxBugs=1\n", 20);
  WriteBytes(ini, body);
  EXPECT_FALSE(Profile().WriteString(ini, "Zarmok", "MaxBugs", "7"));
  EXPECT_EQ(ReadBytes(ini), body);
}

// Keys without lines are added in their order after the section's last line; a key named
// twice keeps its last value.
TEST(PosixProfile, WritesSeveralKeysInOneEdit) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  WriteBytes(ini, "[Zarmok]\nSpeed=1\n[Other]\nA=1\n");
  EXPECT_EQ(
      Profile().WriteStrings(ini, "Zarmok", {{"B", "1"}, {"speed", "2"}, {"b", "3"}, {"C", "4"}}),
      TProfileWrite::Written);
  EXPECT_EQ(ReadBytes(ini), "[Zarmok]\nSpeed=2\nB=3\nC=4\n[Other]\nA=1\n");
}

// No INI file (binary data, text whose edit would not read back as written) and a file far too
// large for one are left byte for byte, and the write says which; reading gives the defaults.
TEST(PosixProfile, FilesThatAreNoSettingsFilesAreLeftAndSaidSo) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  const std::string not_ini[] = {
      std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR[Zarmok]\nMaxBugs=3\n", 30),
      // The open header at the end would take the added section's header for its name.
      "[Other]\nA=1\n[  ",
  };
  for (const std::string& body : not_ini) {
    WriteBytes(ini, body);
    EXPECT_EQ(Profile().WriteStrings(ini, "Zarmok", {{"MaxBugs", "7"}}), TProfileWrite::NotProfile);
    EXPECT_EQ(ReadBytes(ini), body);
  }
  WriteBytes(ini, "[Zarmok]\nMaxBugs=7\n");
  ASSERT_EQ(truncate(ini.c_str(), 16 * 1024 * 1024 + 1), 0);
  EXPECT_EQ(Profile().WriteStrings(ini, "Zarmok", {{"MaxBugs", "9"}}), TProfileWrite::TooLarge);
  EXPECT_EQ(std::filesystem::file_size(ini), 16u * 1024 * 1024 + 1);
  EXPECT_EQ(Profile().GetString(ini, "Zarmok", "MaxBugs", "d", 1024), "d");
}

TEST(PosixProfile, FailedReplaceLeavesNoTemporaryFileBehind) {
  TScratchFolder folder;
  const auto unwritable = MakeUnwritableIni(folder, "[Zarmok]\n");
  EXPECT_FALSE(Profile().WriteString(unwritable->Path(), "Zarmok", "MaxBugs", "7"));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(PosixProfile, WriteKeepsPermissionBits) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  WriteBytes(ini, "[Zarmok]\n");
  ASSERT_EQ(chmod(ini.c_str(), 0640), 0);
  ASSERT_TRUE(Profile().WriteString(ini, "Zarmok", "MaxBugs", "7"));
  struct stat info {};
  ASSERT_EQ(stat(ini.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(PosixProfile, WriteGoesThroughASymbolicLinkToItsTarget) {
  TScratchFolder folder;
  std::filesystem::create_directories(folder.Path() / "real");
  const std::string target = folder.File("real/zarmok.ini");
  const std::string link = folder.File("zarmok.ini");
  WriteBytes(target, "[Zarmok]\nMaxBugs=3\n");
  std::filesystem::create_symlink("real/zarmok.ini", link);

  ASSERT_TRUE(Profile().WriteString(link, "Zarmok", "MaxBugs", "7"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), "[Zarmok]\nMaxBugs=7\n");

  // A link whose target does not exist yet gets the target made.
  const std::string dangling = folder.File("dangling.ini");
  std::filesystem::create_symlink("real/new.ini", dangling);
  ASSERT_TRUE(Profile().WriteString(dangling, "Zarmok", "Speed", "1"));
  EXPECT_TRUE(std::filesystem::is_symlink(dangling));
  EXPECT_EQ(ReadBytes(folder.File("real/new.ini")), "[Zarmok]\nSpeed=1\n");
}

TEST(PosixProfile, UnreadableFileIsNotReplaced) {
  TReachableFolder folder;
  ASSERT_TRUE(folder.Made());
  const std::string ini = folder.File("zarmok.ini");
  WriteBytes(ini, "[Zarmok]\nMaxBugs=3\n");
  ASSERT_EQ(chmod(ini.c_str(), 0200), 0);
  const std::optional<bool> saved = AsOrdinaryUser(
      {folder.Path(), ini}, [&] { return Profile().WriteString(ini, "Zarmok", "MaxBugs", "7"); });
  ASSERT_TRUE(saved.has_value());
  EXPECT_FALSE(*saved);
  ASSERT_EQ(chmod(ini.c_str(), 0600), 0);
  EXPECT_EQ(ReadBytes(ini), "[Zarmok]\nMaxBugs=3\n");
}

// A folder the user may write lets a rename replace any file in it, but a file the user may not
// write is not theirs to save, whether or not the folder would take a new one.
TEST(PosixProfile, OrdinaryUserCannotSaveAFileTheyMayNotWrite) {
  const std::string body = "[Zarmok]\r\nMaxBugs=3\r\n; note\r\n";
  for (const mode_t folder_mode : {0755, 0555}) {
    TReachableFolder folder;
    ASSERT_TRUE(folder.Made());
    const std::string ini = folder.File("zarmok.ini");
    WriteBytes(ini, body);
    ASSERT_EQ(chmod(ini.c_str(), 0444), 0);
    ASSERT_EQ(chmod(folder.Path().c_str(), folder_mode), 0);
    const std::optional<bool> saved = AsOrdinaryUser(
        {folder.Path(), ini}, [&] { return Profile().WriteString(ini, "Zarmok", "MaxBugs", "7"); });
    ASSERT_TRUE(saved.has_value()) << std::oct << folder_mode;
    EXPECT_FALSE(*saved) << std::oct << folder_mode;
    EXPECT_EQ(ReadBytes(ini), body) << std::oct << folder_mode;
    EXPECT_EQ(FactsOf(ini).mode, 0444u) << std::oct << folder_mode;
    EXPECT_EQ(folder.Entries(), 1) << std::oct << folder_mode;
  }

  // A file that is not there yet needs a folder that takes it.
  TReachableFolder folder;
  ASSERT_TRUE(folder.Made());
  ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);
  const std::string ini = folder.File("zarmok.ini");
  const std::optional<bool> saved = AsOrdinaryUser(
      {folder.Path()}, [&] { return Profile().WriteString(ini, "Zarmok", "MaxBugs", "7"); });
  ASSERT_TRUE(saved.has_value());
  EXPECT_FALSE(*saved);
  EXPECT_EQ(folder.Entries(), 0);
}

// A file the user may write is saved even where no temporary file may be made beside it, rewritten
// in place: longer and shorter text alike, every other byte kept.
TEST(PosixProfile, OrdinaryUserSavesInPlaceWhereTheFolderIsReadOnly) {
  const TWriteCase cases[] = {
      {"; kept\r\n[Zarmok]\r\nMaxBugs=12345\r\nSpeed=3\r\n", "Zarmok", "MaxBugs", "7",
       "; kept\r\n[Zarmok]\r\nMaxBugs=7\r\nSpeed=3\r\n"},
      {"[Zarmok]\nMaxBugs=3\n[Other]\nA=1\n", "Zarmok", "MaxBugs", "123456789",
       "[Zarmok]\nMaxBugs=123456789\n[Other]\nA=1\n"},
      {"[Other]\nA=1", "Zarmok", "MaxBugs", "7", "[Other]\nA=1\n[Zarmok]\nMaxBugs=7\n"},
  };
  for (const TWriteCase& c : cases) {
    TReachableFolder folder;
    ASSERT_TRUE(folder.Made());
    const std::string ini = folder.File("zarmok.ini");
    WriteBytes(ini, c.before);
    ASSERT_EQ(chmod(ini.c_str(), 0640), 0);
    ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);
    const TFileFacts before = FactsOf(ini);
    const std::optional<bool> saved = AsOrdinaryUser({folder.Path(), ini}, [&] {
      return Profile().WriteString(ini, c.section, c.key, c.value);
    });
    ASSERT_TRUE(saved.has_value()) << c.before;
    EXPECT_TRUE(*saved) << c.before;
    EXPECT_EQ(ReadBytes(ini), c.after) << c.before;
    EXPECT_EQ(FactsOf(ini).mode, 0640u) << c.before;
    EXPECT_EQ(FactsOf(ini).inode, before.inode) << c.before;
    EXPECT_EQ(folder.Entries(), 1) << c.before;
  }

  // Through a symbolic link, the target in the read-only folder is the file rewritten.
  TReachableFolder folder;
  ASSERT_TRUE(folder.Made());
  const std::string real = folder.File("real");
  const std::string target = folder.File("real/zarmok.ini");
  const std::string link = folder.File("zarmok.ini");
  ASSERT_EQ(mkdir(real.c_str(), 0755), 0);
  WriteBytes(target, "[Zarmok]\nMaxBugs=3\n");
  ASSERT_EQ(chmod(real.c_str(), 0555), 0);
  ASSERT_EQ(symlink("real/zarmok.ini", link.c_str()), 0);
  const std::optional<bool> saved = AsOrdinaryUser({folder.Path(), real, target}, [&] {
    return Profile().WriteString(link, "Zarmok", "MaxBugs", "7");
  });
  ASSERT_TRUE(saved.has_value());
  EXPECT_TRUE(*saved);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), "[Zarmok]\nMaxBugs=7\n");
}

// Root may write any file, so the right to write is asked of the system, not read off the bits.
TEST(PosixProfile, RootSavesAFileWhoseModeSaysReadOnly) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may write a file of mode 0444";
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  WriteBytes(ini, "[Zarmok]\nMaxBugs=3\n");
  ASSERT_EQ(chmod(ini.c_str(), 0444), 0);
  EXPECT_TRUE(Profile().WriteString(ini, "Zarmok", "MaxBugs", "7"));
  EXPECT_EQ(ReadBytes(ini), "[Zarmok]\nMaxBugs=7\n");
  EXPECT_EQ(FactsOf(ini).mode, 0444u);
}

}  // namespace
}  // namespace zarmok::testing
