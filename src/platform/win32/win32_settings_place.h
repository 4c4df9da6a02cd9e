// Where the Windows build keeps its settings file. Screen savers have always kept theirs beside
// the program, named after it; but a saver is often installed where an ordinary user may not
// write (the system folder, Program Files), and there the file could never be saved. The user's
// own roaming application-data folder then holds it.
#pragma once

#include <string>

namespace zarmok::win32 {

// The folder of the user's settings: %APPDATA%\Zarmok ("" when the system names no
// application-data folder for the user). The first save into it makes it.
std::string UserSettingsFolder();

// Whether a file can be made in `folder`: tried by making one and removing it again, since
// neither the path nor the folder's attributes tell what the user's rights allow.
bool FolderWritable(const std::string& folder);

// The settings file of the program at `program_path` (the long path): the file beside it
// (the program's path with ".ini" appended) when that file exists or its folder can be written,
// else <UserSettingsFolder()>\<program file name>.ini.
std::string PlacedSettingsFile(const std::string& program_path);

}  // namespace zarmok::win32
