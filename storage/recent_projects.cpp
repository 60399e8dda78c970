#include "storage/recent_projects.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "catalogue/plain_file.h"
#include "project_io/file_index.h"
#include "project_io/project_files.h"

namespace voltaris {

namespace fs = std::filesystem;

std::vector<TRecentProject> WithRecent(std::vector<TRecentProject> list, const TRecentProject& project) {
  std::erase_if(list, [&](const TRecentProject& entry) {
    return entry.FileName == project.FileName && entry.Folder == project.Folder;
  });
  list.insert(list.begin(), project);
  if (list.size() > RecentProjectsMax) list.resize(RecentProjectsMax);
  return list;
}

std::string RecentProjectProblem(const TRecentProject& project) {
  if (!IsValidFileName(project.FileName)) return "\"" + project.FileName + "\" is not a project file name";
  std::error_code error;
  if (!fs::is_directory(project.Folder, error)) return "the folder " + project.Folder + " is not there";
  for (const char* extension : {".dat", ".pjx"}) {
    const std::string path = ProjectPath(project.Folder, project.FileName, extension);
    // A save cut off while the previous files stood aside still opens from the copies.
    // A pipe or a folder in its place is named for what it is.
    const std::string problem = NotAPlainFile(path);
    if (!problem.empty() && !NotAPlainFile(path + ".old").empty()) return project.FileName + extension + " " + problem;
  }
  return {};
}

std::string RecentFolder(const std::string& dataDir) {
  std::error_code error;
  const fs::path absolute = fs::absolute(dataDir, error);
  return (error ? fs::path(dataDir) : absolute).lexically_normal().string();
}

}  // namespace voltaris
