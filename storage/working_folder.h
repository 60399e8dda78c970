// The user's working folder, made ready on a start: the designer keeps its
// projects in the Data folder of the folder it runs in. On Windows the
// program does this itself (Documents\Voltaris); on Linux the launcher
// script of the package and `make run` do the same in ~/Voltaris.
#pragma once

#include <filesystem>
#include <string>

namespace voltaris {

// Makes `home` and its Data folder when they are missing, copies the files
// of `examples` into Data while Data holds nothing (so a user's projects are
// never overwritten, nor a deleted example brought back), and copies the
// supply palette `palette` beside Data when there is none. Returns what went
// wrong, naming the folder or file, or "" when the folder is ready. A
// missing examples folder or palette is not an error: the designer starts
// without them.
std::string PrepareWorkingFolder(const std::filesystem::path& home, const std::filesystem::path& examples,
                                 const std::filesystem::path& palette);

}  // namespace voltaris
