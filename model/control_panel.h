// The one control panel of a project: a power module that also lists the
// panel networks and the remote supplies, keeps the whole system on one
// grade, standard, AC-fail choice, degradation and alarm period, sums the
// network load into its own calculation, colours the supplies from a palette,
// keeps the live warning list and writes the system report.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "catalogue/plain_file.h"
#include "model/colour.h"
#include "model/power_module.h"
#include "model/signal.h"

namespace voltaris {

class TPanelNetwork;
class TPSU;
struct TProjectContext;

class TControlPanel : public TPowerModule {
 public:
  // The control panel of the project `context` belongs to; the supply
  // palette starts from the project's (the built-in one when it has none).
  explicit TControlPanel(TProjectContext& context);
  // Uses the given palette lines (one colour value per line).
  TControlPanel(TProjectContext& context, TStringList palette);

  TProjectContext& Context() const { return context_; }

  void SetGrade(int32_t grade) override;
  void SetStandard(int32_t standard) override;
  void SetACFailSignalled(bool signalled) override;
  void Calculate() override;
  void SetBatteryFactor(double factor) override;
  void SetAlarmPeriod(int32_t minutes) override;

  // Sums the total load of every panel network into the module and recalculates.
  void RecalcNetworkLoad();
  void UpdateLowestNetworkGrade();
  void BuildWarnings();
  // Takes a supply in: its palette colour and the system-wide settings.
  void AddPSU(TPSU* psu);
  // Lets a supply go; its colour goes to the end of the palette for reuse.
  void RemovePSU(TPSU* psu);
  // Lets go of every supply and network at once, when the canvas is cleared.
  void ReleaseTiles();
  void WriteSystemReport(TStringList& list, const std::string& siteRef, const std::string& date);

  // The colour of palette line `index` (white past the end, or for a line
  // that is not a whole number).
  TColour PaletteColour(size_t index) const;
  // The union of the statuses found on every panel network, each network's
  // set brought up to date on the way.
  TStatusSet NetworkStatusSet();

  // The network load reached the panel and its figures were worked out again.
  TSignal<TControlPanel> OnLoadChanged;
  // The warning list was built again (built only while someone listens).
  TSignal<TControlPanel> OnWarningsChanged;
  std::vector<TPSU*> PSUs;
  TStringList Colours;
  int32_t LowestNetworkGrade = 0;
  TStringList Warnings;
  std::vector<TPanelNetwork*> Networks;
  int32_t CurrentNetwork = 0;

 private:
  TProjectContext& context_;

  // Passes a system-wide setting to every supply's module.
  void PassOn(const std::function<void(TPowerModule&)>& setting);

  // While the supplies are brought up to date one after another, each would
  // rebuild the warnings; they are built once, by Release when the last is done.
  class THoldWarnings {
   public:
    explicit THoldWarnings(TControlPanel& panel);
    // Called at the end of the holding scope: the last hold released builds
    // the warnings held back meanwhile.
    void Release();
    // Puts back a hold left unreleased by a failed update; builds nothing.
    ~THoldWarnings();
    THoldWarnings(const THoldWarnings&) = delete;
    THoldWarnings& operator=(const THoldWarnings&) = delete;

   private:
    TControlPanel& panel_;
    const int exceptionsAtStart_;
    bool held_ = true;
  };
  int warningsHeld_ = 0;
  bool warningsPending_ = false;
};

// The palette built into the program (the same lines as resources/Colors.dat).
TStringList BuiltInPalette();
// The palette of "Colors.dat" in `directory` when it can be read, otherwise
// the built-in one.
TStringList PaletteFrom(const std::string& directory);
// The most a palette file is read to: its lines are a few hundred bytes.
inline constexpr TFileLimit PaletteFileLimit{1024 * 1024, "a supply palette"};
// Reads a palette file; false when it cannot be read: missing, no plain
// file (a pipe, a device, a folder), or larger than PaletteFileLimit.
bool ReadPaletteFile(const std::string& path, TStringList& lines);
// A palette line as a colour value: decimal, or hexadecimal after "$";
// false when the line is not a whole number.
bool ParseColourValue(const std::string& line, int32_t& value);

}  // namespace voltaris
