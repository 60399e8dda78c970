#include "document/document.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <unordered_map>

#include "catalogue/format.h"
#include "document/parts_list.h"
#include "model/advice.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/status.h"
#include "model/toolbar_device.h"

namespace voltaris {

namespace {

// The canvas pixels the notes under a tile take: two lines of small type.
constexpr int NoteHeight = 22;

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
  const TPSU* psu = SupplyAt(canvas, saveIndex);
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

std::vector<std::pair<std::string, std::string>> WorksheetWorking(const TPowerModule& module,
                                                                  const TSourceAdvice& advice) {
  std::vector<std::pair<std::string, std::string>> lines;
  const double quiescent = module.TotalQuiescent() / 1000.0;
  const double alarm = module.TotalAlarm() / 1000.0;
  const double alarmHours = 2.0 * module.AlarmPeriod / 60.0;
  const double reserve = alarm * alarmHours;
  const double factor = module.BatteryFactor;
  const char* standard = module.Standard == StandardPD6662 ? "PD6662" : "EN50131-1";
  const char* signalled = module.ACFailSignalled ? "with AC fail signalled to an ARC" : "without AC fail signalling";
  if (module.Grade >= 1 && module.Grade <= 3) {
    lines.emplace_back("Required standby", Format("%d h: what %s asks at grade %d %s", module.RequiredStandby, standard,
                                                  module.Grade, signalled));
  } else {
    lines.emplace_back("Required standby", Format("%d h: no grade chosen", module.RequiredStandby));
  }
  lines.emplace_back("Alarm reserve",
                     Format("%.3f A alarm current x 2 x %d min alarm period = %.2f Ah (the alarm load is reserved "
                            "for twice the alarm period)",
                            alarm, module.AlarmPeriod, reserve));
  lines.emplace_back("Battery factor", Format("%.2f: %s %% degradation, applied to the hours the battery gives", factor,
                                              FloatToStr(std::round((1 - factor) * 1000) / 10)));
  if (module.BatteryIndex < 0 || module.BatteryCapacity <= 0) {
    lines.emplace_back("Standby time", "no battery fitted");
  } else if (module.TotalQuiescent() == 0) {
    lines.emplace_back("Standby time", "no quiescent load: not worked out");
  } else if (module.BatteryCapacity < reserve) {
    lines.emplace_back("Standby time",
                       Format("0 h: the %.1f Ah battery is less than the alarm reserve", module.BatteryCapacity));
  } else {
    lines.emplace_back("Standby time", Format("(%.1f Ah - %.2f Ah) / %.3f A x %.2f = %.2f h, against %d h required",
                                              module.BatteryCapacity, reserve, quiescent, factor, module.StandbyTime,
                                              module.RequiredStandby));
  }
  lines.emplace_back("Capacity required",
                     Format("the larger of %.2f Ah + %d h x %.3f A / %.2f and %d h x %.3f A: %.2f Ah", reserve,
                            module.RequiredStandby, quiescent, factor, module.RequiredStandby, quiescent,
                            RoundCapacityUp(advice.RequiredCapacity)));
  const double output = module.PeakAvailable + module.ChargeCurrent / 1000.0;
  lines.emplace_back("Peak available", Format("%.2f A output - %.3f A charging current = %.2f A, against %.3f A in "
                                              "alarm",
                                              output, module.ChargeCurrent / 1000.0, module.PeakAvailable, alarm));
  if (module.RequiredStandby > 0) {
    lines.emplace_back("Continuous rated",
                       Format("%.1f Ah / %d h = %.2f A, at most the %.2f A peak: %.2f A, against %.3f A quiescent",
                              module.BatteryCapacity, module.RequiredStandby,
                              module.BatteryCapacity / module.RequiredStandby, module.PeakAvailable,
                              module.ContinuousRated, quiescent));
  }
  return lines;
}

namespace {

// A figure pair as the device table shows it, quiescent then alarm: "35/45".
std::string Pair(int32_t quiescent, int32_t alarm) { return Format("%d/%d", quiescent, alarm); }

}  // namespace

TDocTable DeviceTable(const TCanvas& canvas, const TDesignAdvice& advice) {
  TDocTable table;
  table.Columns = {"No.",    "Device", "Network",         "Wired behind", "Fed from",  "Cable m",  "Ohms/100m",
                   "Data m", "Own mA", "Down- stream mA", "Mains V",      "Battery V", "Margin V", "Light"};
  std::unordered_map<const TDevice*, const TDeviceAdvice*> adviceOf;
  for (const TDeviceAdvice& device : advice.Devices) {
    if (const TVududa* tile = DeviceOf(canvas, device)) adviceOf.emplace(tile, &device);
  }
  std::unordered_map<const TDevice*, size_t> rowOf;
  // A parent's name as the table gives it: a network by its name, a device by its row.
  const auto nameOf = [&](const TNetwork* parent) -> std::string {
    if (!parent) return "-";
    if (const auto found = rowOf.find(parent); found != rowOf.end()) return Format("No. %d", found->second);
    return parent->Name();
  };
  // A device's row, then the rows of what hangs on it.
  std::function<void(const TNetDevice&)> add = [&](const TNetDevice& child) {
    if (rowOf.count(&child)) return;
    const auto found = adviceOf.find(&child);
    if (found == adviceOf.end()) {
      // A device the advice does not list (on no network, fed by nothing)
      // has no row, but what hangs on it may.
      for (const TNetDevice* next : child.Children) add(*next);
      return;
    }
    const auto& device = static_cast<const TVududa&>(child);
    const TDeviceAdvice& entry = *found->second;
    rowOf.emplace(&device, table.Rows.size() + 1);
    std::string fedFrom = nameOf(device.NetParent);
    if (const auto* supply = dynamic_cast<const TPSU*>(device.Supply)) fedFrom = SupplyName(*supply);
    if (const auto* clone = dynamic_cast<const TPSUClone*>(device.Supply); clone && clone->Master)
      fedFrom = SupplyName(*clone->Master);
    const TPanelNetwork* network = device.GetNetwork();
    table.Rows.push_back(
        {Format("%d", table.Rows.size() + 1), AdviceDeviceName(device), network ? network->Name() : "-",
         nameOf(device.NetParent), fedFrom, FloatToStr(device.CableLength), FloatToStr(device.Impedance * 100),
         FloatToStr(device.Supply ? device.NetCableLength : device.CableLength),
         Pair(device.OwnLoad.Quiescent, device.OwnLoad.Alarm),
         Pair(device.DownstreamLoad.Quiescent, device.DownstreamLoad.Alarm),
         Format("%.2f/%.2f", device.SupplyVolts, device.AlarmVolts),
         Format("%.2f/%.2f", entry.OnBatteryVolts[0], entry.OnBatteryVolts[1]),
         Format("%.2f", std::min(entry.QuiescentMargin, entry.AlarmMargin)), StatusWord(device.Status & 127)});
    for (const TNetDevice* next : device.Children) add(*next);
  };
  // Each network's chains in turn, then chains that start on no network.
  for (const auto& tile : canvas.Tiles()) {
    if (dynamic_cast<const TPanelNetwork*>(tile.get()))
      for (const TNetDevice* child : tile->Children) add(*child);
  }
  for (const auto& tile : canvas.Tiles()) {
    const TNetDevice* device = tile->AsNetDevice();
    if (device && !device->NetParent) add(*device);
  }
  return table;
}

TStringList TableText(const TDocTable& table) {
  std::vector<size_t> widths(table.Columns.size(), 0);
  const auto measure = [&](const std::vector<std::string>& row) {
    for (size_t c = 0; c < widths.size() && c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  };
  measure(table.Columns);
  for (const auto& row : table.Rows) measure(row);
  const auto line = [&](const std::vector<std::string>& row) {
    std::string text;
    for (size_t c = 0; c < widths.size(); ++c) {
      const std::string cell = c < row.size() ? row[c] : std::string();
      text += cell;
      if (c + 1 < widths.size()) text += std::string(widths[c] - cell.size() + 2, ' ');
    }
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
  };
  TStringList lines{line(table.Columns)};
  for (const auto& row : table.Rows) lines.push_back(line(row));
  return lines;
}

std::vector<size_t> ReportRuns(const TStringList& lines) {
  std::vector<size_t> runs;
  size_t start = 0;
  bool inEntry = false;
  const auto blank = [](const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; };
  const auto ruled = [&](const std::string& text) {
    return !blank(text) && text.find_first_not_of(" _-") == std::string::npos;
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& text = lines[i];
    const size_t first = text.find_first_not_of(' ');
    if (!inEntry && first != std::string::npos && text.compare(first, 5, "Name:") == 0) {
      // An entry starts a run of its own.
      if (i > start) runs.push_back(i - start);
      start = i;
      inEntry = true;
    }
    const bool ends = inEntry ? ruled(text) : blank(text);
    if (ends) {
      runs.push_back(i + 1 - start);
      start = i + 1;
      inEntry = false;
    }
  }
  if (start < lines.size()) runs.push_back(lines.size() - start);
  return runs;
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

std::vector<TDocDrawing> DrawingParts(const TCanvas& canvas, TStringList* unused) {
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
    const bool onlyBlocks = part.Wires.empty() && std::all_of(part.Tiles.begin(), part.Tiles.end(),
                                                              [](const TTileLook& look) { return look.NetworkBlock; });
    if (onlyBlocks) {
      for (const auto& tile : canvas.Tiles()) {
        if (unused && dynamic_cast<const TPanelNetwork*>(tile.get()) && reaches(tile->Top(), tile->Height()))
          unused->push_back(tile->Name());
      }
      continue;
    }
    for (const auto& tile : canvas.Tiles()) {
      if (!reaches(tile->Top(), tile->Height())) continue;
      if (const auto* device = dynamic_cast<const TVududa*>(tile.get())) {
        part.Notes.push_back({tile->Left(), tile->Width(), tile->Top() + tile->Height(),
                              device->Location.empty() ? "Not Defined" : device->Location,
                              StatusWord(tile->Status & 127)});
      } else if (const auto* psu = dynamic_cast<const TPSU*>(tile.get())) {
        part.Notes.push_back({tile->Left(), tile->Width(), tile->Top() + tile->Height(), SupplyName(*psu),
                              StatusWord(tile->Status & 127)});
      } else if (const auto* clone = dynamic_cast<const TPSUClone*>(tile.get()); clone && clone->Master) {
        part.Notes.push_back({tile->Left(), tile->Width(), tile->Top() + tile->Height(),
                              SupplyName(*clone->Master) + ", again", StatusWord(tile->Status & 127)});
      }
    }
    // Only as tall as what it holds.
    int used = part.Top;
    for (const TTileLook& look : part.Tiles) used = std::max(used, look.Top + look.Height);
    for (const TWire& wire : part.Wires) used = std::max(used, wire.Top + wire.Height);
    for (const TDocDrawing::TNote& note : part.Notes) used = std::max(used, note.Top + NoteHeight);
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
  document.Title = "Power Supply Design Record: " + source.SiteRef;
  document.Author = details.Company;
  document.Subject = Format("%s: %s, grade %d, %s", source.FileName, PanelName(panel.PanelType), panel.Grade,
                            panel.Standard == StandardPD6662 ? "PD6662" : "EN50131-1");

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
  // How each source's figures are worked out, each source on one page.
  const auto working = [&](const std::string& name, const TPowerModule& module, int32_t saveIndex) {
    TDocBlock block = Block(TDocBlockKind::KeyValues);
    block.KeepTogether = true;
    block.Pairs = {{name, ""}};
    for (auto& line : WorksheetWorking(module, WorkOutSourceAdvice(module, saveIndex))) block.Pairs.push_back(line);
    document.Blocks.push_back(std::move(block));
  };
  document.Blocks.push_back(Block(TDocBlockKind::Heading, "How the Worksheet Is Worked Out"));
  working("Control panel " + PanelName(panel.PanelType), panel, -1);
  for (const TPSU* psu : panel.PSUs) working(SupplyName(*psu), psu->Module, psu->SaveIndex);

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

  // What to order, on a page of its own after the worksheet and its records.
  document.Blocks.push_back(Block(TDocBlockKind::PageBreak));
  document.Blocks.push_back(Block(TDocBlockKind::Heading, "Parts List"));
  TDocBlock partsList = Block(TDocBlockKind::Table);
  partsList.Table = PartsListTable(BuildPartsList(panel, source.Canvas));
  document.Blocks.push_back(std::move(partsList));

  if (!advice.Devices.empty()) {
    document.Blocks.push_back(Block(TDocBlockKind::PageBreak));
    document.Blocks.push_back(Block(TDocBlockKind::Heading, "Device Table"));
    TDocBlock how = Block(TDocBlockKind::KeyValues);
    how.Pairs = {{"How to check it",
                  "Every network and supply gives 13.60 V. A device's voltage is what it is fed from (a network, "
                  "a supply or the row named) less its cable's current, own plus downstream, x the cable's length "
                  "x its ohms per 100 m / 100 (mA x ohms / 1000 = V). On battery every voltage is lower by 13.60 V "
                  "less the battery's voltage. Pairs of figures are quiescent/alarm."}};
    document.Blocks.push_back(std::move(how));
    TDocBlock table = Block(TDocBlockKind::Table);
    table.Table = DeviceTable(source.Canvas, advice);
    document.Blocks.push_back(std::move(table));
  }

  TStringList unused;
  std::vector<TDocDrawing> parts = DrawingParts(source.Canvas, &unused);
  if (!parts.empty() || !unused.empty()) {
    document.Blocks.push_back(Block(TDocBlockKind::PageBreak));
    document.Blocks.push_back(Block(TDocBlockKind::Heading, "Drawing"));
    for (TDocDrawing& part : parts) {
      TDocBlock drawing = Block(TDocBlockKind::Drawing);
      drawing.Drawing = std::move(part);
      document.Blocks.push_back(std::move(drawing));
    }
    if (!unused.empty()) {
      std::string names = unused.front();
      for (size_t i = 1; i < unused.size(); ++i) names += ", " + unused[i];
      TDocBlock none = Block(TDocBlockKind::KeyValues);
      none.Pairs = {{"Nothing connected", names}};
      document.Blocks.push_back(std::move(none));
    }
  }

  document.Blocks.push_back(Block(TDocBlockKind::PageBreak));
  document.Blocks.push_back(Block(TDocBlockKind::Heading, "System Report"));
  TDocBlock report = Block(TDocBlockKind::Preformatted);
  report.Lines = source.Report;
  report.Runs = ReportRuns(report.Lines);
  document.Blocks.push_back(std::move(report));

  TDocBlock signature = Block(TDocBlockKind::Signature);
  signature.Pairs = {{"Installer", details.Company}, {"Engineer", details.Engineer}, {"Date", ""}};
  document.Blocks.push_back(std::move(signature));
  return document;
}

}  // namespace voltaris
