#include "designer/ui/main_window.h"

#include <QCloseEvent>
#include <QDate>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "calculator/ui/my_devices_dialog.h"
#include "catalogue/plain_file.h"
#include "designer/designer_document.h"
#include "designer/guidance.h"
#include "designer/ui/canvas_view.h"
#include "designer/ui/document_commands.h"
#include "designer/ui/help_window.h"
#include "designer/ui/message_box_sink.h"
#include "designer/ui/new_file_dialog.h"
#include "designer/ui/options_dialog.h"
#include "designer/ui/parts_list_window.h"
#include "designer/ui/project_details_dialog.h"
#include "designer/ui/project_name_dialog.h"
#include "designer/ui/qt_dialog_host.h"
#include "designer/ui/report_window.h"
#include "designer/ui/summary_panel.h"
#include "designer/ui/system_files_dialog.h"
#include "document/parts_list.h"
#include "drawing/pictures.h"
#include "ui/plain_message.h"
#include "ui/qt_text.h"

// The pictures are compiled into the static ui library: register them.
static void InitResources() { Q_INIT_RESOURCE(resources); }

namespace voltaris {

namespace {



// The toolbar: caption and image of each button; the tool index is the
// button's position (0..18 place devices, 19 places a supply).
struct TToolButtonSpec {
  const char* Caption;
  int Image;
};
constexpr std::array<TToolButtonSpec, TDesigner::ToolButtonCount> ToolButtons = {{
    {"K4", 0},  {"K8", 1},  {"K16", 2},  {"K8 Plus", 3}, {"K16 Plus", 4}, {"D1", 5},  {"D2", 6},
    {"D3", 7},  {"D4", 8},  {"E8", 9},   {"E4S", 10},    {"E8S", 11},     {"WX", 12}, {"WX", 12},
    {"WX", 12}, {"WX", 12}, {"Q16", 13}, {"Tag", 14},    {"Airlink", 15}, {"PSU", 16},
}};

constexpr int ToolImageSize = 55;
constexpr int ToolButtonWidth = 64;
constexpr int ToolButtonHeight = 75;

}  // namespace

TMainWindow::TMainWindow(ISettingsStore& store, const std::string& workingDir, QWidget* parent)
    : QMainWindow(parent),
      messages_(std::make_unique<TMessageBoxSink>(this)),
      designerChanged_([this](TDesigner&, const unsigned& changes) { Changed(changes); }),
      store_(store),
      myDevices_(MyDevicesPath(workingDir)) {
  InitResources();
  setObjectName("Form1");
  designer_ = std::make_unique<TDesigner>(*this, store, workingDir);
  dialogHost_ = std::make_unique<TQtDialogHost>(*designer_, this);
  designer_->SetDialogHost(dialogHost_.get());
  dialogHost_->SetMyDevices(&myDevices_);
  designer_->OnChanged.Attach(designerChanged_);
  documents_ = std::make_unique<TDocumentCommands>(this, [this] { return DesignerDocument(*designer_); });

  resize(1024, 721);
  RestorePlacement();
  setWindowIcon(PictureIcon(":/icon", {16, 24, 32, 48, 64, 128, 256}, 1.0));
  CreateMenus();
  CreateToolBar();
  CreateSummaryPanel();
  CreateSupplyMenu();
  auto* status = new QStatusBar(this);
  status->setObjectName("StatusBar");
  statusText_ = new QLabel(status);
  statusText_->setObjectName("StatusText");
  statusText_->setContentsMargins(6, 0, 6, 0);
  status->addWidget(statusText_, 1);
  setStatusBar(status);
  // What the tile under the pointer does, or what a drop there would do.
  // Only its own text is taken away again, not a notice shown since.
  connect(canvasView_, &TCanvasView::HintChanged, status, [status, shown = QString()](const QString& hint) mutable {
    if (!hint.isEmpty()) {
      status->showMessage(hint);
    } else if (status->currentMessage() == shown) {
      status->clearMessage();
    }
    shown = hint;
  });
  CreateDialogs();

  Changed(ChangedProject | ChangedLayout | ChangedMenus | ChangedCaption | ChangedStatusText | ChangedToolbar);
  FlushRefresh();
}

TMainWindow::~TMainWindow() {
  // The dialogs refer to the designer: they go first. The tile widgets let
  // go of their tiles as the tiles go.
  designer_->SetDialogHost(nullptr);
  delete projectDetailsDialog_;
  delete reportWindow_;
  delete partsListWindow_;
  delete optionsDialog_;
  delete systemFilesDialog_;
  delete saveAsDialog_;
  delete newFileDialog_;
  dialogHost_->DestroyDialogs();
  designer_.reset();
}

// --- the window's parts ---

void TMainWindow::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  QMenu* file = bar->addMenu("File");
  file->setObjectName("mnuFile");
  auto command = [this](QAction* action, std::function<void()> run) {
    connect(action, &QAction::triggered, this, [this, run] { Run(run); });
    return action;
  };
  auto named = [](QAction* action, const char* name, const QList<QKeySequence>& keys) {
    action->setObjectName(name);
    action->setShortcuts(keys);
    return action;
  };
  named(command(file->addAction("New"), [this] { designer_->Session().NewProject(); }), "mnuNew",
        {QKeySequence(Qt::CTRL | Qt::Key_N)});
  named(command(file->addAction("Save"), [this] { designer_->Session().SaveProject(); }), "mnuSave",
        {QKeySequence(Qt::CTRL | Qt::Key_S)});
  named(command(file->addAction("Save As..."), [this] { designer_->Session().SaveProjectAs(); }), "mnuSaveAs",
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
  named(command(file->addAction("Load"), [this] { designer_->Session().LoadProject(); }), "mnuLoad",
        {QKeySequence(Qt::CTRL | Qt::Key_O)});
  named(command(file->addAction("Open File..."), [this] { designer_->Session().OpenFile(); }), "mnuOpenFile", {});
  recentMenu_ = file->addMenu("Recent Projects");
  recentMenu_->setObjectName("mnuRecent");
  connect(recentMenu_, &QMenu::aboutToShow, this, &TMainWindow::ShowRecentProjects);
  file->addSeparator();
  detailsAction_ = named(command(file->addAction("Project Details..."), [this] { designer_->ProjectDetails(); }),
                         "mnuProjectDetails", {});
  file->addSeparator();
  printAction_ = named(command(file->addAction("Print..."), [this] { documents_->Print(); }), "mnuPrint",
                       {QKeySequence(Qt::CTRL | Qt::Key_P)});
  previewAction_ = named(command(file->addAction("Print Preview..."), [this] { documents_->Preview(); }),
                         "mnuPrintPreview", {});
  exportPdfAction_ = named(command(file->addAction("Export PDF..."),
                                   [this] {
                                     documents_->ExportPdf(designer_->Session().DataDir + "/",
                                                           designer_->Session().FileName);
                                   }),
                           "mnuExportPdf", {});
  exportPartsAction_ = named(command(file->addAction("Export Parts List..."), [this] { ExportPartsList(); }),
                             "mnuExportPartsList", {});
  file->addSeparator();
  named(command(file->addAction("Exit"), [this] { designer_->Session().ExitProgram(); }), "mnuExit",
        {QKeySequence(Qt::CTRL | Qt::Key_Q)});

  // Undo and Redo put the whole project back as it was; the canvas keeps its
  // widgets for the new tiles, so only what changed is painted again.
  QMenu* edit = bar->addMenu("Edit");
  edit->setObjectName("mnuEdit");
  undoAction_ = named(command(edit->addAction("Undo"), [this] { designer_->Undo(); }), "mnuUndo",
                      {QKeySequence(Qt::CTRL | Qt::Key_Z)});
  redoAction_ = named(command(edit->addAction("Redo"), [this] { designer_->Redo(); }), "mnuRedo",
                      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  edit->addSeparator();
  // Escape ends a drag without a drop, or lets go of the device chosen for
  // placing, so that a stray press places nothing.
  QAction* escape = named(new QAction("Cancel Placing", this), "actEscape", {QKeySequence(Qt::Key_Escape)});
  connect(escape, &QAction::triggered, this, [this] { canvasView_->Escape(); });
  addAction(escape);
  deleteAction_ = named(command(edit->addAction("Delete"), [this] { designer_->CanvasControl().DeleteSelected(); }),
                        "mnuDelete", {QKeySequence(Qt::Key_Delete)});

  // The project's options, and the user's own devices that every project is offered.
  optionsMenu_ = bar->addMenu("Options");
  optionsMenu_->setObjectName("mnuOptionsMenu");
  optionsAction_ = named(command(optionsMenu_->addAction("Options..."), [this] { designer_->Options(); }), "mnuOptions",
                         {});
  named(command(optionsMenu_->addAction("My Devices..."), [this] { RunMyDevicesDialog(myDevices_, this); }),
        "mnuMyDevices", {});

  arrangeMenu_ = bar->addMenu("Arrange");
  arrangeMenu_->setObjectName("mnuArrange");
  snapAction_ = command(arrangeMenu_->addAction("Snap To Grid"),
                        [this] { designer_->CanvasControl().ToggleSnapToGrid(); });
  snapAction_->setObjectName("mnuSnapToGrid");
  snapAction_->setCheckable(true);
  // The tiles move with their repaints left to Qt: a tile out of view costs
  // nothing to move, and holding the canvas's repaints instead would make
  // Qt mark every tile for painting when they resume.
  command(arrangeMenu_->addAction("Tidy-Up"), [this] {
    designer_->CanvasControl().TidyUp();
  })->setObjectName("mnuTidyUp");

  reportMenu_ = bar->addMenu("Report");
  reportMenu_->setObjectName("mnuReportMenu");
  reportAction_ = command(reportMenu_->addAction("System Report"), [this] { designer_->Report(); });
  reportAction_->setObjectName("mnuReport");
  partsListAction_ = command(reportMenu_->addAction("Parts List"), [this] { ShowPartsList(); });
  partsListAction_->setObjectName("mnuPartsList");
  CreateHelpMenu();
}

void TMainWindow::CreateHelpMenu() {
  QMenu* help = menuBar()->addMenu("Help");
  help->setObjectName("mnuHelp");
  QAction* guide = help->addAction("User Guide");
  guide->setObjectName("mnuUserGuide");
  guide->setShortcut(QKeySequence(Qt::Key_F1));
  guide->setShortcutContext(Qt::ApplicationShortcut);
  connect(guide, &QAction::triggered, this, [this] { ShowUserGuide(); });
  help->addSeparator();
  QAction* about = help->addAction("About Voltaris");
  about->setObjectName("mnuAbout");
  connect(about, &QAction::triggered, this, &TMainWindow::ShowAbout);
}

void TMainWindow::ShowUserGuide(const QString& anchor) {
  if (!helpWindow_) helpWindow_ = new THelpWindow(this);
  helpWindow_->ShowGuide(anchor);
}

void TMainWindow::ShowAbout() {
  QMessageBox box(QMessageBox::NoIcon, "About Voltaris",
                  QStringLiteral("<h3>Voltaris %1</h3>"
                                 "<p>Power design for intruder-alarm systems: standby and load checks of every "
                                 "supply and the voltage at every device.</p>"
                                 "<p>Copyright 2026 the Voltaris developers. All rights reserved.<br>"
                                 "Distributed to installers of intruder-alarm systems for their own use; it may "
                                 "not be redistributed without the permission of the copyright holders.</p>")
                      .arg(QStringLiteral(VOLTARIS_VERSION)),
                  QMessageBox::Ok, this);
  box.setObjectName("AboutBox");
  box.setIconPixmap(windowIcon().pixmap(64, 64));
  box.exec();
}

void TMainWindow::PointAtWarning(int line) {
  if (line < 0) return;
  std::vector<TDevice*> tiles;
  Run([&] {
    designer_->CanvasControl().PointAtWarning(static_cast<size_t>(line));
    tiles = designer_->CanvasControl().PointedTiles();
  });
  if (tiles.empty()) ShowNotice(PanelWarningHint());
}

void TMainWindow::CreateToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setObjectName("ToolBar1");
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->toggleViewAction()->setEnabled(false);
  toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
  toolBar_->setIconSize(QSize(ToolImageSize, ToolImageSize));
  QFont captionFont = font();
  captionFont.setPointSizeF(captionFont.pointSizeF() * 0.9);
  for (size_t i = 0; i < ToolButtons.size(); ++i) {
    const TToolButtonSpec& look = ToolButtons[i];
    auto* button = new QToolButton(toolBar_);
    button->setObjectName(QString("ToolButton%1").arg(i + 1));
    button->setText(look.Caption);
    button->setFont(captionFont);
    button->setIcon(PictureIcon(QString(":/toolbar/%1").arg(look.Image), {ToolImageSize}, devicePixelRatioF()));
    button->setIconSize(QSize(ToolImageSize, ToolImageSize));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(ToolButtonWidth, ToolButtonHeight);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    const int tool = static_cast<int>(i);
    if (tool == TDesigner::PSUButton) {
      button->setToolTip(ToQString(SupplyButtonHint()));
      connect(button, &QToolButton::clicked, this, [this] { Run([this] { designer_->CanvasControl().ChoosePSU(); }); });
    } else {
      button->setToolTip(ToQString(ToolButtonHint(tool)));
      connect(button, &QToolButton::clicked, this,
              [this, tool] { Run([this, tool] { designer_->CanvasControl().ChooseDevice(tool); }); });
    }
    toolActions_[i] = toolBar_->addWidget(button);
  }
  addToolBar(Qt::TopToolBarArea, toolBar_);
  toolBar_->hide();
}

void TMainWindow::CreateSummaryPanel() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  summary_ = new TSummaryPanel(central);
  summary_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  summary_->setFixedHeight(182);
  layout->addWidget(summary_);
  canvasView_ = new TCanvasView(*designer_, [this](const std::function<void()>& command) { Run(command); }, central);
  layout->addWidget(canvasView_, 1);
  setCentralWidget(central);

  auto run = [this](std::function<void()> command) { Run(command); };
  connect(summary_, &TSummaryPanel::GradeChosen, this,
          [this, run](int i) { run([this, i] { designer_->SummaryPanel().ChooseGrade(i); }); });
  connect(summary_, &TSummaryPanel::BatteryChosen, this,
          [this, run](int i) { run([this, i] { designer_->SummaryPanel().ChooseBattery(i); }); });
  connect(summary_, &TSummaryPanel::ACFailClicked, this,
          [this, run](bool checked) { run([this, checked] { designer_->SummaryPanel().ClickACFail(checked); }); });
  connect(summary_, &TSummaryPanel::DegradationChosen, this,
          [this, run](int i) { run([this, i] { designer_->SummaryPanel().ChooseDegradation(i); }); });
  connect(summary_, &TSummaryPanel::NetworkClicked, this,
          [this, run](int k) { run([this, k] { designer_->CanvasControl().ShowNetwork(k); }); });
  connect(summary_, &TSummaryPanel::UpdatePanelClicked, this,
          [this, run] { run([this] { designer_->SummaryPanel().UpdatePanelAndDevices(); }); });
  connect(summary_, &TSummaryPanel::WarningClicked, this, &TMainWindow::PointAtWarning);
  connect(summary_, &TSummaryPanel::ChecksClicked, this,
          [this] { Run([this] { designer_->CanvasControl().PointAtChecks(designer_->SummaryPanel().ChecksTiles); }); });
  connect(summary_, &TSummaryPanel::LegendClicked, this, [this] { ShowUserGuide("lights"); });
}

void TMainWindow::CreateSupplyMenu() {
  supplyMenu_ = new QMenu(this);
  supplyMenu_->setObjectName("PopupMenu1");
  cloneMenu_ = supplyMenu_->addMenu("Clone to");
  cloneMenu_->setObjectName("CloneTo1");
  for (int k = 0; k < TDesigner::NetworkCountMax; ++k) {
    QAction* action = cloneMenu_->addAction(QString("Network %1").arg(k + 1));
    action->setObjectName(QString("CloneToNetwork%1").arg(k + 1));
    connect(action, &QAction::triggered, this,
            [this, k] { Run([this, k] { designer_->CanvasControl().CloneTo(k); }); });
    cloneActions_[static_cast<size_t>(k)] = action;
  }
}

// The windows of the program, created once in their start-up order after
// the main window: loading, New File, System Files, Options, load
// calculator, report, parts list.
void TMainWindow::CreateDialogs() {
  dialogHost_->CreateLoadingDialog();
  newFileDialog_ = new TNewFileDialog(designer_->Session().NewFileDialog(), this);
  systemFilesDialog_ = new TSystemFilesDialog(designer_->Session().SystemFilesDialog(), this);
  optionsDialog_ = new TOptionsDialog(designer_->OptionsDialog(), this);
  dialogHost_->CreateLoadCalculatorDialog();
  reportWindow_ = new TReportWindow(this);
  saveAsDialog_ = new TProjectNameDialog(designer_->Session().SaveAsDialog(), this);
  projectDetailsDialog_ = new TProjectDetailsDialog(designer_->ProjectDetailsDialog(), this);
  partsListWindow_ = new TPartsListWindow(this);
  partsListWindow_->SetExportCommand([this] { Run([this] { ExportPartsList(); }); });
  reportWindow_->SetDocumentCommands([this] { Run([this] { documents_->Print(); }); },
                                     [this] {
                                       Run([this] {
                                         documents_->ExportPdf(designer_->Session().DataDir + "/",
                                                               designer_->Session().FileName);
                                       });
                                     });
}

void TMainWindow::ShowPartsList() {
  partsListWindow_->ShowPartsList("Parts List: " + designer_->Session().SiteRef,
                                  BuildPartsList(*designer_->ControlPanel(), designer_->Canvas()));
}

void TMainWindow::ExportPartsList() {
  documents_->ExportPartsList(designer_->Session().DataDir + "/", designer_->Session().FileName,
                              BuildPartsList(*designer_->ControlPanel(), designer_->Canvas()));
}

void TMainWindow::ShowRecentProjects() {
  recentMenu_->clear();
  std::vector<TRecentChoice> recent;
  Run([&] { recent = designer_->Session().RecentProjects(); });
  if (recent.empty()) recentMenu_->addAction("(none)")->setEnabled(false);
  for (size_t i = 0; i < recent.size(); ++i) {
    const TRecentProject& project = recent[i].Project;
    // The folder is the system's own spelling, the names the files' code page.
    QString text = ToQString(project.FileName) + QStringLiteral("  (") + ToQString(project.SiteRef) +
                   QStringLiteral(")  ") + QString::fromLocal8Bit(project.Folder);
    if (!recent[i].Problem.empty()) text += QStringLiteral("  - ") + ToQString(recent[i].Problem);
    QAction* action = recentMenu_->addAction(text.replace('&', QStringLiteral("&&")));
    action->setObjectName(QString("mnuRecent%1").arg(i + 1));
    action->setEnabled(recent[i].Problem.empty());
    connect(action, &QAction::triggered, this, [this, i] { Run([this, i] { designer_->Session().OpenRecent(i); }); });
  }
}

// --- commands ---

void TMainWindow::StartUp() {
  Run([this] { designer_->Session().StartUp(); });
}

void TMainWindow::StartUp(const TProjectFileChoice& choice) {
  Run([this, &choice] { designer_->Session().StartUp(choice); });
}

void TMainWindow::Run(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    ShowError(ReasonOf(error, "There is not enough memory to do this."));
  }
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  // Unsaved changes are asked about; a save that fails keeps the window open.
  bool mayClose = closingByDesigner_;
  if (!mayClose) Run([this, &mayClose] { mayClose = designer_->Session().CloseRequested(); });
  if (!mayClose) {
    event->ignore();
    return;
  }
  event->accept();
  KeepPlacement();
  emit Closed();
}

void TMainWindow::RestorePlacement() {
  std::optional<TWindowPlacement> placement;
  Run([&] { placement = ReadWindowPlacement(store_); });
  if (!placement) return;
  const QRect wanted(placement->Left, placement->Top, placement->Width, placement->Height);
  // A window that was on a screen no longer there opens where the system puts it.
  const QScreen* screen = QGuiApplication::screenAt(wanted.center());
  if (screen) {
    setGeometry(wanted.intersected(screen->availableGeometry()));
  } else {
    resize(wanted.size().boundedTo(QGuiApplication::primaryScreen()->availableSize()));
  }
  if (placement->Maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainWindow::KeepPlacement() {
  const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
  Run([&] { WriteWindowPlacement(store_, {normal.x(), normal.y(), normal.width(), normal.height(), isMaximized()}); });
}

// --- IMessageSink and IDesignerHost ---

void TMainWindow::ShowError(const std::string& text) { messages_->ShowError(text); }

void TMainWindow::ShowWarning(const std::string& text) { messages_->ShowWarning(text); }

bool TMainWindow::Confirm(const std::string& question) { return messages_->Confirm(question); }

void TMainWindow::RunNewFileDialog(TNewFilePresenter&) { newFileDialog_->Run(); }

void TMainWindow::RunSystemFilesDialog(TSystemFilesPresenter&) { systemFilesDialog_->Run(); }

bool TMainWindow::RunOptionsDialog(TOptionsPresenter&) { return optionsDialog_->Run(); }

bool TMainWindow::RunProjectDetailsDialog(TProjectDetailsPresenter&) { return projectDetailsDialog_->Run(); }

TAnswer TMainWindow::AskSave(const std::string& question) {
  QMessageBox box(QMessageBox::Question, "Confirm", ToQString(question),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
  MakePlain(box);
  box.setObjectName("SaveQuestion");
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return TAnswer::Yes;
    case QMessageBox::No:
      return TAnswer::No;
    default:
      return TAnswer::Cancel;
  }
}

void TMainWindow::ShowReport(const std::string& caption, const std::string& text, const std::string& directory,
                             const std::string& fileName) {
  reportWindow_->ShowReport(caption, text, directory, fileName);
}

void TMainWindow::ShowSupplyMenu(int windowX, int windowY) {
  ShowMenus();
  // Below the "Clone to" panel types the menu has nothing to offer.
  if (!cloneMenu_->menuAction()->isVisible()) return;
  supplyMenu_->popup(mapToGlobal(QPoint(windowX, windowY)));
}

void TMainWindow::CloseWindow() {
  closingByDesigner_ = true;
  close();
}

std::string TMainWindow::ShortDate() { return ToStdString(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)); }

void TMainWindow::RunProjectNameDialog(TProjectNamePresenter&) { saveAsDialog_->Run(); }

std::string TMainWindow::ChooseProjectFile(const std::string& folder) {
  const QString path = QFileDialog::getOpenFileName(this, "Open File", QString::fromLocal8Bit(folder),
                                                    "Projects (*.pjx);;All files (*)");
  return path.toLocal8Bit().toStdString();
}

void TMainWindow::ShowNotice(const std::string& text) { statusBar()->showMessage(ToQString(text), 5000); }

std::string TMainWindow::ShortTime() {
  return ToStdString(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
}

TRecoveryAnswer TMainWindow::AskRecovery(const std::string& question) {
  QMessageBox box(QMessageBox::Question, "Recovery", ToQString(question), QMessageBox::NoButton, this);
  MakePlain(box);
  box.setObjectName("RecoveryQuestion");
  QPushButton* recover = box.addButton("Recover", QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton("Discard", QMessageBox::DestructiveRole);
  QPushButton* later = box.addButton("Later", QMessageBox::RejectRole);
  recover->setObjectName("btnRecover");
  discard->setObjectName("btnDiscard");
  later->setObjectName("btnLater");
  box.setDefaultButton(recover);
  box.setEscapeButton(later);
  box.exec();
  if (box.clickedButton() == recover) return TRecoveryAnswer::Recover;
  if (box.clickedButton() == discard) return TRecoveryAnswer::Discard;
  return TRecoveryAnswer::Later;
}

void TMainWindow::Changed(unsigned changes) {
  pending_ |= changes;
  if (refreshScheduled_) return;
  refreshScheduled_ = true;
  QTimer::singleShot(0, this, [this] { FlushRefresh(); });
}

// --- refreshing ---

void TMainWindow::FlushRefresh() {
  const unsigned changes = pending_;
  pending_ = 0;
  refreshScheduled_ = false;
  if (!canvasView_) return;
  if (changes != 0) ++refreshCount_;
  const bool all = (changes & ChangedProject) != 0;
  if (all || (changes & ChangedLayout)) ShowLayout();
  if (all || (changes & ChangedToolbar)) ShowToolbar();
  if (all || (changes & (ChangedMenus | ChangedSelection))) ShowMenus();
  if (all || (changes & ChangedCaption)) ShowCaption();
  if (all || (changes & ChangedStatusText)) statusText_->setText(ToQString(designer_->StatusText));
  if (all || (changes & ChangedSummary)) summary_->ShowSummary(designer_->SummaryPanel().Summary);
  if (all || (changes & ChangedErrors)) {
    summary_->ShowErrors(designer_->SummaryPanel().Errors);
    summary_->ShowChecks(designer_->SummaryPanel().Checks);
  }
  if (all || (changes & ChangedDevices)) summary_->ShowDevices(designer_->SummaryPanel().AttachedDevices);
  if (all || (changes & ChangedScroll)) canvasView_->ShowScroll();
}

void TMainWindow::ShowLayout() {
  toolBar_->setVisible(designer_->ProjectOpen);
  summary_->setVisible(designer_->ProjectOpen);
  canvasView_->ShowLayout();
}

void TMainWindow::ShowToolbar() {
  for (size_t i = 0; i < toolActions_.size(); ++i) toolActions_[i]->setVisible(designer_->ToolButtonVisible[i]);
}

void TMainWindow::ShowCaption() {
  // "[*]" is where Qt shows the mark of unsaved changes.
  setWindowTitle(ToQString(designer_->Session().Caption) + QStringLiteral("[*]"));
  setWindowModified(designer_->ProjectOpen && designer_->Session().Modified());
}

void TMainWindow::ShowMenus() {
  // An "&" of a device's location would read as a menu mnemonic.
  auto menuText = [](const std::string& text) { return ToQString(text).replace('&', QStringLiteral("&&")); };
  TUndoHistory& history = designer_->History();
  undoAction_->setText(menuText(designer_->UndoText()));
  undoAction_->setEnabled(designer_->ProjectOpen && history.CanUndo());
  redoAction_->setText(menuText(designer_->RedoText()));
  redoAction_->setEnabled(designer_->ProjectOpen && history.CanRedo());
  const TDevice* selected = designer_->CanvasControl().SelectedTile();
  deleteAction_->setEnabled(designer_->ProjectOpen && selected && !selected->FixedOnCanvas());
  optionsAction_->setEnabled(designer_->OptionsEnabled);
  optionsMenu_->menuAction()->setEnabled(designer_->OptionsEnabled);
  arrangeMenu_->menuAction()->setEnabled(designer_->ArrangeEnabled);
  for (QAction* action : {reportMenu_->menuAction(), reportAction_, partsListAction_})
    action->setEnabled(designer_->ReportEnabled);
  detailsAction_->setEnabled(designer_->ProjectOpen);
  for (QAction* action : {printAction_, previewAction_, exportPdfAction_, exportPartsAction_})
    action->setEnabled(designer_->ReportEnabled);
  {
    const QSignalBlocker blocker(snapAction_);
    snapAction_->setChecked(designer_->Canvas().SnapToGrid);
  }
  cloneMenu_->menuAction()->setVisible(designer_->CanvasControl().CloneToVisible());
  for (size_t k = 0; k < cloneActions_.size(); ++k) {
    cloneActions_[k]->setVisible(designer_->CanvasControl().CloneItemVisible()[k]);
    cloneActions_[k]->setEnabled(designer_->CanvasControl().CloneItemEnabled()[k]);
  }
  summary_->ShowNetworkLabels(designer_->CanvasControl().NetLabelVisible());
}

}  // namespace voltaris
