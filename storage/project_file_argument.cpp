#include "storage/project_file_argument.h"

#include <filesystem>
#include <system_error>

#include "catalogue/plain_file.h"
#include "project_io/file_index.h"

namespace voltaris {

namespace fs = std::filesystem;

namespace {
TProjectFileChoice Refused(std::string error) {
  TProjectFileChoice choice;
  choice.Error = std::move(error);
  return choice;
}

bool EndsWithPjx(const std::string& extension) {
  if (extension.size() != 4) return false;
  const std::string wanted = ".pjx";
  for (size_t i = 0; i < 4; ++i) {
    char c = extension[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != wanted[i]) return false;
  }
  return true;
}
}  // namespace

TProjectFileChoice CheckProjectFile(const std::string& path) {
  if (path.empty()) return Refused("Cannot open a project: no file name was given");
  const fs::path file(path);
  const std::string shown = "\"" + path + "\"";
  if (!EndsWithPjx(file.extension().string()))
    return Refused("Cannot open " + shown + ": it is not a project file (a project's file name ends in .pjx)");
  const std::string name = file.stem().string();
  if (!IsValidFileName(name))
    return Refused("Cannot open " + shown +
                   ": a project file name may hold only letters, digits, spaces, \"-\" and \"_\"");
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) return Refused("Cannot open " + shown + ": the file is not there");
  if (!fs::is_regular_file(status)) return Refused("Cannot open " + shown + ": it is not a file");
  const fs::path folder = fs::absolute(file, error).parent_path().lexically_normal();
  if (error) return Refused("Cannot open " + shown + ": " + error.message());
  // The ".pjx" is only the layout; the figures are in the ".dat" of the same name.
  const fs::path dat = folder / (name + ".dat");
  const std::string problem = NotAPlainFile(dat.string());
  if (problem == NotTherePlainFile)
    return Refused("Cannot open " + shown + ": it is not a whole project, " + name + ".dat is not beside it");
  if (!problem.empty()) return Refused("Cannot open " + shown + ": " + name + ".dat beside it " + problem);
  TProjectFileChoice choice;
  choice.Given = true;
  choice.DataDir = folder.string();
  choice.FileName = name;
  return choice;
}

TProjectFileChoice ProjectFileFromArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {};
  if (arguments.size() > 1) return Refused("Voltaris opens one project at a time: give one project file");
  return CheckProjectFile(arguments.front());
}

}  // namespace voltaris
