#include "storage/project_copies.h"

#include <functional>
#include <stdexcept>

#include "model/control_panel.h"

namespace voltaris {

namespace {

class TRealIndexWriter : public IIndexWriter {
 public:
  void Append(const TFileIndex& index, const std::string& line) override { index.Append(line); }
  void Rewrite(const TFileIndex& index, const std::vector<std::string>& lines) override { index.Rewrite(lines); }
};

// Runs `step`; should it fail, the project `fileName` just placed goes
// again (as far as it can) and the step's error is passed on.
void OrRemove(const std::string& dataDir, const std::string& fileName, const TProjectSteps& steps,
              const std::function<void()>& step) {
  try {
    step();
  } catch (...) {
    try {
      RemoveProjectFiles(dataDir, fileName, steps.Files);
    } catch (...) {
      // The files stay unlisted; the error that stopped the change is the one to report.
    }
    throw;
  }
}

// Places `image` as the new project `fileName`, which must not exist: any
// failure, even in the last tidying step, takes the new files away again.
void PlaceNewProject(const std::string& dataDir, const std::string& fileName, const TProjectBytes& image,
                     const TProjectSteps& steps) {
  // A project whose save was cut off is whole under the ".old" names, which
  // loading falls back to: it exists as much as one with its two files.
  for (const char* extension : {".dat", ".pjx", ".dat.old", ".pjx.old"}) {
    const std::string path = ProjectPath(dataDir, fileName, extension);
    if (steps.Files.Exists(path)) throw FileError(path + ": a project of that name already exists");
  }
  OrRemove(dataDir, fileName, steps, [&] { PlaceProjectFiles(dataDir, fileName, image, steps.Files); });
}

}  // namespace

IIndexWriter& RealIndexWriter() {
  static TRealIndexWriter writer;
  return writer;
}

void SaveProjectAs(const std::string& dataDir, const TProjectBytes& image, const TIndexEntry& to,
                   const TIndexEntry* unlisted, const TProjectSteps& steps) {
  const TFileIndex index(dataDir);
  steps.Files.CreateDirectories(dataDir);
  if (unlisted) steps.Index.Append(index, IndexLine(*unlisted));
  PlaceNewProject(dataDir, to.FileName, image, steps);
  OrRemove(dataDir, to.FileName, steps, [&] { steps.Index.Append(index, IndexLine(to)); });
}

void DuplicateProject(const std::string& dataDir, const std::string& from, const TIndexEntry& to,
                      const TProjectSteps& steps) {
  std::string datName, pjxName;
  const TProjectBytes image = ReadProjectBytes(dataDir, from, &datName, &pjxName);
  // The copy must load as the original does; the bytes go across unchanged.
  TSettings settings;
  ReadProject(image.Dat, image.Pjx, datName, pjxName, settings);
  PlaceNewProject(dataDir, to.FileName, image, steps);
  OrRemove(dataDir, to.FileName, steps, [&] { steps.Index.Append(TFileIndex(dataDir), IndexLine(to)); });
}

std::vector<std::string> RenameProject(const std::string& dataDir, const std::vector<std::string>& lines, size_t row,
                                       const TIndexEntry& to, std::string& leftOver, const TProjectSteps& steps) {
  if (row >= lines.size()) throw std::out_of_range("RenameProject: no such index line");
  const std::string from = SplitIndexLine(lines[row]).FileName;
  std::string datName, pjxName;
  const TProjectBytes image = ReadProjectBytes(dataDir, from, &datName, &pjxName);
  TSettings settings;
  ReadProject(image.Dat, image.Pjx, datName, pjxName, settings);
  PlaceNewProject(dataDir, to.FileName, image, steps);
  std::vector<std::string> renamed = lines;
  renamed[row] = IndexLine(to);
  OrRemove(dataDir, to.FileName, steps, [&] { steps.Index.Rewrite(TFileIndex(dataDir), renamed); });
  leftOver.clear();
  try {
    RemoveProjectFiles(dataDir, from, steps.Files);
  } catch (const std::runtime_error& error) {
    leftOver = error.what();
  }
  return renamed;
}

}  // namespace voltaris
