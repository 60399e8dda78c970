// What one project's objects share: its settings, the catalogue filter its
// dialogs use, the dialogs that reach the user, its work counters and the
// supply palette it started from. The canvas owns it and every tile reaches
// it through the canvas, so two projects can live side by side in one
// program (the undo history and the documents need that) without touching
// each other's figures.
#pragma once

#include "catalogue/catalogue.h"
#include "model/project_details.h"
#include "model/settings.h"
#include "model/work_counters.h"

namespace voltaris {

class IDialogHost;

// The battery's voltage once the mains has failed, which the checks on
// battery work the devices' voltages from: the drops were worked out from
// the 13.6 V a charging supply gives. The user may set 10.5 V to 13.6 V.
inline constexpr double DefaultBatteryVolts = 12.0;
inline constexpr double MinBatteryVolts = 10.5;
inline constexpr double MaxBatteryVolts = 13.6;

struct TProjectContext {
  // The six settings of the project: new network devices take their cable
  // run and impedance from them, cable runs show their lengths by them.
  TSettings Settings;
  // CurrentGrade, CurrentPanelType and the network device list map, shared
  // by the project's dialogs as the catalogue filters read them.
  TCatalogueFilter Filter;
  // Where the model reaches the user; null: dialogs are skipped and
  // questions answered No.
  IDialogHost* DialogHost = nullptr;
  TWorkCounters Counters;
  // Off in the program: a recalculation that finds the same total load for
  // the same network parent and supply does not make them recalculate again.
  // On, every recalculation reaches them, as the propagation rules read; the
  // tests switch it on to show that skipping the repeats changes no result.
  bool ReportEveryRecalculation = false;
  // The palette lines a new control panel of the project starts from.
  TStringList Palette;
  // The company, engineer, customer, site address and notes of the
  // document; saved in the ".dat"'s extension section.
  TProjectDetails Details;
  // The battery's voltage on mains failure; kept in the ".dat"'s extension
  // section when it is not the default.
  double BatteryVolts = DefaultBatteryVolts;
  // A dialog the user cancelled (the load calculator, a device's set-up) may
  // have changed the project while it was open: whoever ran it puts the
  // project back as it was when the dialog opened, then clears the mark.
  // The designer does it from its undo history.
  bool EditCancelled = false;
};

}  // namespace voltaris
