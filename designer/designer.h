// The designer: the one open project (control panel, canvas and tiles) with
// the state of the main window as plain data, and every command of the
// window: New, Load, Save, Exit, the summary panel's choices, placing,
// dropping, snapping, tidying and cloning, Options and Report. The Qt window
// binds its widgets to this state and forwards the user's actions; a test
// drives it the same way with a scripted host.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "designer/message_sink.h"
#include "designer/modal_result.h"
#include "designer/new_file_presenter.h"
#include "designer/options_presenter.h"
#include "designer/settings_store.h"
#include "designer/system_files_presenter.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/project.h"
#include "model/signal.h"

namespace voltaris {

class IDialogHost;
class TPSU;

enum class TAnswer { Yes, No, Cancel };

// What changed in the designer's state, for the window to refresh (the bits
// of TDesigner::OnChanged).
enum TDesignerChange : unsigned {
  ChangedSummary = 1u << 0,    // the summary panel's figures and choices
  ChangedErrors = 1u << 1,     // the warning list
  ChangedToolbar = 1u << 2,    // which toolbar buttons show
  ChangedMenus = 1u << 3,      // menu states, "Clone to" items, network labels
  ChangedCaption = 1u << 4,    // the window caption
  ChangedStatusText = 1u << 5,
  ChangedLayout = 1u << 6,     // which regions show, the canvas cursor
  ChangedDevices = 1u << 7,    // the list of devices attached to the panel
  ChangedScroll = 1u << 8,     // the canvas scroll position
  ChangedProject = 1u << 9,    // a new project and canvas: every tile view is rebuilt
};

// What the designer needs from the window: its dialogs and questions. The
// Qt window implements it; tests script it.
class IDesignerHost : public IMessageSink {
 public:
  // Runs a dialog modally on its presenter; the result is left in the presenter.
  virtual void RunNewFileDialog(TNewFilePresenter& dialog) = 0;
  virtual void RunSystemFilesDialog(TSystemFilesPresenter& dialog) = 0;
  // True when the Options dialog closed with OK.
  virtual bool RunOptionsDialog(TOptionsPresenter& dialog) = 0;
  // "Do you want to save ..." with Yes and No, or Yes, No and Cancel.
  virtual TAnswer AskSave(const std::string& question, bool withCancel) = 0;
  // Shows the report window modally.
  virtual void ShowReport(const std::string& caption, const std::string& text, const std::string& directory,
                          const std::string& fileName) = 0;
  // Opens the supply menu ("Clone to") at a point of the main window.
  virtual void ShowSupplyMenu(int windowX, int windowY) = 0;
  // The main window closes and the program ends.
  virtual void CloseWindow() = 0;
  // Today's date in the user's short date format.
  virtual std::string ShortDate() = 0;
};

// A text of the summary panel with its colour.
struct TSummaryText {
  std::string Text;
  TColour Colour = ColourBlue;
  bool operator==(const TSummaryText&) const = default;
};

// The summary panel, as shown.
struct TSummaryView {
  std::string Panel;           // lbPanel
  TSummaryText StandBy;        // lbStandBy: required standby
  TSummaryText PSU;            // lbPSU
  TSummaryText BattCurrent;    // lbBattCurrent
  TSummaryText PeakCurrent;    // lbPeakCurrent
  TSummaryText RatedOP;        // lbRatedOP
  TSummaryText QLoad;          // lbQLoad
  TSummaryText AlmLoad;        // lbAlmLoad
  TSummaryText ActStandby;     // lbActStandby
  TStringList GradeItems;      // cbGrade
  int GradeIndex = -1;
  TStringList BatteryItems;    // cbBatteryType
  int BatteryIndex = -1;
  std::string BatteryText = "Select Battery";  // the box's text while nothing is selected
  bool ACFailChecked = false;  // cbACFailSig
  bool ACFailEnabled = false;
  int DegradeIndex = 0;        // ComboBox1: -1 when only its text is set
  std::string DegradeText = "0";
};

// One row of the list of devices attached to the panel.
struct TAttachedDevice {
  std::string Qty;
  std::string Name;
};

enum class TPressMode { None, PlaceDevice, PlacePSU };

class TDesigner {
 public:
  static constexpr int NetworkCountMax = 8;
  static constexpr int ToolButtonCount = 20;  // 19 device types, then the supply
  static constexpr int PSUButton = 19;
  static constexpr int DefaultViewHeight = 400;
  static constexpr int DefaultCanvasOffsetTop = 256;

  // `workingDir` is the directory the program started in; the data
  // directory is `workingDir` + "/Data".
  TDesigner(IDesignerHost& host, ISettingsStore& store, const std::string& workingDir);
  ~TDesigner();
  TDesigner(const TDesigner&) = delete;
  TDesigner& operator=(const TDesigner&) = delete;

  // --- start-up, files and exit ---
  // Load when the index exists in the data directory, New otherwise.
  void StartUp();
  void NewProject();
  void LoadProject();
  // Opens an indexed project, as Load does once the user chose its line;
  // false (with the error shown) when its files cannot be loaded, and then
  // the open project stays.
  bool OpenProject(const std::string& panelTypeName, const std::string& fileName, const std::string& siteRef);
  void SaveProject();
  // Asks "Do you want to save <FileName>" when modified; Yes saves. The answer.
  TAnswer PromptSave(bool withCancel);
  // File > Exit: true when the window closed.
  bool ExitProgram();
  // The window's close box: asks about unsaved changes as Exit does; true
  // when the window may close.
  bool CloseRequested();

  // --- the project ---
  void ClearCanvas();
  void CreateControlPanel();
  void CreateNetworks();
  void CreateNetworkAnchors(int count);
  void ShowNetwork(int index);
  void UpdatePanelView();
  void UpdateSummary();
  void UpdateToolbar();
  void FillAttachedDevices();

  // --- the summary panel ---
  void ChooseGrade(int index);
  void ChooseBattery(int index);
  void ClickACFail(bool checked);
  void ChooseDegradation(int index);
  // "Update Panel and Panel Devices": the load calculator on the panel.
  void UpdatePanelAndDevices();

  // --- menus ---
  void Options();
  void Report();
  // The report text: the system report's lines, each ended by CR LF.
  std::string ReportText();
  void ToggleSnapToGrid();
  void TidyUp();
  void CloneTo(int network);

  // --- the canvas ---
  void ChooseDevice(int tool);
  void ChoosePSU();
  // A press on the canvas background, in canvas coordinates.
  void CanvasPress(int x, int y);
  void PlaceDevice(int x, int y);
  void PlacePSU(int x, int y);
  // A press on a tile: the click rules of the tiles. BeginDrag when the view
  // must start dragging the tile.
  TMouseResult TileMouseDown(TDevice& tile, TMouseButton button, TShiftState shift, bool doubleClick);
  // Whether `source`, dragged over `target` (null: the canvas background),
  // may be dropped there.
  bool DragOver(TDevice* target, TDevice& source);
  // `source` dropped on `target` (null: the canvas background, where the
  // tile's centre moves to the canvas point (x, y)).
  void Drop(TDevice* target, TDevice& source, int x, int y);
  bool CanvasDragOver(TDevice& source);
  void CanvasDrop(TDevice& source, int x, int y);
  // The right-click handler of every supply tile.
  void PSURightClick(TDevice& psu);

  // --- the view ---
  // The view reports its scroll position and height (canvas pixels).
  void SetScroll(int top);
  void SetViewHeight(int height);
  // The smallest scroll that shows canvas point y.
  void ScrollInView(int y);
  // The height of everything on the canvas: tiles and network anchors.
  int CanvasHeight() const;

  IDesignerHost& Host() const { return host_; }
  // The open project (an empty one until New or Load), its canvas, context and panel.
  TProject& Project() const { return *project_; }
  TCanvas& Canvas() const { return *project_->Canvas; }
  TProjectContext& Context() const { return project_->Context(); }
  TControlPanel* ControlPanel() const { return project_->ControlPanel.get(); }
  // The dialogs through which the model reaches the user, given to every
  // project the designer opens.
  void SetDialogHost(IDialogHost* host);

  // Part of the state changed (TDesignerChange bits). ChangedProject is told
  // at once when the project is replaced, before anything else.
  TSignal<TDesigner, unsigned> OnChanged;
  TNewFilePresenter& NewFileDialog() { return newFile_; }
  TSystemFilesPresenter& SystemFilesDialog() { return systemFiles_; }
  TOptionsPresenter& OptionsDialog() { return options_; }

  // --- state (read by the window) ---
  std::string DataDir;
  std::string FileName;
  std::string SiteRef;
  std::string PanelTypeName;
  bool Modified = false;
  bool PendingIndexEntry = false;
  int SelectedTool = -1;
  TDevice* SelectedDevice = nullptr;  // the supply last right-clicked
  bool ShowLengthChanged = false;
  std::vector<int> NetworkAnchors;    // the canvas top of each network section
  TPressMode PressMode = TPressMode::None;
  bool HandCursor = false;
  std::string StatusText = "No Component Selected";
  std::string Caption = "Beta Version Testing Only";
  bool ProjectOpen = false;           // toolbar, summary panel and canvas show
  bool CanvasEnabled = false;
  bool OptionsEnabled = false;
  bool ArrangeEnabled = false;
  bool ReportEnabled = false;
  std::array<bool, ToolButtonCount> ToolButtonVisible{};
  std::array<bool, NetworkCountMax> NetLabelVisible{};
  bool CloneToVisible = false;
  std::array<bool, NetworkCountMax> CloneItemVisible{};
  std::array<bool, NetworkCountMax> CloneItemEnabled{};
  TSummaryView Summary;
  TStringList Errors;                 // the warning list lbErrors
  std::vector<TAttachedDevice> AttachedDevices;
  int ScrollTop = 0;
  int ViewHeight = DefaultViewHeight;
  int CanvasOffsetTop = DefaultCanvasOffsetTop;

 private:
  void Notify(unsigned changes);
  // Makes `project` the open one and listens to it; the old one goes.
  void AdoptProject(std::unique_ptr<TProject> project);
  void HandleLoadChanged();
  void HandleWarningsChanged();
  void TilesChanged(const TCanvasEvent& event);
  // Opens the supply menu when a supply tile is right-clicked.
  void WatchSupply(TDevice& tile);

  IDesignerHost& host_;
  ISettingsStore& store_;
  IDialogHost* dialogHost_ = nullptr;
  std::string workingDir_;
  std::unique_ptr<TProject> project_;
  TNewFilePresenter newFile_;
  TSystemFilesPresenter systemFiles_;
  TOptionsPresenter options_;
  TSlot<TControlPanel> loadChanged_;
  TSlot<TControlPanel> warningsChanged_;
  TSlot<TCanvas, TCanvasEvent> tilesChanged_;
  std::map<const TDevice*, std::unique_ptr<TSlot<TDevice, TShiftState>>> supplyClicks_;
};

// The caption after a project was opened.
std::string ProjectCaption(const std::string& siteRef);

}  // namespace voltaris
