// The designer driven as a user drives the window: a scripted host answers
// its dialogs and questions, and helpers make a project by the same steps.
#pragma once

#include <algorithm>
#include <functional>

#include "designer/designer.h"
#include "model/dialog_host.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/toolbar_device.h"
#include "project_io/file_index.h"
#include "project_io/project_files.h"
#include "storage/memory_settings_store.h"
#include "test_support.h"

namespace voltaris::testing {

class ScriptedDesignerHost : public IDesignerHost, public IDialogHost {
 public:
  // IMessageSink
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  bool Confirm(const std::string& question) override {
    questions.push_back(question);
    return confirm;
  }
  std::vector<std::string> questions;
  bool confirm = true;
  // IDesignerHost
  void RunNewFileDialog(TNewFilePresenter& dialog) override {
    ++newFileShown;
    if (onNewFile) {
      onNewFile(dialog);
    } else {
      dialog.Cancel();
    }
  }
  void RunSystemFilesDialog(TSystemFilesPresenter& dialog) override {
    ++systemFilesShown;
    if (onSystemFiles) {
      onSystemFiles(dialog);
    } else {
      dialog.Cancel();
    }
  }
  bool RunOptionsDialog(TOptionsPresenter& dialog) override { return onOptions ? onOptions(dialog) : false; }
  bool RunProjectDetailsDialog(TProjectDetailsPresenter& dialog) override {
    return onProjectDetails ? onProjectDetails(dialog) : false;
  }
  TAnswer AskSave(const std::string& question) override {
    saveQuestions.push_back(question);
    return saveAnswer;
  }
  void ShowReport(const std::string& caption, const std::string& text, const std::string& directory,
                  const std::string& fileName) override {
    reportCaption = caption;
    reportText = text;
    reportDirectory = directory;
    reportFileName = fileName;
  }
  void ShowSupplyMenu(int x, int y) override {
    menuX = x;
    menuY = y;
  }
  void CloseWindow() override { closed = true; }
  std::string ShortDate() override { return "01/02/2027"; }
  void RunProjectNameDialog(TProjectNamePresenter& dialog) override {
    if (onProjectName) {
      onProjectName(dialog);
    } else {
      dialog.Cancel();
    }
  }
  std::string ChooseProjectFile(const std::string& folder) override {
    chooseFolder = folder;
    return chosenFile;
  }
  void ShowNotice(const std::string& text) override { notices.push_back(text); }
  std::string ShortTime() override { return "10:30"; }
  TRecoveryAnswer AskRecovery(const std::string& question) override {
    recoveryQuestions.push_back(question);
    return recoveryAnswer;
  }
  std::vector<std::string> recoveryQuestions;
  TRecoveryAnswer recoveryAnswer = TRecoveryAnswer::Later;
  // IDialogHost: the model's dialogs, confirmed unless told otherwise.
  bool EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter&) override {
    if (onEditLoadList) onEditLoadList(module, lines);
    return loadListDone;
  }
  bool SetUpDevice(TNetDevice& device, TLoadLines& lines) override {
    return onSetUp ? onSetUp(device, lines) : true;
  }
  bool AskYesNo(const std::string&) override { return true; }

  std::function<void(TNewFilePresenter&)> onNewFile;
  std::function<void(TSystemFilesPresenter&)> onSystemFiles;
  std::function<void(TProjectNamePresenter&)> onProjectName;
  std::string chosenFile, chooseFolder;
  std::vector<std::string> notices;
  std::function<bool(TOptionsPresenter&)> onOptions;
  std::function<bool(TProjectDetailsPresenter&)> onProjectDetails;
  std::function<void(TPowerModule&, TLoadLines&)> onEditLoadList;
  bool loadListDone = true;  // the load calculator closes with Done, or Cancel
  std::function<bool(TNetDevice&, TLoadLines&)> onSetUp;
  TAnswer saveAnswer = TAnswer::No;
  std::vector<std::string> saveQuestions, errors, warnings;
  std::string reportCaption, reportText, reportDirectory, reportFileName;
  int menuX = -1, menuY = -1;
  int newFileShown = 0, systemFilesShown = 0;
  bool closed = false;
  unsigned changes = 0;
};

// Fills the New File dialog as a user would, then presses OK.
inline std::function<void(TNewFilePresenter&)> Answer(const std::string& panel, int grade, const std::string& file,
                                                      const std::string& site) {
  return [=](TNewFilePresenter& dialog) {
    dialog.SetSiteRef(site);
    const auto& types = dialog.PanelTypes();
    const auto found = std::find(types.begin(), types.end(), panel);
    ASSERT_NE(found, types.end()) << panel;
    dialog.ChoosePanelType(static_cast<int>(found - types.begin()));
    dialog.ChooseGrade(grade - 1);
    dialog.SetFileName(file);
    dialog.Ok();
  };
}

// Types a new file name (and site reference) into the name dialog and presses OK.
inline std::function<void(TProjectNamePresenter&)> NameAs(const std::string& file, const std::string& site) {
  return [=](TProjectNamePresenter& dialog) {
    dialog.SetSiteRef(site);
    dialog.SetFileName(file);
    dialog.Ok();
    if (dialog.Result() != TModalResult::OK) dialog.Cancel();
  };
}

// Picks a project in the System Files dialog by its file name and presses OK.
inline std::function<void(TSystemFilesPresenter&)> Open(const std::string& file) {
  return [=](TSystemFilesPresenter& dialog) {
    const auto& rows = dialog.Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].FileName == file) dialog.Select(static_cast<int>(i));
    }
    dialog.Ok();
    if (dialog.Result() != TModalResult::OK) dialog.Cancel();
  };
}

class DesignerTest : public ::testing::Test {
 protected:
  DesignerTest() {
    std::filesystem::create_directories(dir.File("Data"));
    designer.SetDialogHost(&host);
    designer.OnChanged.Attach(changed_);
    // Every image the history takes is checked against one written afresh.
    designer.CheckImages = true;
  }

  // The Data folder taken away from under the designer. Windows keeps a
  // folder while a file in it is open, so there the open project's lock
  // goes first.
  void RemoveData() {
#ifdef _WIN32
    designer.Session().ReleaseLock();
#endif
    std::filesystem::remove_all(dir.File("Data"));
  }

  // File > New with the given answers.
  void New(const std::string& panel, int grade, const std::string& file = "Shop", const std::string& site = "Unit 4") {
    host.onNewFile = Answer(panel, grade, file, site);
    designer.Session().NewProject();
    host.onNewFile = nullptr;
  }
  // File > Load of a project listed in the index.
  void Load(const std::string& file) {
    host.onSystemFiles = Open(file);
    designer.Session().LoadProject();
    host.onSystemFiles = nullptr;
  }

  TPanelNetwork& Net(int index) { return *designer.ControlPanel()->Networks.at(static_cast<size_t>(index)); }

  // A toolbar device placed with a press on the canvas.
  TVududa& Place(int tool, int x, int y) {
    designer.CanvasControl().ChooseDevice(tool);
    designer.CanvasControl().CanvasPress(x, y);
    return dynamic_cast<TVududa&>(*designer.Canvas().Tiles().back());
  }
  TPSU& PlaceSupply(int x, int y) {
    designer.CanvasControl().ChoosePSU();
    designer.CanvasControl().CanvasPress(x, y);
    designer.CanvasControl().ChooseDevice(0);  // ends supply placement; the next press places nothing yet
    designer.CanvasControl().DeselectTool();
    return dynamic_cast<TPSU&>(*designer.Canvas().Tiles().back());
  }
  // A drag from `source` released over `target`.
  bool Drag(TDevice& source, TDevice& target) {
    if (!designer.CanvasControl().DragOver(&target, source)) return false;
    designer.CanvasControl().Drop(&target, source, 0, 0);
    return true;
  }

  std::string DataFile(const std::string& name) const { return dir.File("Data/" + name); }

  TempDir dir;
  ScriptedDesignerHost host;
  TMemorySettingsStore store;
  TDesigner designer{host, store, dir.Path()};

 private:
  TSlot<TDesigner, unsigned> changed_{[this](TDesigner&, const unsigned& bits) { host.changes |= bits; }};
};

}  // namespace voltaris::testing
