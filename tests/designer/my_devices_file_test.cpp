// My devices in the working folder: written whole or not at all, read back
// as written, and a damaged, endless or oversized file never costs the user
// the lines that could be read nor hangs the picker.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "calculator/device_picker.h"
#include "storage/my_devices_file.h"
#include "test_support.h"

namespace voltaris {
namespace {

using testing::TempDir;

TEST(MyDevicesFileTest, KeepsWhatItIsGivenAndAFailedWriteLeavesTheOldFile) {
  TempDir dir;
  TMyDevicesFile file(MyDevicesPath(dir.Path()));
  EXPECT_EQ(file.Path(), dir.File("MyDevices.csv"));
  TMyDevicesLibrary library = file.Read();
  EXPECT_TRUE(library.Devices.empty());
  EXPECT_EQ(library.Problem, "") << "no file yet is no device";

  const TMyDeviceList devices = {{"Zone lamp", 3, 5, 5}, {"Caf\xE9 door", 2, 10, 20}};
  ASSERT_EQ(file.Write(devices), "");
  const std::string written = dir.Read("MyDevices.csv");
  EXPECT_EQ(written, "\xEF\xBB\xBFName,Grade,Quiescent mA,Alarm mA\r\nCaf\xC3\xA9 door,2,10,20\r\nZone lamp,3,5,5\r\n");
  library = file.Read();
  EXPECT_EQ(library.Devices, (TMyDeviceList{devices[1], devices[0]}));

  // The new file cannot be made beside the old: the old stays, whole.
  std::filesystem::create_directory(dir.File("MyDevices.csv.new"));
  const std::string failure = file.Write({{"Other", 2, 1, 1}});
  EXPECT_NE(failure.find(dir.File("MyDevices.csv")), std::string::npos) << failure;
  EXPECT_EQ(dir.Read("MyDevices.csv"), written);
}

TEST(MyDevicesFileTest, ACustomDeviceKeptInOneProjectIsOfferedInTheNext) {
  TempDir dir;
  TMyDevicesFile first(MyDevicesPath(dir.Path()));
  TDevicePicker picker(2);
  picker.MyDevices = &first;
  TDeviceData entry;
  ASSERT_TRUE(picker.ExecuteAdd(5, entry, [](TDevicePicker& p) {
    p.ClickLine(p.CustomIndex());
    p.SetDescription("Door contact");
    p.SetCustomQuiescent(2);
    p.SetCustomAlarm(2);
    p.SetAddToMyDevices(true);
    return p.PressOk().Close;
  }));

  // Another session of the designer, another project at another grade.
  TMyDevicesFile later(MyDevicesPath(dir.Path()));
  TDevicePicker next(2);
  next.MyDevices = &later;
  TDeviceData other;
  ASSERT_TRUE(next.ExecuteAdd(7, other, [](TDevicePicker& p) {
    const auto line = std::find(p.Lines().begin(), p.Lines().end(), "Door contact\t2\t2 mA\t2 mA");
    EXPECT_NE(line, p.Lines().end());
    p.ClickLine(static_cast<int>(line - p.Lines().begin()));
    p.SetQuantity(6);
    return true;
  }));
  EXPECT_EQ(other.Name, "Door contact");
  EXPECT_EQ(other.Quiescent, 12);
}

TEST(MyDevicesFileTest, ADamagedFileGivesItsGoodLinesAndIsKeptBesideTheNewOne) {
  TempDir dir;
  TMyDevicesFile file(MyDevicesPath(dir.Path()));
  const std::string damaged = "Name,Grade,Quiescent mA,Alarm mA\nGood,2,1,2\n\x01\x02\x03garbage\nHalf,2,1.5,2\n";
  dir.Write("MyDevices.csv", damaged);
  TMyDevicesLibrary library = file.Read();
  EXPECT_EQ(library.Devices, (TMyDeviceList{{"Good", 2, 1, 2}}));
  EXPECT_NE(library.Problem.find(dir.File("MyDevices.csv") + " could not be read whole:\nLine 3: it has 1 field where"),
            std::string::npos)
      << library.Problem;
  EXPECT_NE(library.Problem.find("Line 4: the quiescent current 1.5 mA"), std::string::npos);
  EXPECT_NE(library.Problem.find("as MyDevices-damaged.csv."), std::string::npos) << library.Problem;

  ASSERT_EQ(file.Write({{"Good", 2, 1, 2}, {"New", 2, 3, 4}}), "");
  EXPECT_EQ(dir.Read("MyDevices-damaged.csv"), damaged);
  EXPECT_EQ(file.Read().Problem, "");
  // Damaged again: an older copy is never overwritten.
  dir.Write("MyDevices.csv", "Name,Grade\nx\n");
  ASSERT_EQ(file.Write({}), "");
  EXPECT_EQ(dir.Read("MyDevices-damaged.csv"), damaged);
  EXPECT_EQ(dir.Read("MyDevices-damaged-2.csv"), "Name,Grade\nx\n");
}

TEST(MyDevicesFileTest, NeitherAnEndlessNorAnOversizedFileIsRead) {
  TempDir dir;
  TMyDevicesFile file(MyDevicesPath(dir.Path()));
  TMyDevicesLibrary library;
#ifndef _WIN32
  ASSERT_EQ(mkfifo(dir.File("MyDevices.csv").c_str(), 0600), 0);
  library = file.Read();  // would block for ever were it opened
  EXPECT_TRUE(library.Devices.empty());
  EXPECT_NE(library.Problem.find("is a named pipe (FIFO), not a file"), std::string::npos) << library.Problem;
  std::filesystem::remove(dir.File("MyDevices.csv"));
#endif

  dir.Write("MyDevices.csv", std::string(MaxMyDevicesFileBytes + 1, 'x'));
  library = file.Read();
  EXPECT_TRUE(library.Devices.empty());
  EXPECT_NE(library.Problem.find("larger than 1 MB, the most a list of my devices can be"), std::string::npos)
      << library.Problem;
}

}  // namespace
}  // namespace voltaris
