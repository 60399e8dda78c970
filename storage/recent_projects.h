// The File menu's "Recent Projects": the last projects opened or saved, the
// latest first, each with the reason it cannot be opened now (its folder or
// a file gone), so that the menu can show it greyed out.
#pragma once

#include <string>
#include <vector>

#include "storage/settings_store.h"

namespace voltaris {

struct TRecentChoice {
  TRecentProject Project;
  std::string Problem;  // empty when the project can be opened
};

// `list` with `project` first and no other entry for the same file of the
// same folder, at most RecentProjectsMax long.
std::vector<TRecentProject> WithRecent(std::vector<TRecentProject> list, const TRecentProject& project);
// Why `project` cannot be opened, empty when both its files are there.
std::string RecentProjectProblem(const TRecentProject& project);
// The folder as the list keeps it: absolute and without "." or "..".
std::string RecentFolder(const std::string& dataDir);

}  // namespace voltaris
