// The panel summary under the toolbar (`Panel1`): network navigation and the
// warning list, the panel's figures, the grade, battery, AC-fail and battery
// degradation choices, and the devices attached to the panel. It shows what
// the designer holds and passes the user's choices on as signals; setting
// its controls from the designer never raises them.
#pragma once

#include <QFrame>
#include <array>
#include <vector>

#include "designer/designer.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace voltaris {

class TSummaryPanel : public QFrame {
  Q_OBJECT

 public:
  explicit TSummaryPanel(QWidget* parent);

  void ShowSummary(const TSummaryView& summary);
  void ShowErrors(const TStringList& lines);
  // The checks beyond the light that fail, one line under the warnings;
  // hidden when it is empty.
  void ShowChecks(const std::string& line);
  void ShowDevices(const std::vector<TAttachedDevice>& devices);
  void ShowNetworkLabels(const std::array<bool, TDesigner::NetworkCountMax>& visible);

 signals:
  void GradeChosen(int index);
  void BatteryChosen(int index);
  void ACFailClicked(bool checked);
  void DegradationChosen(int index);
  void NetworkClicked(int network);
  void UpdatePanelClicked();
  // A line of the warning list was clicked.
  void WarningClicked(int line);
  // The line of the checks beyond the light was clicked.
  void ChecksClicked();
  // The legend of the status lights was clicked: the guide's page on them.
  void LegendClicked();

 protected:
  // Discards typing and wheel turns in the three lists, and turns a press
  // on a network label into NetworkClicked, on the legend into LegendClicked.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* CreateNavigation();
  QWidget* CreateFigures();
  QWidget* CreateChoices();
  QWidget* CreateDevices();
  QLabel* AddValue(QFormLayout* form, const char* caption, const char* name);
  QComboBox* CreateList(const char* name);

  std::array<QLabel*, TDesigner::NetworkCountMax> netLabels_{};
  QListWidget* errors_ = nullptr;
  QLabel* checks_ = nullptr;
  QLabel* legend_ = nullptr;
  QLabel* panel_ = nullptr;
  QLabel* standBy_ = nullptr;
  QLabel* psu_ = nullptr;
  QLabel* battCurrent_ = nullptr;
  QLabel* peakCurrent_ = nullptr;
  QLabel* ratedOP_ = nullptr;
  QComboBox* grade_ = nullptr;
  QComboBox* battery_ = nullptr;
  QCheckBox* acFail_ = nullptr;
  QLabel* qLoad_ = nullptr;
  QLabel* almLoad_ = nullptr;
  QLabel* actStandby_ = nullptr;
  QComboBox* degrade_ = nullptr;
  QTreeWidget* devices_ = nullptr;
  QPushButton* updatePanel_ = nullptr;
};

}  // namespace voltaris
