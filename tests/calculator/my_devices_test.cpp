// The user's own devices: their CSV file as a spreadsheet writes and reads
// it, the checks that keep them apart from the catalogue and each other,
// the picker that offers them beside the catalogue, and the dialog's logic.
#include <gtest/gtest.h>

#include <algorithm>

#include "calculator/device_picker.h"
#include "calculator/my_devices_editor.h"
#include "catalogue/my_devices.h"
#include "model/load.h"

namespace voltaris {
namespace {

// My devices kept in memory; a set failure makes every write fail.
struct TMemoryStore : IMyDevicesStore {
  TMyDevicesLibrary Kept;
  std::string Failure;
  int Writes = 0;
  TMyDevicesLibrary Read() override { return Kept; }
  std::string Write(const TMyDeviceList& devices) override {
    if (!Failure.empty()) return Failure;
    Kept.Devices = devices;
    SortMyDevices(Kept.Devices);
    ++Writes;
    return "";
  }
};

std::string Lines(const std::vector<TCsvProblem>& problems) {
  std::string text;
  for (const TCsvProblem& problem : problems) text += std::to_string(problem.Line) + ": " + problem.What + "\n";
  return text;
}

TEST(MyDevicesCsvTest, ReadsBackWhatItWritesAndWhatSpreadsheetsWrite) {
  // "Détecteur" in the files' code page: é is the single byte 0xE9.
  const TMyDeviceList devices = {
      {"D\xE9tecteur \"Nord\", hall", 3, 15, 30},
      {"Bell box", 2, 20, 450},
      {"Sirène 4", 4, 0, 10000},
  };
  const std::string csv = MyDevicesCsv(devices);
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");  // a spreadsheet then reads it as UTF-8
  EXPECT_NE(csv.find("Name,Grade,Quiescent mA,Alarm mA\r\n\"D\xC3\xA9tecteur \"\"Nord\"\", hall\",3,15,30\r\n"),
            std::string::npos);
  TMyDevicesRead read = ReadMyDevicesCsv(csv);
  EXPECT_EQ(read.Devices, devices) << Lines(read.Problems);
  EXPECT_TRUE(read.Problems.empty());

  // The user's code page (no mark, é as 0xE9), with Windows line ends.
  read = ReadMyDevicesCsv("Name,Grade,Quiescent mA,Alarm mA\r\nD\xE9tecteur,3,15,30\r\n");
  ASSERT_EQ(read.Devices.size(), 1u) << Lines(read.Problems);
  EXPECT_EQ(read.Devices[0].Name, "D\xE9tecteur");
  // UTF-8 without a mark, as some spreadsheets save it; no header line.
  read = ReadMyDevicesCsv("D\xC3\xA9tecteur,3,15,30\n");
  ASSERT_EQ(read.Devices.size(), 1u) << Lines(read.Problems);
  EXPECT_EQ(read.Devices[0].Name, "D\xE9tecteur");
  // Semicolons and decimal commas, trailing empty cells, blank lines.
  read = ReadMyDevicesCsv("Name;Grade;Quiescent mA;Alarm mA\n\n  PIR 1 ; 2 ;12,0;25;;\n");
  ASSERT_EQ(read.Devices.size(), 1u) << Lines(read.Problems);
  EXPECT_EQ(read.Devices[0], (TMyDevice{"PIR 1", 2, 12, 25}));
  // With no header, a device may be called "Name".
  read = ReadMyDevicesCsv("Name,2,1,1\n");
  EXPECT_EQ(read.Devices, (TMyDeviceList{{"Name", 2, 1, 1}}));
}

TEST(MyDevicesCsvTest, NamesEveryLineItCannotTakeAndKeepsTheOthers) {
  const TMyDeviceList held = {{"Bell box", 2, 20, 450}, {"Keyfob", 2, 1, 1}};
  const std::string csv =
      "Name,Grade,Quiescent mA,Alarm mA\n"
      "Good one,2,10,20\n"                                                 // 2
      "This name is far too long for a load list line, truly,2,1,1\n"      // 3: the comma makes 5 fields
      "\"This name is far too long for a load list line, truly\",2,1,1\n"  // 4
      "halvard s (normal),3,18,545\n"                                      // 5
      "good ONE,2,10,20\n"                                                 // 6
      "Bell box,2,20,450\n"                                                // 7: held already, same
      "Keyfob,2,2,2\n"                                                     // 8: held, other figures
      "Minus,2,-1,5\n"                                                     // 9
      "Huge,2,5,10001\n"                                                   // 10
      "Half,2,12.5,20\n"                                                   // 11
      "Words,2,ten,20\n"                                                   // 12
      "Grade five,5,1,1\n"                                                 // 13
      "\"Open,2,1,1\n"                                                     // 14
      "Snow \xE2\x98\x83,2,1,1\n"                                          // 15: U+2603
      "Last good,4,0,0\n";                                                 // 16
  const TMyDevicesRead read = ReadMyDevicesCsv(csv, held);
  EXPECT_EQ(read.Devices, (TMyDeviceList{{"Good one", 2, 10, 20}, {"Last good", 4, 0, 0}}));
  EXPECT_EQ(read.AlreadyHeld, 1u);
  std::vector<size_t> lines;
  for (const TCsvProblem& problem : read.Problems) lines.push_back(problem.Line);
  EXPECT_EQ(lines, (std::vector<size_t>{3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15})) << Lines(read.Problems);
  const std::string said = DescribeProblems(read.Problems, 20);
  for (const char* part :
       {"Line 3: it has 5 fields", "Line 4: the name \"This name", "longer than 50 characters",
        "Line 5: \"Halvard S (Normal)\" is the name of a catalogue device",
        "Line 6: my devices already hold \"Good one\"", "Line 8: my devices already hold \"Keyfob\" with other figures",
        "Line 9: the quiescent current cannot be below 0 mA",
        "Line 10: the alarm current of 10001 mA is more than 10 A",
        "Line 11: the quiescent current 12.5 mA is not a whole number",
        "Line 12: the quiescent current \"ten\" is not a number", "Line 13: the grade \"5\" is not 1, 2, 3 or 4",
        "Line 14: a quoted field is not closed", "Line 15: it holds the character U+2603"})
    EXPECT_NE(said.find(part), std::string::npos) << part << "\n" << said;
  EXPECT_NE(DescribeProblems(read.Problems, 3).find("... and 9 more."), std::string::npos);
}

TEST(MyDevicesCsvTest, RefusesWhatCouldNotBeOneOfMyDevices) {
  const TMyDeviceList devices = {{"Bell box", 2, 20, 450}};
  EXPECT_EQ(MyDeviceRefusal({"Strobe", 2, 0, 120}, devices), "");
  EXPECT_EQ(MyDeviceRefusal({"  ", 2, 0, 0}, devices), "A device needs a name.");
  EXPECT_EQ(MyDeviceRefusal({"BELL BOX ", 2, 0, 0}, devices), "My devices already hold \"Bell box\".");
  EXPECT_EQ(MyDeviceRefusal({"Bell Box", 3, 25, 400}, devices, 0), "") << "a device may keep its own name";
  EXPECT_EQ(MyDeviceRefusal({"Tab\there", 2, 0, 0}, devices), "The name holds a tab or another control character.");
  EXPECT_NE(MyDeviceRefusal({"16 ohm speaker", 2, 0, 0}, devices).find("catalogue device"), std::string::npos);
  EXPECT_EQ(MyDeviceRefusal({"X", 0, 0, 0}, devices), "The grade must be 1, 2, 3 or 4.");
  EXPECT_EQ(MyDeviceRefusal({"X", 2, 0, 10000}, devices), "");
  EXPECT_NE(MyDeviceRefusal({"X", 2, 10001, 0}, devices).find("more than 10 A"), std::string::npos);
  EXPECT_EQ(MyDeviceRefusal({"X", 2, 0, -1}, devices), "The alarm current cannot be below 0 mA.");
  EXPECT_NE(MyDeviceRefusal({std::string(51, 'x'), 2, 0, 0}, devices).find("longer than 50"), std::string::npos);
}

class MyDevicesPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store.Kept.Devices = {{"Bell box", 2, 20, 450}, {"Gate beam", 3, 35, 35}};
    picker.MyDevices = &store;
    picker.CurrentGrade = 3;
  }
  int LineOf(const std::string& name) const {
    const TStringList& lines = picker.Lines();
    return static_cast<int>(
        std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return LineName(l) == name; }) -
        lines.begin());
  }
  TMemoryStore store;
  TDevicePicker picker;
  TDeviceData entry;
};

TEST_F(MyDevicesPickerTest, OffersMyDevicesOfTheGradeBetweenTheCatalogueAndCustomAndFillsTheEntryFromThem) {
  picker.BuildList(16);
  // Panel type 16 at grade 3 lists 13 catalogue lines; the grade-2 bell box is hidden at grade 3.
  ASSERT_EQ(picker.Lines().size(), 15u);
  EXPECT_EQ(picker.Lines()[13], "Gate beam\t3\t35 mA\t35 mA");
  EXPECT_TRUE(picker.IsMyDeviceLine(13));
  EXPECT_FALSE(picker.IsMyDeviceLine(12));
  EXPECT_FALSE(picker.IsMyDeviceLine(14));
  EXPECT_EQ(picker.CustomIndex(), 14);
  picker.CurrentGrade = 2;
  picker.BuildList(16);
  EXPECT_EQ(LineOf("Bell box"), LineOf("Gate beam") - 1) << "in name order, after the catalogue";

  ASSERT_TRUE(picker.ExecuteAdd(16, entry, [&](TDevicePicker& p) {
    p.ClickLine(LineOf("Gate beam"));
    p.SetQuantity(4);
    return p.PressOk().Close;
  }));
  EXPECT_EQ(LoadListLine(entry), "4\tGate beam\t3\t140 mA\t140 mA");

  // Edited, the entry shows on its line while my device still has its figures...
  TDevicePicker edit(2);
  edit.MyDevices = &store;
  ASSERT_TRUE(edit.ExecuteEdit(16, entry, [&](TDevicePicker& p) {
    EXPECT_EQ(LineName(p.Lines()[static_cast<size_t>(p.Selected())]), "Gate beam");
    EXPECT_FALSE(p.CustomEnabled());
    return true;
  }));
  EXPECT_EQ(LoadListLine(entry), "4\tGate beam\t3\t140 mA\t140 mA");
  // ...and as the custom device it is once they changed: the load list keeps its copy.
  store.Kept.Devices[1].Quiescent = 50;
  TDevicePicker later(3);
  later.MyDevices = &store;
  ASSERT_TRUE(later.ExecuteEdit(16, entry, [&](TDevicePicker& p) {
    EXPECT_EQ(p.Selected(), p.CustomIndex());
    EXPECT_EQ(p.CustomQuiescent(), 35);
    return true;
  }));
  EXPECT_EQ(LoadListLine(entry), "4\tGate beam\t3\t140 mA\t140 mA");
}

TEST_F(MyDevicesPickerTest, AddToMyDevicesKeepsTheCustomDeviceForEveryLaterPicker) {
  const auto typeCustom = [](TDevicePicker& p, const std::string& name) {
    p.ClickLine(p.CustomIndex());
    p.SetDescription(name);
    p.SetCustomQuiescent(12);
    p.SetCustomAlarm(60.7);
    p.SetQuantity(2);
    p.SetAddToMyDevices(true);
  };
  ASSERT_TRUE(picker.ExecuteAdd(5, entry, [&](TDevicePicker& p) {
    typeCustom(p, " Shock sensor ");
    return p.PressOk().Close;
  }));
  EXPECT_EQ(LoadListLine(entry), "2\t Shock sensor \t3\t24 mA\t120 mA");
  EXPECT_EQ(store.Kept.Devices[2], (TMyDevice{"Shock sensor", 3, 12, 60}));

  // Another project, another panel: the new device is offered.
  TDevicePicker next(3);
  next.MyDevices = &store;
  next.BuildList(7);
  EXPECT_TRUE(next.IsMyDeviceLine(static_cast<int>(
      std::find(next.Lines().begin(), next.Lines().end(), "Shock sensor\t3\t12 mA\t60 mA") - next.Lines().begin())));

  // The same device again is nothing new; a catalogue name or another
  // figure under a kept name keeps the dialog open and writes nothing.
  const int writes = store.Writes;
  TDevicePicker again(3);
  again.MyDevices = &store;
  again.BuildList(5);
  typeCustom(again, "Shock sensor");
  EXPECT_TRUE(again.PressOk().Close);
  again.SetCustomQuiescent(13);
  TDevicePicker::TOkResult ok = again.PressOk();
  EXPECT_FALSE(ok.Close);
  EXPECT_NE(ok.Message.find("My devices already hold \"Shock sensor\""), std::string::npos) << ok.Message;
  again.SetDescription("Halvard S (Normal)");
  EXPECT_FALSE(again.PressOk().Close);
  // Unticked, the device is for this load list only.
  again.SetAddToMyDevices(false);
  EXPECT_TRUE(again.PressOk().Close);
  EXPECT_EQ(store.Writes, writes);

  // A store that cannot be written does not cost the load list its entry.
  store.Failure = "MyDevices.csv: cannot write the file (disk full)";
  TDeviceData other;
  ASSERT_TRUE(TDevicePicker(3).ExecuteAdd(5, other, [&](TDevicePicker& p) {
    p.MyDevices = &store;
    typeCustom(p, "Glass break");
    ok = p.PressOk();
    return ok.Close;
  }));
  EXPECT_NE(ok.Message.find("could not be added to my devices:\nMyDevices.csv: cannot write"), std::string::npos);
  EXPECT_EQ(other.Name, "Glass break");
}

TEST_F(MyDevicesPickerTest, ADamagedLibraryLeavesTheCatalogueAndSaysWhy) {
  store.Kept.Devices.clear();
  store.Kept.Problem = "MyDevices.csv could not be read whole";
  picker.BuildList(16);
  EXPECT_EQ(picker.Lines().size(), 14u);
  EXPECT_EQ(picker.MyDevicesProblem(), "MyDevices.csv could not be read whole");

  // Devices managed while the picker is open show at once; the selection stays.
  picker.ClickLine(2);
  const std::string selected = picker.Lines()[2];
  store.Kept = {{{"Beam", 4, 1, 1}}, ""};
  picker.ReloadMyDevices();
  EXPECT_EQ(picker.Lines().size(), 15u);
  EXPECT_EQ(picker.Lines()[static_cast<size_t>(picker.Selected())], selected);
  EXPECT_EQ(picker.MyDevicesProblem(), "");
}

TEST(MyDevicesEditorTest, ChangesAreCheckedKeptInOrderAndWrittenOnlyOnSave) {
  TMemoryStore store;
  store.Kept.Devices = {{"Bell box", 2, 20, 450}};
  TMyDevicesEditor editor(store);
  size_t at = 99;
  EXPECT_EQ(editor.Add({"Alarm pad", 3, 1, 2}, &at), "");
  EXPECT_EQ(at, 0u);
  EXPECT_NE(editor.Add({"bell BOX", 3, 1, 2}), "");
  EXPECT_EQ(editor.Replace(1, {"Bell box", 3, 25, 400}, &at), "");
  EXPECT_NE(editor.Replace(1, {"Alarm pad", 3, 25, 400}), "");
  EXPECT_EQ(editor.Replace(0, {"Zone lamp", 3, 5, 5}, &at), "");
  EXPECT_EQ(at, 1u);
  editor.Delete(0);
  EXPECT_EQ(editor.Devices(), (TMyDeviceList{{"Zone lamp", 3, 5, 5}}));
  EXPECT_EQ(store.Writes, 0);

  const TMyDevicesRead read = editor.ReadImport(
      "Name,Grade,Quiescent mA,Alarm mA\nZone lamp,3,5,5\nA,2,1,1\nB,9,1,1\n");
  const std::string summary = ImportSummary(read, "list.csv");
  EXPECT_EQ(summary,
            "list.csv holds 1 device to import (and 1 device already in my devices).\n\n"
            "1 line cannot be read:\nLine 4: the grade \"9\" is not 1, 2, 3 or 4.");
  editor.TakeImport(read);
  EXPECT_EQ(editor.Devices().size(), 2u);

  store.Failure = "MyDevices.csv: cannot replace the file";
  EXPECT_EQ(editor.Save(), store.Failure);
  EXPECT_TRUE(editor.Modified());
  store.Failure.clear();
  EXPECT_EQ(editor.Save(), "");
  EXPECT_EQ(store.Kept.Devices, editor.Devices());
  EXPECT_EQ(editor.Save(), "");
  EXPECT_EQ(store.Writes, 1);
}

}  // namespace
}  // namespace voltaris
