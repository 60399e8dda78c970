#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "model/advice.h"
#include "model/net_device.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "project_io/project_files.h"

namespace voltaris {
namespace {

struct RunResult {
  int status = -1;
  std::string out;
};

// Runs a command line and collects what it prints on standard output.
RunResult RunCommand(const std::string& command) {
  RunResult result;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"), pclose);
  std::array<char, 4096> buffer;
  size_t got;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) result.out.append(buffer.data(), got);
  const int status = pclose(pipe.release());
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string Tool = VOLTARIS_REPORT;
const std::string Examples = VOLTARIS_EXAMPLES;

TEST(VoltarisReport, PrintsTheSystemReportOfAnExample) {
  const RunResult result = RunCommand(Tool + " --data " + Examples + " --date 08/12/2026 CornerShop");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, Read(std::string(VOLTARIS_TOOLS_TESTS) + "/corner_shop_report.txt"));
}

// The JSON carries the figures the model shows after the same load.
TEST(VoltarisReport, JsonHasTheFiguresOfTheLoadedDesign) {
  const RunResult result = RunCommand(Tool + " --json --data " + Examples + " Warehouse");
  ASSERT_EQ(result.status, 0);
  const nlohmann::json json = nlohmann::json::parse(result.out);

  TSettings settings;
  TProject project = LoadProjectFiles(Examples, "Warehouse", settings);
  const TControlPanel& panel = *project.ControlPanel;
  EXPECT_EQ(json["Settings"]["CableImpedance"].get<double>(), settings.CableImpedance);
  EXPECT_EQ(json["ControlPanel"]["Name"], "Orvane 700");
  EXPECT_EQ(json["ControlPanel"]["TotalQuiescent"], panel.TotalQuiescent());
  EXPECT_EQ(json["ControlPanel"]["StandbyTime"].get<double>(), panel.StandbyTime);  // read back exactly
  EXPECT_EQ(json["ControlPanel"]["ChargeCurrent"], 750);
  EXPECT_EQ(json["ControlPanel"]["LowestNetworkGrade"], panel.LowestNetworkGrade);
  EXPECT_TRUE(json["Warnings"].is_array());

  const auto& tiles = project.Canvas->Tiles();
  ASSERT_EQ(json["Tiles"].size(), tiles.size());
  int devices = 0, supplies = 0, clones = 0;
  for (size_t i = 0; i < tiles.size(); ++i) {
    const nlohmann::json& tile = json["Tiles"][i];
    EXPECT_EQ(tile["SaveIndex"], i);
    EXPECT_EQ(tile["Class"], tiles[i]->ClassName());
    EXPECT_EQ(tile["Left"], tiles[i]->Left());
    if (const auto* device = dynamic_cast<const TNetDevice*>(tiles[i].get())) {
      ++devices;
      EXPECT_EQ(tile["SupplyVolts"].get<double>(), device->SupplyVolts);
      EXPECT_EQ(tile["AlarmVolts"].get<double>(), device->AlarmVolts);
      EXPECT_EQ(tile["DownstreamLoad"][1], device->DownstreamLoad.Alarm);
      EXPECT_EQ(tile["NetParent"], device->NetParent ? project.Canvas->IndexOf(device->NetParent) : -1);
      EXPECT_EQ(tile["Supply"], device->Supply ? project.Canvas->IndexOf(device->Supply) : -1);
    } else if (const auto* psu = dynamic_cast<const TPSU*>(tiles[i].get())) {
      ++supplies;
      EXPECT_EQ(tile["Module"]["TotalAlarm"], psu->Module.TotalAlarm());
      EXPECT_EQ(tile["InUse"], psu->InUse);
    } else if (const auto* clone = dynamic_cast<const TPSUClone*>(tiles[i].get())) {
      ++clones;
      EXPECT_EQ(tile["Master"], project.Canvas->IndexOf(clone->Master));
    }
  }
  EXPECT_GE(devices, 8);
  EXPECT_EQ(supplies, 2);
  EXPECT_EQ(clones, 1);
}

// The advice figures of every source and device, read back exactly.
TEST(VoltarisReport, JsonHasTheAdviceOfTheLoadedDesign) {
  const RunResult result = RunCommand(Tool + " --json --data " + Examples + " Warehouse");
  ASSERT_EQ(result.status, 0);
  const nlohmann::json json = nlohmann::json::parse(result.out)["Advice"];

  TSettings settings;
  TProject project = LoadProjectFiles(Examples, "Warehouse", settings);
  const TDesignAdvice advice = WorkOutAdvice(*project.ControlPanel, *project.Canvas);
  ASSERT_EQ(json["Sources"].size(), 3u);  // the panel and its two supplies
  ASSERT_EQ(json["Sources"].size(), advice.Sources.size());
  EXPECT_EQ(json["Sources"][0]["SaveIndex"], -1);
  for (size_t i = 0; i < advice.Sources.size(); ++i) {
    const nlohmann::json& source = json["Sources"][i];
    const TSourceAdvice& expected = advice.Sources[i];
    EXPECT_EQ(source["SaveIndex"], expected.SaveIndex);
    EXPECT_EQ(source["RequiredCapacity"].get<double>(), expected.RequiredCapacity);
    EXPECT_EQ(source["RecommendedBattery"], expected.RecommendedBattery);
    EXPECT_EQ(source["RecommendedBatteryName"], expected.RecommendedBatteryName);
    EXPECT_EQ(source["StandbyHeadroom"].get<double>(), expected.StandbyHeadroom);
    EXPECT_EQ(source["AlarmHeadroom"].get<double>(), expected.AlarmHeadroom);
    EXPECT_EQ(source["ContinuousHeadroom"].get<double>(), expected.ContinuousHeadroom);
    // The recharge to 80 %: every source of the warehouse has a battery, at grade 3.
    const TPowerModule& module =
        i == 0 ? *project.ControlPanel
               : dynamic_cast<const TPSU&>(*project.Canvas->Tiles().at(static_cast<size_t>(expected.SaveIndex))).Module;
    ASSERT_GE(module.BatteryIndex, 0);
    EXPECT_EQ(source["RechargeHours"].get<double>(), 0.8 * module.BatteryCapacity * 1000 / module.ChargeCurrent);
    EXPECT_EQ(source["RechargeLimitHours"], 24);
    EXPECT_EQ(source["RechargeOk"], source["RechargeHours"].get<double>() <= 24);
  }
  EXPECT_EQ(json["BatteryVolts"].get<double>(), 12.0);
  ASSERT_EQ(json["Devices"].size(), advice.Devices.size());
  EXPECT_GE(advice.Devices.size(), 8u);
  for (size_t i = 0; i < advice.Devices.size(); ++i) {
    const nlohmann::json& device = json["Devices"][i];
    const TDeviceAdvice& expected = advice.Devices[i];
    EXPECT_EQ(device["SaveIndex"], expected.SaveIndex);
    const auto& tile = *project.Canvas->Tiles().at(static_cast<size_t>(expected.SaveIndex));
    EXPECT_EQ(device["QuiescentMargin"].get<double>(), tile.SupplyVolts - tile.MinVolts);
    EXPECT_EQ(device["AlarmMargin"].get<double>(), expected.AlarmMargin);
    if (expected.MaxCableLength) {
      EXPECT_EQ(device["MaxCableLength"].get<double>(), *expected.MaxCableLength);
    } else {
      EXPECT_TRUE(device["MaxCableLength"].is_null());
    }
    ASSERT_EQ(device["DoubledCoresVolts"].size(), 2u);
    EXPECT_EQ(device["DoubledCoresVolts"][0].get<double>(), expected.DoubledCoresVolts[0]);
    EXPECT_EQ(device["DoubledCoresVolts"][1].get<double>(), expected.DoubledCoresVolts[1]);
    // On battery: the voltages shown less 13.6 - 12.0 V.
    ASSERT_EQ(device["OnBatteryVolts"].size(), 2u);
    EXPECT_NEAR(device["OnBatteryVolts"][0].get<double>(), tile.SupplyVolts - 1.6, 1e-9);
    EXPECT_NEAR(device["OnBatteryVolts"][1].get<double>(), tile.AlarmVolts - 1.6, 1e-9);
    EXPECT_EQ(device["OnBatteryOk"], expected.OnBatteryOk);
  }
}

// The parts list under its own member names in the JSON, and as text with
// --parts (the figures are worked out by hand in tests/document).
TEST(VoltarisReport, PrintsThePartsListAndCarriesItInTheJson) {
  const RunResult result = RunCommand(Tool + " --json --data " + Examples + " Warehouse");
  const nlohmann::json parts = nlohmann::json::parse(result.out)["Parts"];
  EXPECT_EQ(parts["Panel"], "Orvane 700");
  EXPECT_EQ(parts["Devices"][0], nlohmann::json::parse(R"({"Name": "Orvane D1", "Count": 2})"));
  EXPECT_EQ(parts["Supplies"], 2);
  EXPECT_EQ(parts["Batteries"][1], nlohmann::json::parse(R"({"Name": "17.0 Ah", "Count": 2})"));
  EXPECT_EQ(parts["Equipment"][7], nlohmann::json::parse(R"({"Name": "Sovra AMQD Plus PIR", "Count": 8})"));
  EXPECT_EQ(parts["CableMetres"],
            nlohmann::json::parse(R"({"Networks": [145, 150, 60, 0, 0, 0, 0, 0], "Total": 355})"));
  const RunResult text = RunCommand(Tool + " --parts --data " + Examples + " Warehouse");
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out.rfind("Section            Item                   Quantity  Unit\n", 0), 0u) << text.out;
  EXPECT_NE(text.out.find("\nCable per network  Total                  355.0     m\n"), std::string::npos);
  EXPECT_NE(RunCommand(Tool + " --help").out.find("[--parts]"), std::string::npos);
}

// The Orvane 200 of the corner shop needs 1005 mA in alarm of its 0.88 A:
// 1.005 A x 0.5 h + 12 h x 0.363 A = 4.8585 Ah, and no battery helps. Its
// 7.2 Ah at 120 mA recharges in 48 h; each device on battery is its mains
// voltage less 1.6 V.
TEST(VoltarisReport, AdviceFollowsTheUnchangedReport) {
  const RunResult result = RunCommand(Tool + " --advice --data " + Examples + " --date 08/12/2026 CornerShop");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(
      result.out,
      Read(std::string(VOLTARIS_TOOLS_TESTS) + "/corner_shop_report.txt") +
          "\nDesign Advice\n"
          "Orvane 200: alarm current 1.00 A exceeds the 0.88 A peak available: no battery changes "
          "that; move alarm load to a remote supply\n"
          "\nChecks Beyond the Light (battery at 12.00 V on mains failure)\n"
          "Orvane 200: recharges to 80% in 48.00 h, limit 72 h: pass\n"
          "Front door - Orvane K8: on battery 11.95 V quiescent, 11.93 V in alarm, minimum 10.50 V: "
          "pass\n"
          "Office - Orvane D1: on battery 11.93 V quiescent, 11.89 V in alarm, minimum 10.50 V: pass\n"
          "Stockroom - Orvane E8: on battery 11.71 V quiescent, 11.69 V in alarm, minimum 10.50 V: "
          "pass\n"
          "Back door - Orvane K4: on battery 11.67 V quiescent, 11.63 V in alarm, minimum 10.50 V: "
          "pass\n"
          // The back door, behind the stockroom: 13.31 - 35 mA x 12 m x 10 / 100000 = 13.268
          // (13.27) quiescent, 13.29 - 45 x 12 x 10 / 100000 = 13.236 (13.23 from the stockroom's
          // unrounded 13.2905) in alarm.
          "\n"
          "Device Table (each voltage: what feeds it less (own + downstream mA) x metres x ohms per 100 m / 100000)\n"
          "No.  Device                  Network   Wired behind  Fed from  Cable m  Ohms/100m  Data m  Own mA  Down- "
          "stream mA  Mains V      Battery V    Margin V  Light\n"
          "1    Front door - Orvane K8  Network1  Network1      Network1  15       10         15      35/45   0/0      "
          "        13.55/13.53  11.95/11.93  3.03      Green\n"
          "2    Office - Orvane D1      Network1  Network1      Network1  20       10         20      25/45   9/9      "
          "        13.53/13.49  11.93/11.89  2.99      Green\n"
          "3    Stockroom - Orvane E8   Network1  Network1      Network1  25       10         25      35/35   80/90    "
          "        13.31/13.29  11.71/11.69  2.79      Green\n"
          "4    Back door - Orvane K4   Network1  No. 3         No. 3     12       10         12      35/45   0/0      "
          "        13.27/13.23  11.67/11.63  2.73      Green\n");
}

TEST(VoltarisReport, ExitStatusTellsUsageErrorsFromLoadFailures) {
  EXPECT_EQ(RunCommand(Tool).status, 2);
  EXPECT_EQ(RunCommand(Tool + " --bogus CornerShop").status, 2);
  EXPECT_EQ(RunCommand(Tool + " ../CornerShop").status, 2);
  // An empty PDF name is a usage error, not the text report with success.
  const auto emptyPdf = RunCommand(Tool + " --data " + Examples + " --pdf '' CornerShop");
  EXPECT_EQ(emptyPdf.status, 2);
  EXPECT_EQ(emptyPdf.out, "");
  EXPECT_EQ(RunCommand(Tool + " --data " + Examples + " NoSuchProject").status, 1);
  const auto broken = std::filesystem::temp_directory_path() / ("voltaris-report-broken-" + std::to_string(getpid()));
  std::filesystem::create_directories(broken);
  std::filesystem::copy_file(Examples + "/CornerShop.pjx", broken / "CornerShop.pjx",
                             std::filesystem::copy_options::overwrite_existing);
  std::ofstream(broken / "CornerShop.dat", std::ios::binary) << "short";
  EXPECT_EQ(RunCommand(Tool + " --data " + broken.string() + " CornerShop").status, 1);
  std::filesystem::remove_all(broken);
}

// A named pipe where a project file should be (one no program writes) is
// refused at once, not waited on for ever, and so is a link to a device that
// never ends: the error says what stands there. A time limit turns a hang
// into a failure.
TEST(VoltarisReport, APipeOrAnEndlessDeviceInPlaceOfAProjectFileIsRefusedAtOnce) {
  namespace fs = std::filesystem;
  const fs::path data = fs::temp_directory_path() / ("voltaris-report-pipe-" + std::to_string(getpid()));
  const struct {
    const char* file;
    const char* make;
    const char* says;
  } cases[] = {
      {"CornerShop.dat", "mkfifo", "CornerShop.dat: is a named pipe (FIFO), not a file"},
      {"CornerShop.pjx", "mkfifo", "CornerShop.pjx: is a named pipe (FIFO), not a file"},
      {"CornerShop.pjx", "ln -s /dev/zero", "CornerShop.pjx: is a device, not a file"},
  };
  for (const auto& each : cases) {
    fs::remove_all(data);
    fs::create_directories(data);
    for (const char* name : {"CornerShop.dat", "CornerShop.pjx"}) fs::copy_file(Examples + "/" + name, data / name);
    fs::remove(data / each.file);
    ASSERT_EQ(std::system((std::string(each.make) + " '" + (data / each.file).string() + "'").c_str()), 0);
    const RunResult result = RunCommand("(timeout 20 " + Tool + " --data '" + data.string() + "' CornerShop 2>&1)");
    EXPECT_EQ(result.status, 1) << each.file << " " << each.make;
    EXPECT_NE(result.out.find(each.says), std::string::npos) << result.out;
  }
  fs::remove_all(data);
}

// The shipped examples are what the designer's commands make today.
TEST(Examples, AreCurrent) {
  const auto work = std::filesystem::temp_directory_path() / ("voltaris-examples-" + std::to_string(getpid()));
  std::filesystem::remove_all(work);
  ASSERT_EQ(RunCommand(std::string(VOLTARIS_MAKE_EXAMPLES) + " " + work.string()).status, 0);
  for (const char* name : {"Accounts.db", "CornerShop.dat", "CornerShop.pjx", "Warehouse.dat", "Warehouse.pjx"}) {
    EXPECT_EQ(Read((work / "Data" / name).string()), Read(Examples + "/" + name)) << name;
  }
  std::filesystem::remove_all(work);
}

}  // namespace
}  // namespace voltaris
