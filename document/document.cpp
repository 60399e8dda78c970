#include "document/document.h"

#include <algorithm>

#include "catalogue/format.h"
#include "model/advice.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/status.h"
#include "model/toolbar_device.h"

namespace voltaris {

namespace {

const char* StatusWord(uint8_t status) {
  const char* name = StatusImageName(status);
  return name ? name : "Unknown";
}

// The control panel's light by the rules of a supply's: Blue without a
// battery, then Orange for an alarm overload, Red for too little backup,
// Yellow for equipment below the grade.
uint8_t SourceStatus(const TPowerModule& module) {
  if (module.BatteryIndex < 0) return Blue;
  uint8_t status = Green;
  if (module.AlarmOverload) status = Orange;
  if (module.InsufficientBackup) status = Red;
  if (module.LowestDeviceGrade < module.Grade) status = Yellow;
  return status;
}

// The battery worksheet's verdict of a source: what is wrong with it, or "OK".
std::string SourceVerdict(const TPowerModule& module) {
  TStringList problems;
  if (module.BatteryIndex < 0 || module.BatteryCapacity <= 0) problems.push_back("No battery fitted");
  if (module.InsufficientBackup) problems.push_back("Insufficient backup");
  if (module.AlarmOverload) problems.push_back("Alarm overload");
  if (module.ContinuousOverload) problems.push_back("Continuous overload");
  if (problems.empty()) return "OK";
  std::string verdict = problems.front();
  for (size_t i = 1; i < problems.size(); ++i) verdict += ", " + problems[i];
  return verdict;
}

std::string PanelName(int32_t panelType) {
  return panelType >= 0 && panelType < PanelTypeCount ? PanelOptsTable[static_cast<size_t>(panelType)].Name : "";
}

std::string BatteryFitted(const TPowerModule& module) {
  if (module.BatteryIndex < 0 || module.BatteryCapacity <= 0) return "None";
  return Format("%.1f Ah", module.BatteryCapacity);
}

std::vector<std::string> WorksheetRow(const std::string& source, const TPowerModule& module,
                                      const TSourceAdvice& advice) {
  // The alarm load is reserved for twice the alarm period, as the standby
  // calculation reserves it.
  const double alarmReserve = (module.TotalAlarm() / 1000.0) * (2.0 * module.AlarmPeriod / 60.0);
  return {source,
          Format("%d mA", module.TotalQuiescent()),
          Format("%d mA", module.TotalAlarm()),
          Format("%d min", module.AlarmPeriod),
          Format("%.2f Ah", alarmReserve),
          Format("%d h", module.RequiredStandby),
          Format("%.2f Ah", RoundCapacityUp(advice.RequiredCapacity)),
          BatteryFitted(module),
          Format("%.2f h", module.StandbyTime),
          Format("%.2f A", module.PeakAvailable),
          Format("%.2f A", module.ContinuousRated),
          SourceVerdict(module)};
}

// How the documents name a power source: "Control panel Orvane 700", or the
// supply at save index `saveIndex` by its number and label.
std::string SourceName(const TControlPanel& panel, const TCanvas& canvas, int32_t saveIndex) {
  if (saveIndex < 0) return "Control panel " + PanelName(panel.PanelType);
  const auto& tiles = canvas.Tiles();
  const auto* psu = static_cast<size_t>(saveIndex) < tiles.size()
                        ? dynamic_cast<const TPSU*>(tiles[static_cast<size_t>(saveIndex)].get())
                        : nullptr;
  return psu ? SupplyName(*psu) : "Supply";
}

TDocBlock Block(TDocBlockKind kind, std::string text = std::string()) {
  TDocBlock block;
  block.Kind = kind;
  block.Text = std::move(text);
  return block;
}

}  // namespace

TDocTable BatteryWorksheet(const TControlPanel& panel) {
  TDocTable table;
  table.Columns = {"Source",        "Quiescent load",   "Alarm load",        "Alarm period",
                   "Alarm reserve", "Required standby", "Capacity required", "Battery fitted",
                   "Standby time",  "Peak available",   "Continuous rated",  "Verdict"};
  table.Rows.push_back(
      WorksheetRow("Control panel " + PanelName(panel.PanelType), panel, WorkOutSourceAdvice(panel, -1)));
  for (size_t i = 0; i < panel.PSUs.size(); ++i) {
    const TPSU& psu = *panel.PSUs[i];
    table.Rows.push_back(WorksheetRow(SupplyName(psu), psu.Module, WorkOutSourceAdvice(psu.Module, psu.SaveIndex)));
  }
  return table;
}

TDocTable RechargeRecord(const TControlPanel& panel, const TCanvas& canvas, const TDesignAdvice& advice) {
  TDocTable table;
  table.Columns = {"Source",
                   "Recharge to 80%",
                   "Limit",
                   "Verdict",
                   "Standby current, mains off (measured)",
                   "Battery volts (measured)",
                   "Battery fitted on",
                   "Replace by"};
  for (const TSourceAdvice& source : advice.Sources) {
    const std::string name = SourceName(panel, canvas, source.SaveIndex);
    std::string verdict = "No battery";
    if (source.RechargeOk) verdict = *source.RechargeOk ? "OK" : "Too slow";
    if (source.RechargeHours && !source.RechargeLimitHours) verdict = "No limit at this grade";
    // The last four are filled in on site: empty boxes.
    table.Rows.push_back({name, source.RechargeHours ? Format("%.2f h", *source.RechargeHours) : "-",
                          source.RechargeLimitHours ? Format("%d h", *source.RechargeLimitHours) : "-", verdict, "", "",
                          "", ""});
  }
  return table;
}

TDocTable OnBatteryRecord(const TCanvas& canvas, const TDesignAdvice& advice) {
  TDocTable table;
  table.Columns = {"Device", "On battery (quiescent / alarm)", "Minimum", "Verdict",
                   "Voltage at the device (measured)"};
  for (const TDeviceAdvice& device : advice.Devices) {
    const TVududa* tile = DeviceOf(canvas, device);
    if (!tile) continue;
    table.Rows.push_back({AdviceDeviceName(*tile),
                          Format("%.2f / %.2f V", device.OnBatteryVolts[0], device.OnBatteryVolts[1]),
                          Format("%.2f V", tile->MinVolts), device.OnBatteryOk ? "OK" : "Below minimum", ""});
  }
  return table;
}

std::string DesignVerdict(const TControlPanel& panel, const TCanvas& canvas, uint8_t* worst) {
  // Every light the installer answers for: the control panel's (by the
  // rules of a supply's), every supply's and every network device's. A
  // clone shows its master's light and a network block its devices'.
  std::array<int, 5> counts{};
  TStatusSet seen = StatusBit(SourceStatus(panel));
  ++counts[SourceStatus(panel)];
  for (const auto& tile : canvas.Tiles()) {
    if (!tile->AsNetDevice() && !dynamic_cast<const TPSU*>(tile.get())) continue;
    const uint8_t status = tile->Status & 127;
    if (status >= counts.size()) continue;
    ++counts[status];
    seen |= StatusBit(status);
  }
  if (worst) *worst = WorstStatus(seen);
  const int problems = counts[Blue] + counts[Yellow] + counts[Red] + counts[Orange];
  if (problems == 0) return "All Green";
  std::string byLight;
  for (uint8_t status : {Blue, Yellow, Red, Orange}) {
    if (counts[status] == 0) continue;
    if (!byLight.empty()) byLight += ", ";
    byLight += Format("%d %s", counts[status], StatusWord(status));
  }
  return Format(problems == 1 ? "%d problem: %s" : "%d problems: %s", problems, byLight);
}

std::vector<TDocDrawing> DrawingParts(const TCanvas& canvas) {
  std::vector<int> tops;
  int width = 1;
  int bottom = 0;
  for (const auto& tile : canvas.Tiles()) {
    if (dynamic_cast<const TPanelNetwork*>(tile.get())) tops.push_back(tile->Top());
    width = std::max(width, tile->Left() + tile->Width());
    bottom = std::max(bottom, tile->Top() + tile->Height());
  }
  std::sort(tops.begin(), tops.end());
  tops.erase(std::unique(tops.begin(), tops.end()), tops.end());
  if (tops.empty() || tops.front() > 0) tops.insert(tops.begin(), 0);
  if (bottom <= tops.front()) return {};
  std::vector<TDocDrawing> parts;
  for (size_t k = 0; k < tops.size(); ++k) {
    TDocDrawing part;
    part.Top = tops[k];
    part.Bottom = k + 1 < tops.size() ? tops[k + 1] : bottom;
    part.Width = width;
    if (part.Bottom <= part.Top) continue;
    auto reaches = [&](int top, int height) { return top < part.Bottom && top + height > part.Top; };
    for (const auto& tile : canvas.Tiles()) {
      if (reaches(tile->Top(), tile->Height())) part.Tiles.push_back(LookOf(*tile));
      if (const TNetDevice* device = tile->AsNetDevice()) {
        for (const TWire* wire : {device->ParentWire.get(), device->SupplyWire.get()}) {
          if (wire && reaches(wire->Top, wire->Height)) part.Wires.push_back(*wire);
        }
      }
    }
    if (part.Tiles.empty() && part.Wires.empty()) continue;
    // Only as tall as what it holds.
    int used = part.Top;
    for (const TTileLook& look : part.Tiles) used = std::max(used, look.Top + look.Height);
    for (const TWire& wire : part.Wires) used = std::max(used, wire.Top + wire.Height);
    part.Bottom = std::min(part.Bottom, used);
    parts.push_back(std::move(part));
  }
  return parts;
}

TDocument BuildDocument(const TDocumentSource& source) {
  const TControlPanel& panel = source.Panel;
  const TProjectDetails& details = source.Canvas.Context().Details;
  TDocument document;
  document.FooterText = source.SiteRef;

  document.Blocks.push_back(Block(TDocBlockKind::Title, "Power Supply Design Record"));
  TDocBlock project = Block(TDocBlockKind::KeyValues);
  project.Pairs = {{"Site reference", source.SiteRef},
                   {"File name", source.FileName},
                   {"Date", source.Date},
                   {"Panel model", PanelName(panel.PanelType)},
                   {"Grade", Format("%d", panel.Grade)},
                   {"Standard", panel.Standard == StandardPD6662 ? "PD6662" : "EN50131-1"},
                   {"AC-fail signalling", panel.ACFailSignalled ? "AC Fail Signalled to ARC" : "Not signalled"}};
  document.Blocks.push_back(std::move(project));
  TDocBlock verdict = Block(TDocBlockKind::Verdict);
  verdict.Text = DesignVerdict(panel, source.Canvas, &verdict.Status);
  document.Blocks.push_back(std::move(verdict));
  document.Blocks.push_back(Block(TDocBlockKind::Heading, "Project Details"));
  TDocBlock people = Block(TDocBlockKind::KeyValues);
  people.Pairs = {{"Installer company", details.Company},
                  {"Engineer", details.Engineer},
                  {"Customer", details.Customer},
                  {"Site address", details.SiteAddress},
                  {"Notes", details.Notes}};
  document.Blocks.push_back(std::move(people));

  document.Blocks.push_back(Block(TDocBlockKind::PageBreak));
  document.Blocks.push_back(Block(TDocBlockKind::Heading, "Battery Worksheet"));
  TDocBlock worksheet = Block(TDocBlockKind::Table);
  worksheet.Table = BatteryWorksheet(panel);
  document.Blocks.push_back(std::move(worksheet));

  // Beyond the light: the recharge time and the voltages on battery, with
  // the boxes an inspector expects filled in on site.
  const TDesignAdvice advice = WorkOutAdvice(panel, source.Canvas);
  document.Blocks.push_back(Block(TDocBlockKind::Heading, "Checks Beyond the Light and Commissioning Record"));
  TDocBlock assumed = Block(TDocBlockKind::KeyValues);
  assumed.Pairs = {{"Battery volts on mains failure (assumed)", Format("%.2f V", advice.BatteryVolts)}};
  document.Blocks.push_back(std::move(assumed));
  TDocBlock recharge = Block(TDocBlockKind::Table);
  recharge.Table = RechargeRecord(panel, source.Canvas, advice);
  document.Blocks.push_back(std::move(recharge));
  if (!advice.Devices.empty()) {
    TDocBlock devices = Block(TDocBlockKind::Table);
    devices.Table = OnBatteryRecord(source.Canvas, advice);
    document.Blocks.push_back(std::move(devices));
  }

  std::vector<TDocDrawing> parts = DrawingParts(source.Canvas);
  if (!parts.empty()) {
    document.Blocks.push_back(Block(TDocBlockKind::PageBreak));
    document.Blocks.push_back(Block(TDocBlockKind::Heading, "Drawing"));
    for (TDocDrawing& part : parts) {
      TDocBlock drawing = Block(TDocBlockKind::Drawing);
      drawing.Drawing = std::move(part);
      document.Blocks.push_back(std::move(drawing));
    }
  }

  document.Blocks.push_back(Block(TDocBlockKind::PageBreak));
  document.Blocks.push_back(Block(TDocBlockKind::Heading, "System Report"));
  TDocBlock report = Block(TDocBlockKind::Preformatted);
  report.Lines = source.Report;
  document.Blocks.push_back(std::move(report));

  TDocBlock signature = Block(TDocBlockKind::Signature);
  signature.Pairs = {{"Installer", details.Company}, {"Engineer", details.Engineer}, {"Date", ""}};
  document.Blocks.push_back(std::move(signature));
  return document;
}

}  // namespace voltaris
