// The designer's main window: the menus, the device toolbar, the panel
// summary, the canvas and the status bar. It owns the designer and shows
// what it and its parts hold; every user action goes to a command of the
// designer or of one of its parts (session, summary presenter, canvas
// controller), and every command's failure is reported in a message box
// while the program goes on.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "designer/designer.h"
#include "storage/my_devices_file.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace voltaris {

class TCanvasView;
class TDocumentCommands;
class THelpWindow;
class TMessageBoxSink;
class TNewFileDialog;
class TOptionsDialog;
class TPartsListWindow;
class TProjectNameDialog;
class TProjectDetailsDialog;
class TQtDialogHost;
class TReportWindow;
class TSummaryPanel;
class TSystemFilesDialog;

class TMainWindow : public QMainWindow, public IDesignerHost {
  Q_OBJECT

 public:
  // `workingDir` is the directory the program started in; the projects
  // live in its Data folder.
  TMainWindow(ISettingsStore& store, const std::string& workingDir, QWidget* parent = nullptr);
  ~TMainWindow() override;
  TMainWindow(const TMainWindow&) = delete;
  TMainWindow& operator=(const TMainWindow&) = delete;

  TDesigner& Designer() const { return *designer_; }
  TCanvasView& CanvasView() const { return *canvasView_; }
  // Print, Print Preview, Export PDF and Export Parts List of the open design.
  TDocumentCommands& Documents() const { return *documents_; }
  // Help > User Guide (F1), at the heading `anchor` when one is given.
  void ShowUserGuide(const QString& anchor = {});
  THelpWindow* HelpWindow() const { return helpWindow_; }

  // Load when the project index exists, New otherwise.
  void StartUp();
  // Starts with the project named on the command line (see TProjectSession::StartUp).
  void StartUp(const TProjectFileChoice& choice);
  // Runs a command; a std::exception it throws becomes an error message box.
  void Run(const std::function<void()>& command);
  // Refreshes at once what changed since the last refresh (normally done on
  // the next turn of the event loop).
  void FlushRefresh();
  // How many refreshes changed something on screen so far (for the benchmarks).
  int RefreshCount() const { return refreshCount_; }

  // IMessageSink
  void ShowError(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  // IDesignerHost
  void RunNewFileDialog(TNewFilePresenter& dialog) override;
  void RunSystemFilesDialog(TSystemFilesPresenter& dialog) override;
  bool RunOptionsDialog(TOptionsPresenter& dialog) override;
  bool RunProjectDetailsDialog(TProjectDetailsPresenter& dialog) override;
  TAnswer AskSave(const std::string& question) override;
  void ShowReport(const std::string& caption, const std::string& text, const std::string& directory,
                  const std::string& fileName) override;
  void ShowSupplyMenu(int windowX, int windowY) override;
  void CloseWindow() override;
  std::string ShortDate() override;
  void RunProjectNameDialog(TProjectNamePresenter& dialog) override;
  std::string ChooseProjectFile(const std::string& folder) override;
  void ShowNotice(const std::string& text) override;
  std::string ShortTime() override;
  TRecoveryAnswer AskRecovery(const std::string& question) override;

 signals:
  // The window closed: the program ends.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenus();
  void CreateHelpMenu();
  void ShowAbout();
  // A click on a line of the warning list.
  void PointAtWarning(int line);
  void CreateToolBar();
  void CreateSummaryPanel();
  void CreateSupplyMenu();
  void CreateDialogs();
  // File > Recent Projects, filled afresh each time it opens.
  void ShowRecentProjects();
  // Report > Parts List and File > Export Parts List...: the parts list of
  // the design as it stands.
  void ShowPartsList();
  void ExportPartsList();

  // Part of the designer's state changed: refreshed on the next turn of the
  // event loop, a burst of changes at once.
  void Changed(unsigned changes);
  void ShowLayout();
  void ShowToolbar();
  void ShowMenus();
  void ShowCaption();
  // The window's place on the screen, from and to the settings store.
  void RestorePlacement();
  void KeepPlacement();

  std::unique_ptr<TMessageBoxSink> messages_;
  std::unique_ptr<TDesigner> designer_;
  std::unique_ptr<TQtDialogHost> dialogHost_;
  std::unique_ptr<TDocumentCommands> documents_;
  TSlot<TDesigner, unsigned> designerChanged_;

  TNewFileDialog* newFileDialog_ = nullptr;
  TSystemFilesDialog* systemFilesDialog_ = nullptr;
  TOptionsDialog* optionsDialog_ = nullptr;
  TReportWindow* reportWindow_ = nullptr;
  TPartsListWindow* partsListWindow_ = nullptr;
  TProjectNameDialog* saveAsDialog_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  TProjectDetailsDialog* projectDetailsDialog_ = nullptr;
  THelpWindow* helpWindow_ = nullptr;

  ISettingsStore& store_;
  // The user's own devices, kept beside the projects in the working folder.
  TMyDevicesFile myDevices_;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QAction* deleteAction_ = nullptr;
  QAction* optionsAction_ = nullptr;
  QMenu* optionsMenu_ = nullptr;
  QMenu* arrangeMenu_ = nullptr;
  QAction* snapAction_ = nullptr;
  QMenu* reportMenu_ = nullptr;
  QAction* reportAction_ = nullptr;
  QAction* partsListAction_ = nullptr;
  QAction* detailsAction_ = nullptr;
  QAction* printAction_ = nullptr;
  QAction* previewAction_ = nullptr;
  QAction* exportPdfAction_ = nullptr;
  QAction* exportPartsAction_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  std::array<QAction*, TDesigner::ToolButtonCount> toolActions_{};
  TSummaryPanel* summary_ = nullptr;
  TCanvasView* canvasView_ = nullptr;
  QLabel* statusText_ = nullptr;
  QMenu* supplyMenu_ = nullptr;
  QMenu* cloneMenu_ = nullptr;
  std::array<QAction*, TDesigner::NetworkCountMax> cloneActions_{};

  unsigned pending_ = 0;

  int refreshCount_ = 0;
  bool refreshScheduled_ = false;
  bool closingByDesigner_ = false;
};

}  // namespace voltaris
