// The index file "Accounts.db" as the System Files dialog reads it: any
// content gives rows, one per line, that split and join back the same; a row
// opens only when its file name is safe to use as a path; deleting a row
// writes back every other line unchanged, or is refused with a word and
// changes nothing.
#include "catalogue/byte_stream.h"
#include "designer/dialogs/system_files_presenter.h"
#include "fuzz_support.h"
#include "project_io/file_index.h"

namespace {

struct Sink : voltaris::IMessageSink {
  void ShowError(const std::string&) override { ++errors; }
  void ShowWarning(const std::string&) override {}
  bool Confirm(const std::string&) override { return true; }  // every delete goes ahead
  int errors = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace voltaris;
  using namespace voltaris::fuzz;
  const std::string& dir = ScratchDir();
  TFileIndex index(dir);
  TStream(TBytes(data, data + size)).SaveToFile(index.Path());
  const std::vector<std::string> lines = index.ReadLines();

  Sink sink;
  TSystemFilesPresenter dialog(dir, sink);
  if (!dialog.Show()) Broken("an index that is there cannot be shown");
  const std::vector<TIndexEntry> rows = dialog.Rows();
  if (rows.size() != lines.size()) Broken("the rows are not the lines of the index");
  int deletable = -1;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (lines[i].find_first_of("\r\n") != std::string::npos) Broken("a line holds a line break");
    if (rows[i] != SplitIndexLine(lines[i])) Broken("a row is not its line split into fields");
    if (SplitIndexLine(IndexLine(rows[i])) != rows[i]) Broken("a row does not join and split back the same");
    const bool safe = IsValidFileName(rows[i].FileName);
    if (safe && deletable < 0) deletable = static_cast<int>(i);
    if (i >= 16) continue;  // opening is the same for every row; a few are enough
    if (!dialog.Show()) Broken("the index cannot be shown again");
    dialog.Select(static_cast<int>(i));
    const int errorsBefore = sink.errors;
    const bool opened = dialog.Ok();
    if (opened != safe) Broken("a row opens although its file name is not safe, or a safe one does not");
    if (opened && dialog.FileName() != rows[i].FileName) Broken("the opened row is another one");
    if (!opened && sink.errors != errorsBefore + 1) Broken("an unsafe row is refused without a word");
  }

  if (deletable >= 0) {
    if (!dialog.Show()) Broken("the index cannot be shown for a delete");
    dialog.Select(deletable);
    const int errorsBefore = sink.errors;
    dialog.Delete();
    std::vector<std::string> expected = lines;
    // A delete the file system refuses (a name too long for it) is reported and changes nothing.
    if (sink.errors == errorsBefore) expected.erase(expected.begin() + deletable);
    if (index.ReadLines() != expected) Broken("deleting a row changed the other lines");
    if (dialog.Rows().size() != expected.size()) Broken("the dialog shows another number of rows after a delete");
  }
  return 0;
}
