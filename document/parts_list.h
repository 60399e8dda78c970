// The parts list of a design: what an installer orders and quotes for it,
// counted from the design itself rather than from the drawing by hand. The
// control panel, every network device by model, the remote supplies, the
// batteries by size, the equipment of every load list and the cable of every
// network. The designer's window, the printed document, the CSV export and
// the report tool all show this one list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"

namespace voltaris {

class TCanvas;
class TControlPanel;

// A part and how many of it; the name in the files' code page.
struct TPartCount {
  std::string Name;
  int64_t Count = 0;

  bool operator==(const TPartCount&) const = default;
};

struct TPartsList {
  std::string Panel;  // the control panel's model
  // Network devices by model in the order of the network device table, then
  // devices of no table row by their tile names; only models in use.
  std::vector<TPartCount> Devices;
  int64_t Supplies = 0;  // remote supplies; a clone is a second drawing of one, not a part
  // Single batteries by size in the order of the battery table: a pair
  // fitted as one ("14.4 Ah (2 x 7.2)") counts as two of its size.
  std::vector<TPartCount> Batteries;
  // The equipment of every load list (the panel's, every supply's and every
  // network device's), quantities summed by name, sorted by name with
  // capitals ignored (ties by their bytes).
  std::vector<TPartCount> Equipment;
  // Metres of cable per panel network, network 1 first: each device's run
  // from its network parent (its data cable when it has a supply of its own,
  // else its one cable) and the power run from its supply.
  std::vector<double> NetworkCable;
  // Every run, those of devices on no network included.
  double TotalCable = 0;

  bool operator==(const TPartsList&) const = default;
};

// The parts list of the design as it stands; nothing changes.
TPartsList BuildPartsList(const TControlPanel& panel, const TCanvas& canvas);

// The single batteries a battery of the catalogue stands for: "14.4 Ah
// (2 x 7.2)" is two of "7.2 Ah", any other name one of itself.
TPartCount BatteryUnits(const std::string& batteryName);

// Metres as the parts list shows them: one decimal, "." in every locale.
std::string MetresText(double metres);

// The parts list as one table of section, item, quantity and unit, a row a
// part, for the window, the printed page and the report tool. Cable is
// listed for every network that has some, then the runs on no network
// (when there are any) and the total.
TDocTable PartsListTable(const TPartsList& parts);

// The table as a CSV file's text for a spreadsheet: UTF-8 with a byte-order
// mark, a header line, lines ended by CR LF, cells quoted where they hold a
// comma, a quote, a line break or spaces at an end, "." decimals.
std::string PartsListCsv(const TPartsList& parts);

// Writes the CSV to `path` beside it first and renames it over the file only
// when complete: a failure is a FileError naming the path and leaves an
// old file as it was.
void SavePartsListCsv(const TPartsList& parts, const std::string& path);

}  // namespace voltaris
