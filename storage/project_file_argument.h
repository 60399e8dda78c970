// The project named on the command line (`voltaris [FILE.pjx]`) or chosen
// with File > "Open File...": checked before anything is opened, so that a
// bad name is told in words and the program starts as without one.
#pragma once

#include <string>
#include <vector>

namespace voltaris {

struct TProjectFileChoice {
  bool Given = false;    // a project to open: DataDir and FileName are set
  std::string DataDir;   // the file's folder, absolute: the data folder for this run
  std::string FileName;  // the project's name, without folder or extension
  std::string Error;     // why the argument cannot be opened; empty when it can
};

// Checks the path of a project's layout file: it must end in ".pjx", have
// a name that is safe as a project name, exist as a file, and have its
// ".dat" beside it.
TProjectFileChoice CheckProjectFile(const std::string& path);
// The program's arguments after its own name: none gives nothing to open
// (the usual start), one is checked as above, more are an error.
TProjectFileChoice ProjectFileFromArguments(const std::vector<std::string>& arguments);

}  // namespace voltaris
