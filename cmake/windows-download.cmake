# The Windows download: `cpack -G ZIP` in the MinGW Release build gives
# zarmok-<version>-win64.zip, holding zarmok.scr (which needs nothing beside it), README.txt (how
# to install, try, configure and remove the saver, and where its settings live) and LICENSE.txt
# (the programs' notice, and those of the runtime parts linked into zarmok.scr). The files are
# the install component "download", left out of a plain `cmake --install`, which puts the
# program alone in bin/.
set(ZARMOK_DOWNLOAD_DIR ${CMAKE_BINARY_DIR}/download-files)

# Windows' own line ends: these are read in Notepad.
file(CONFIGURE OUTPUT ${ZARMOK_DOWNLOAD_DIR}/README.txt NEWLINE_STYLE CRLF @ONLY CONTENT [[
Zarmok @PROJECT_VERSION@ for Windows (64-bit)

Zarmok is a screen saver: a small swarm of symmetric, colour-shifting bugs
drifts over a black screen, each dragging a fading trail. zarmok.scr is the
whole program; it needs nothing else on Windows 10 or 11.


Installing

1. Extract zarmok.scr from this ZIP into a folder of your choice, for
   instance C:\Users\<you>\Zarmok.
2. Right-click zarmok.scr and choose Install. Windows opens its screen saver
   settings with Zarmok chosen; press OK to keep it.

For every user of the computer, an administrator may put zarmok.scr in
C:\Windows\System32 instead, where it is listed among the system's own
screen savers.


Trying and configuring

- Right-click zarmok.scr and choose Test to run the saver now. A key, a click
  or a movement of the mouse ends it, as its settings say; Alt+F4, or another
  program coming to the front, ends it whatever they say. With "On resume,
  display logon screen" checked, Windows asks for your password.
- Right-click zarmok.scr and choose Configure, or press Settings in Windows'
  screen saver settings, to open its settings dialog.
- The small picture in the screen saver settings is the saver's preview.
- With several monitors, each monitor gets a swarm of its own.


Where the settings live

The settings dialog saves to zarmok.scr.ini, a plain text file named after the
program with ".ini" added. It lies beside zarmok.scr when you may write in
that folder, or when the file is there already. Where you may not (such as
C:\Windows\System32 or a folder under Program Files), it is your own
%APPDATA%\Zarmok\zarmok.scr.ini, whose folder the first save makes. A saver
renamed, say to bugs.scr, has its own file, bugs.scr.ini.


Removing

1. In Windows' screen saver settings (Settings, Personalization, Lock screen,
   Screen saver), choose another screen saver or (None) and press OK.
2. Delete zarmok.scr, and its settings: zarmok.scr.ini beside it, or the
   folder %APPDATA%\Zarmok.


Licence: see LICENSE.txt.
]])

# The programs' notice is the package's own (packaging/copyright); the runtime parts are those
# of MinGW-w64 (its C runtime start-up code and winpthreads), whose notices must travel with the
# program, and of GCC (libgcc, libstdc++), whose runtime library exception asks none.
file(READ ${CMAKE_SOURCE_DIR}/packaging/copyright zarmok_copyright)
string(REGEX MATCH "\nLicense: all-rights-reserved\n(( [^\n]*\n)+)" zarmok_notice
       "${zarmok_copyright}")
string(REGEX REPLACE "(^|\n) " "\\1" zarmok_notice "${CMAKE_MATCH_1}")
set(zarmok_runtime_copyright /usr/share/doc/mingw-w64-x86-64-dev/copyright)
if(EXISTS ${zarmok_runtime_copyright})
  file(READ ${zarmok_runtime_copyright} zarmok_runtime_notice)
else()
  set(zarmok_runtime_notice "See https://www.mingw-w64.org for the MinGW-w64 runtime's licences.\n")
endif()
# The texts put in keep their own line ends; Windows' are wanted throughout.
string(REPLACE "\n" "\r\n" zarmok_notice "${zarmok_notice}")
string(REPLACE "\n" "\r\n" zarmok_runtime_notice "${zarmok_runtime_notice}")
file(CONFIGURE OUTPUT ${ZARMOK_DOWNLOAD_DIR}/LICENSE.txt NEWLINE_STYLE CRLF @ONLY CONTENT [[
Zarmok @PROJECT_VERSION@ for Windows
Copyright 2026 Zarmok developers

@zarmok_notice@
zarmok.scr was built with GCC and MinGW-w64, and holds parts of their runtime
libraries. GCC's (libgcc, libstdc++) are under the GNU General Public License
with the GCC Runtime Library Exception, which asks nothing of a program built
with them. MinGW-w64's (its C runtime start-up code and winpthreads) are under
the licences below, reproduced from the MinGW-w64 runtime's copyright file.

----------------------------------------------------------------------------

@zarmok_runtime_notice@]])

install(TARGETS zarmok_scr RUNTIME DESTINATION . COMPONENT download EXCLUDE_FROM_ALL)
install(FILES ${ZARMOK_DOWNLOAD_DIR}/README.txt ${ZARMOK_DOWNLOAD_DIR}/LICENSE.txt DESTINATION .
        COMPONENT download EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zarmok)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME zarmok-${PROJECT_VERSION}-win64)
# The files at the top of the archive: Windows' "Extract All" makes the folder.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# The download component only: the build folder, the project, the component, where it goes.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};download;/")
set(CPACK_STRIP_FILES ON)
include(CPack)
