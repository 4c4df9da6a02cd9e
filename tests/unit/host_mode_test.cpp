// The first argument's mode, the close rule it implies, and the preview handle's format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"
#include "host.h"

namespace zarmok {
namespace {

struct TModeCase {
  const char* argument;
  TSaverMode mode;
};

TEST(HostMode, FirstArgumentChoosesTheMode) {
  const TModeCase cases[] = {
      {"/c", TSaverMode::Settings},
      {"-c", TSaverMode::Settings},
      {"/s", TSaverMode::FullScreen},
      {"-s", TSaverMode::FullScreen},
      {"/p", TSaverMode::Preview},
      {"-p", TSaverMode::Preview},
      {"/a", TSaverMode::ChangePassword},
      {"", TSaverMode::FullScreen},
      // Case-sensitive and exact: everything else runs full-screen.
      {"/S", TSaverMode::FullScreen},
      {"/C", TSaverMode::FullScreen},
      {"/P", TSaverMode::FullScreen},
      {"-a", TSaverMode::FullScreen},
      {"/A", TSaverMode::FullScreen},
      {"/c1234", TSaverMode::FullScreen},
      {"/s:1", TSaverMode::FullScreen},
      {"/p:1", TSaverMode::Preview},
      {"-p:1", TSaverMode::Preview},
      {"/P:1", TSaverMode::FullScreen},
      {"/a:1", TSaverMode::FullScreen},
      {"c", TSaverMode::FullScreen},
      {" /c", TSaverMode::FullScreen},
      {"/c ", TSaverMode::FullScreen},
      {"/ c", TSaverMode::FullScreen},
      {"--c", TSaverMode::FullScreen},
      // The settings request of hosts that append the owner with a colon.
      {"/c:1234", TSaverMode::Settings},
      {"-c:1234", TSaverMode::Settings},
      {"/c:", TSaverMode::Settings},
      {"/C:1234", TSaverMode::FullScreen},
      {"/c;1234", TSaverMode::FullScreen},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseMode(c.argument), c.mode) << "argument '" << c.argument << "'";
  }
}

TEST(HostMode, TheWholeCommandLineChoosesWithTheHostsNoArgumentRule) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(ChooseStartUpMode(Args{}, false), TSaverMode::FullScreen);
  EXPECT_EQ(ChooseStartUpMode(Args{}, true), TSaverMode::Settings);
  EXPECT_EQ(ChooseStartUpMode(Args{""}, true), TSaverMode::FullScreen);
  EXPECT_EQ(ChooseStartUpMode(Args{"/p", "12"}, true), TSaverMode::Preview);
  EXPECT_EQ(PreviewHandleText(Args{"/p", "12", "13"}), "12");
  EXPECT_EQ(PreviewHandleText(Args{"/p:$C", "13"}), "$C");
  EXPECT_EQ(PreviewHandleText(Args{"-p:"}), "");
  EXPECT_EQ(PreviewHandleText(Args{"/p"}), "");
  EXPECT_EQ(ChooseStartUpMode(Args{"/a"}, true), TSaverMode::ChangePassword);
  EXPECT_EQ(ChooseStartUpMode(Args{"/c:77"}, false), TSaverMode::Settings);
}

TEST(HostMode, PasswordIsAskedOnlyForFullScreenProper) {
  using Args = std::vector<std::string>;
  EXPECT_TRUE(CloseAsksPassword(Args{}));
  EXPECT_TRUE(CloseAsksPassword(Args{"/s"}));
  EXPECT_TRUE(CloseAsksPassword(Args{"-s"}));
  EXPECT_TRUE(CloseAsksPassword(Args{"/s", "extra", "words"}));
  // An empty first argument is an argument: the close is allowed at once.
  EXPECT_FALSE(CloseAsksPassword(Args{""}));
  EXPECT_FALSE(CloseAsksPassword(Args{"/S"}));
  EXPECT_FALSE(CloseAsksPassword(Args{"-a"}));
  EXPECT_FALSE(CloseAsksPassword(Args{"/p", "123"}));
  EXPECT_FALSE(CloseAsksPassword(Args{"/s:1"}));
  EXPECT_FALSE(CloseAsksPassword(Args{"/c:1"}));
}

struct THandleCase {
  const char* text;
  uint32_t handle;
};

TEST(HostPreviewHandle, AcceptedTexts) {
  const THandleCase cases[] = {
      {"12345", 12345u},
      {"$3039", 12345u},
      {"   12345", 12345u},
      {"  $3039", 12345u},
      {"+7", 7u},
      {"0", 0u},
      {"-1", 0xFFFFFFFFu},
      {"2147483647", 0x7FFFFFFFu},
      {"-2147483648", 0x80000000u},
      {"$FFFFFFFF", 0xFFFFFFFFu},
      {"$ffffffff", 0xFFFFFFFFu},
      {"$aBc", 0xABCu},
      {"$0000000000001", 1u},
      {"000000000000000000042", 42u},
      {"-0", 0u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToPreviewHandle(c.text), c.handle) << "text '" << c.text << "'";
  }
}

TEST(HostPreviewHandle, RejectedTextsNameTheArgument) {
  const char* cases[] = {
      "",
      " ",
      "   ",
      "12345 ",
      "12 345",
      "-$3039",
      "+$3039",
      "$",
      "$G",
      "$100000000",
      "2147483648",
      "-2147483649",
      "99999999999999999999",
      "0x3039",
      "1.0",
      "+",
      "-",
      "--1",
      "abc",
      "\t1",
      "1\n",
      "$ 1",
      "1e3",
  };
  for (const char* text : cases) {
    try {
      StrToPreviewHandle(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EZarmokError& error) {
      EXPECT_EQ(std::string(error.what()), std::string("'") + text + "' は整数ではありません");
    }
  }
}

TEST(HostLibraryPath, OneSeparatorBetweenFolderAndFile) {
  EXPECT_EQ(JoinLibraryPath("/usr/lib/zarmok/host", "PASSWORD.CPL", '/'),
            "/usr/lib/zarmok/host/PASSWORD.CPL");
  EXPECT_EQ(JoinLibraryPath("/usr/lib/zarmok/host/", "PASSWORD.CPL", '/'),
            "/usr/lib/zarmok/host/PASSWORD.CPL");
  EXPECT_EQ(JoinLibraryPath("/", "MPR.DLL", '/'), "/MPR.DLL");
  EXPECT_EQ(JoinLibraryPath("", "MPR.DLL", '/'), "MPR.DLL");
  EXPECT_EQ(JoinLibraryPath("C:\\WINDOWS\\system32", "MPR.DLL", '\\'),
            "C:\\WINDOWS\\system32\\MPR.DLL");
  EXPECT_EQ(JoinLibraryPath("C:\\", "MPR.DLL", '\\'), "C:\\MPR.DLL");
  // Only the host's own separator counts as one.
  EXPECT_EQ(JoinLibraryPath("C:/", "MPR.DLL", '\\'), "C:/\\MPR.DLL");
}

}  // namespace
}  // namespace zarmok
