// A project's files and its index line changed together: Save As, Duplicate
// and Rename. Each takes its steps in an order where a failure at any one of
// them (or a crash after it) leaves every project that was listed still
// listed and loadable: the new files are complete before a line names them,
// a line is added or replaced in one write of the index, and files are
// removed only once no line names them any more.
#pragma once

#include <string>
#include <vector>

#include "project_io/file_index.h"
#include "project_io/project_files.h"

namespace voltaris {

// The writes of the index a change goes through, so that tests can make
// them fail. The real one is TFileIndex's Append and Rewrite.
class IIndexWriter {
 public:
  virtual ~IIndexWriter() = default;
  virtual void Append(const TFileIndex& index, const std::string& line) = 0;
  virtual void Rewrite(const TFileIndex& index, const std::vector<std::string>& lines) = 0;
};
IIndexWriter& RealIndexWriter();

// The file and index operations a change of projects uses.
struct TProjectSteps {
  IProjectFileSystem& Files = RealFileSystem();
  IIndexWriter& Index = RealIndexWriter();
};

// Saves `image` as the new project `to` in `dataDir` and adds its line.
// When `unlisted` is given (the project being saved from has files there
// but no line), its line goes in first, so that it is listed too. A failure
// after the new files were placed removes them again; the FileError is
// passed on.
void SaveProjectAs(const std::string& dataDir, const TProjectBytes& image, const TIndexEntry& to,
                   const TIndexEntry* unlisted, const TProjectSteps& steps = {});

// Copies the files of project `from` to the new project `to` and adds its
// line. The copy is read back as a project first: a project that cannot be
// loaded is not copied. On failure nothing new stays behind.
void DuplicateProject(const std::string& dataDir, const std::string& from, const TIndexEntry& to,
                      const TProjectSteps& steps = {});

// Renames the project of index line `row` of `lines` (as read) to `to`:
// its files are copied under the new name, the index is rewritten with the
// row's line replaced, then the old files go. The lines now in the index
// come back. When only the removal of the old files fails, the project is
// renamed and `leftOver` says which files stayed; any earlier failure is a
// FileError after which the index and the old files are as they were.
std::vector<std::string> RenameProject(const std::string& dataDir, const std::vector<std::string>& lines, size_t row,
                                       const TIndexEntry& to, std::string& leftOver, const TProjectSteps& steps = {});

}  // namespace voltaris
