#include "model/control_panel.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <exception>

#include "catalogue/byte_stream.h"
#include "catalogue/format.h"
#include "model/load_data.h"
#include "model/panel_network.h"
#include "model/project_context.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/system_checks.h"

namespace voltaris {

extern const char* const BuiltInPaletteText;  // generated from resources/Colors.dat

TStringList BuiltInPalette() { return SplitLines(BuiltInPaletteText); }

bool ReadPaletteFile(const std::string& path, TStringList& lines) {
  TBytes bytes;
  try {
    bytes = ReadPlainFile(path, PaletteFileLimit);
  } catch (const FileError&) {
    return false;  // missing, no plain file, or too large: the built-in palette serves
  }
  lines = SplitLines(std::string(bytes.begin(), bytes.end()));
  return true;
}

bool ParseColourValue(const std::string& line, int32_t& value) {
  const size_t first = line.find_first_not_of(" \t");
  const size_t last = line.find_last_not_of(" \t");
  if (first == std::string::npos) return false;
  std::string_view text(line.data() + first, last - first + 1);
  int base = 10;
  if (text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  int64_t parsed = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed, base);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
  // Hexadecimal values fill all 32 bits; decimal ones must fit a signed int.
  if (base == 16 ? (parsed < 0 || parsed > 0xFFFFFFFFLL) : (parsed < INT32_MIN || parsed > INT32_MAX)) return false;
  value = static_cast<int32_t>(static_cast<uint32_t>(parsed));
  return true;
}

TStringList PaletteFrom(const std::string& directory) {
  TStringList lines;
  if (!ReadPaletteFile(directory + "/Colors.dat", lines)) lines = BuiltInPalette();
  return lines;
}

namespace {

// What the checks of the whole system look at, with the statuses just collected.
TSystemFacts SystemFacts(const TControlPanel& panel, TStatusSet networks, TStatusSet supplies) {
  return {.Grade = panel.Grade,
          .LowestDeviceGrade = panel.LowestDeviceGrade,
          .LowestNetworkGrade = panel.LowestNetworkGrade,
          .InsufficientBackup = panel.InsufficientBackup,
          .BatteryIndex = panel.BatteryIndex,
          .AlarmOverload = panel.AlarmOverload,
          .ContinuousOverload = panel.ContinuousOverload,
          .Networks = networks,
          .Supplies = supplies};
}

}  // namespace

TControlPanel::TControlPanel(TProjectContext& context)
    : TControlPanel(context, context.Palette.empty() ? BuiltInPalette() : context.Palette) {}

TControlPanel::TControlPanel(TProjectContext& context, TStringList palette) : context_(context) {
  Colours = std::move(palette);
}

TColour TControlPanel::PaletteColour(size_t index) const {
  int32_t value = 0;
  if (index < Colours.size() && ParseColourValue(Colours[index], value)) return TColour::FromColorValue(value);
  return ColourWhite;
}

TStatusSet TControlPanel::NetworkStatusSet() {
  // Each network's set as it stands: a device that got worse only raised its
  // network's light, and one that left took its status with it.
  TStatusSet set = 0;
  for (TPanelNetwork* network : Networks) {
    network->StatusSet = network->CurrentStatusSet();
    set |= network->StatusSet;
  }
  return set;
}

void TControlPanel::SetGrade(int32_t grade) {
  const int32_t old = Grade;
  TPowerModule::SetGrade(grade);
  int32_t lowest = Grade;
  if (Grade != old) {
    // Every device re-evaluates its grade status on the way down the networks.
    for (TPanelNetwork* network : Networks) {
      network->EffectiveGrade = Grade;
      network->RefreshTotals();
      lowest = std::min(lowest, network->LowestGrade());
    }
    THoldWarnings hold(*this);
    for (TPSU* psu : PSUs) psu->SetSystemGrade(Grade);
    hold.Release();
  }
  LowestNetworkGrade = lowest;
  UpdateLowestNetworkGrade();
  BuildWarnings();
}

// Building the warnings can fail (the list's handler belongs to the window),
// and a destructor must not throw, so the held-back build is made by Release
// at the end of the holding scope, where a failure reaches the command like
// any other. When the update itself fails before Release, the destructor only
// puts the hold back: the list stays marked pending and out of date, and the
// next build (the next change of figures, or the next hold released) brings
// it up to date.
TControlPanel::THoldWarnings::THoldWarnings(TControlPanel& panel)
    : panel_(panel), exceptionsAtStart_(std::uncaught_exceptions()) {
  ++panel_.warningsHeld_;
}

void TControlPanel::THoldWarnings::Release() {
  assert(held_ && "a hold is released once");
  held_ = false;
  if (--panel_.warningsHeld_ == 0 && panel_.warningsPending_) {
    panel_.warningsPending_ = false;
    panel_.BuildWarnings();
  }
}

TControlPanel::THoldWarnings::~THoldWarnings() {
  // Only an update that failed leaves its hold unreleased.
  assert((!held_ || std::uncaught_exceptions() > exceptionsAtStart_) && "a hold is released at the end of its scope");
  if (held_) --panel_.warningsHeld_;
}

void TControlPanel::PassOn(const std::function<void(TPowerModule&)>& setting) {
  // Each supply's light follows its new figures: a change of standard can
  // give a supply enough backup, or take it away.
  THoldWarnings hold(*this);
  for (TPSU* psu : PSUs) {
    setting(psu->Module);
    psu->UpdateStatus();
  }
  hold.Release();
}

void TControlPanel::SetStandard(int32_t standard) {
  TPowerModule::SetStandard(standard);
  PassOn([&](TPowerModule& module) { module.SetStandard(standard); });
}

void TControlPanel::SetACFailSignalled(bool signalled) {
  TPowerModule::SetACFailSignalled(signalled);
  PassOn([&](TPowerModule& module) { module.SetACFailSignalled(signalled); });
}

void TControlPanel::SetBatteryFactor(double factor) {
  TPowerModule::SetBatteryFactor(factor);
  PassOn([&](TPowerModule& module) { module.SetBatteryFactor(factor); });
}

void TControlPanel::SetAlarmPeriod(int32_t minutes) {
  TPowerModule::SetAlarmPeriod(minutes);
  PassOn([&](TPowerModule& module) { module.SetAlarmPeriod(minutes); });
}

void TControlPanel::Calculate() {
  TPowerModule::Calculate();
  // The figures are worked out first and stand; a failure to build the
  // warning list goes on to the command, which reports it.
  BuildWarnings();
}

void TControlPanel::RecalcNetworkLoad() {
  TLoad load;
  for (const TPanelNetwork* network : Networks) load += network->GetTotalLoad();
  // Both halves, then one calculation (the setters would each calculate again).
  NetworkQuiescent = load.Quiescent;
  NetworkAlarm = load.Alarm;
  Calculate();
  OnLoadChanged.Notify(*this);
}

void TControlPanel::UpdateLowestNetworkGrade() {
  int32_t lowest = Grade;
  for (TPanelNetwork* network : Networks) {
    network->CollectStatus();
    lowest = std::min(lowest, network->LowestGrade());
  }
  LowestNetworkGrade = lowest;
}

void TControlPanel::BuildWarnings() {
  if (warningsHeld_ > 0) {
    warningsPending_ = true;
    return;
  }
  ++context_.Counters.BuildWarnings;
  Warnings.clear();
  // Nobody shows the warnings (a project being read): they are built once
  // it is shown.
  if (!OnWarningsChanged.Connected()) return;
  // The lowest grade on the networks as they stand now, not as they stood at
  // the last grade change: a device taken off a network, or set up to
  // another grade, changes what the warnings and the report must say.
  int32_t lowest = Grade;
  for (const TPanelNetwork* network : Networks) lowest = std::min(lowest, network->LowestEffectiveGrade());
  LowestNetworkGrade = lowest;
  const TStatusSet networks = NetworkStatusSet();
  TStatusSet supplies = 0;
  for (const TPSU* psu : PSUs) supplies |= StatusBit(psu->Status);
  Warnings = SystemWarnings(SystemFacts(*this, networks, supplies));
  OnWarningsChanged.Notify(*this);
}

void TControlPanel::AddPSU(TPSU* psu) {
  PSUs.push_back(psu);
  psu->ControlPanel = this;
  psu->SetColor(PaletteColour(PSUs.size() - 1));
  psu->SetSystemGrade(Grade);
  psu->Module.SetStandard(Standard);
  psu->Module.SetAlarmPeriod(AlarmPeriod);
  psu->Module.SetACFailSignalled(ACFailSignalled);
  psu->Module.SetBatteryFactor(BatteryFactor);
  psu->Touch();  // its module took the panel's settings
  BuildWarnings();
}

void TControlPanel::RemovePSU(TPSU* psu) {
  const auto found = std::find(PSUs.begin(), PSUs.end(), psu);
  if (found == PSUs.end()) return;
  const size_t index = static_cast<size_t>(found - PSUs.begin());
  PSUs.erase(found);
  psu->ControlPanel = nullptr;
  if (Colours.size() < 2) return;
  const size_t last = Colours.size() - 1;
  // The freed colour goes to the end; later supplies move up with theirs.
  if (last > index) {
    std::string freed = Colours[index];
    Colours.erase(Colours.begin() + static_cast<std::ptrdiff_t>(index));
    Colours.push_back(std::move(freed));
  }
  if (PSUs.size() > last) {
    // The first supply that had no colour of its own takes the freed one, and
    // so do its clones and every device it powers.
    TPSU* recoloured = PSUs[last];
    recoloured->SetColor(PaletteColour(last));
    recoloured->UpdateColour();
    for (TPSUClone* clone : recoloured->Clones) {
      clone->SetColor(recoloured->Color());
      clone->UpdateColour();
    }
  }
}

void TControlPanel::ReleaseTiles() {
  for (TPSU* psu : PSUs) psu->ControlPanel = nullptr;
  PSUs.clear();
  Networks.clear();
}

void TControlPanel::WriteSystemReport(TStringList& list, const std::string& siteRef, const std::string& date) {
  list.push_back(Format("System Report for %s - Created %s", siteRef, date));
  WriteReport(list);
  for (TPanelNetwork* network : Networks) network->WriteReport(list);
  const TStatusSet networks = NetworkStatusSet();
  TStatusSet supplies = 0;
  for (TPSU* psu : PSUs) {
    psu->WriteReport(list);
    supplies |= StatusBit(psu->Status);
  }

  const TStringList issues = SystemIssues(SystemFacts(*this, networks, supplies));
  if (issues.empty()) return;
  list.push_back("_____________________________________________");
  list.push_back("** There may be some issues with this system: Summary below **");
  list.insert(list.end(), issues.begin(), issues.end());
}

}  // namespace voltaris
