// The project loader fed a ".dat" and a ".pjx" (one input split in two, see
// SplitInput). Any input must either be rejected with a FileError or give a
// sound project; a sound project must also survive what the user does next:
// the designer opens it from disk, shows its report and warnings, and saves
// it into files that load back into the same project.
#include <filesystem>

#include "designer/designer.h"
#include "fuzz_support.h"
#include "model/load_data.h"
#include "project_io/file_index.h"
#include "project_io/project_files.h"
#include "storage/memory_settings_store.h"

namespace voltaris::fuzz {
namespace {

// A window that answers nothing and picks the one project in the index.
class QuietHost : public IDesignerHost {
 public:
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowWarning(const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  void RunNewFileDialog(TNewFilePresenter& dialog) override { dialog.Cancel(); }
  void RunSystemFilesDialog(TSystemFilesPresenter& dialog) override {
    dialog.Select(0);
    if (!dialog.Ok()) dialog.Cancel();
  }
  bool RunOptionsDialog(TOptionsPresenter&) override { return false; }
  TAnswer AskSave(const std::string&) override { return TAnswer::No; }
  void ShowReport(const std::string&, const std::string&, const std::string&, const std::string&) override {}
  void ShowSupplyMenu(int, int) override {}
  void CloseWindow() override {}
  std::string ShortDate() override { return "01/02/2027"; }

  std::vector<std::string> errors;
};

// The working directory of the designer: the data directory is its "Data".
const std::string& WorkingDir() {
  static const std::string dir = [] {
    std::filesystem::create_directories(ScratchDir() + "/Data");
    return ScratchDir();
  }();
  return dir;
}

void WriteFile(const std::string& path, const TBytes& bytes) { TStream(bytes).SaveToFile(path); }

// What the designer does with the files of an accepted project.
void OpenInDesigner(const TBytes& dat, const TBytes& pjx, const TProjectBytes& expected) {
  const std::string data = WorkingDir() + "/Data";
  TFileIndex(data).Rewrite({"Orvane 200;Fuzz;Site;01/02/2027"});
  WriteFile(data + "/Fuzz.dat", dat);
  WriteFile(data + "/Fuzz.pjx", pjx);
  QuietHost host;
  TMemorySettingsStore store;
  TDesigner designer(host, store, WorkingDir());
  designer.Session().LoadProject();
  if (!designer.ProjectOpen || designer.Session().FileName != "Fuzz")
    Broken("the designer does not open a project the loader accepts: " +
           (host.errors.empty() ? std::string("no error") : host.errors.front()));
  (void)designer.ReportText();
  designer.Session().SaveProject();
  if (TStream::LoadFromFile(data + "/Fuzz.dat", ProjectFileLimit).Bytes() != expected.Dat ||
      TStream::LoadFromFile(data + "/Fuzz.pjx", ProjectFileLimit).Bytes() != expected.Pjx)
    Broken("the designer saves other bytes than the loaded project writes");
}

}  // namespace
}  // namespace voltaris::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace voltaris;
  using namespace voltaris::fuzz;
  const TFilePair files = SplitInput(data, size);
  TSettings settings;
  TProjectBytes saved;
  try {
    TProject project = ReadProject(files.First, files.Second, "Fuzz.dat", "Fuzz.pjx", settings);
    TStringList report;
    project.ControlPanel->BuildWarnings();
    project.ControlPanel->WriteSystemReport(report, "Site", "01/02/2027");
    saved = WriteProject(settings, *project.ControlPanel, *project.Canvas);
  } catch (const FileError&) {
    return 0;
  }

  // What a sound project saves must load back and save the same bytes again.
  TSettings again;
  try {
    TProject reloaded = ReadProject(saved.Dat, saved.Pjx, "Saved.dat", "Saved.pjx", again);
    const TProjectBytes resaved = WriteProject(again, *reloaded.ControlPanel, *reloaded.Canvas);
    if (resaved.Dat != saved.Dat || resaved.Pjx != saved.Pjx) Broken("a saved project saves other bytes once loaded");
  } catch (const FileError& error) {
    Broken(std::string("a loaded project saves files that do not load: ") + error.what());
  }

  OpenInDesigner(files.First, files.Second, saved);
  return 0;
}
