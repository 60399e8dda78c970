// The user's own load devices ("my devices"): detectors, sounders and
// communicators the catalogue does not hold, kept once per user and offered
// by the device picker in every project. A project never refers to them: a
// load list keeps its own copy of what was chosen.
//
// They are kept as a CSV file a spreadsheet opens as a table: a header line,
// then one device a line (name, grade, quiescent mA, alarm mA), written in
// UTF-8 with a byte-order mark; files in the user's code page
// (Windows-1252) or in UTF-8 are read too. Names are held in the project
// files' code page, like every text of the model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/plain_file.h"

namespace voltaris {

struct TMyDevice {
  std::string Name;       // the project files' code page, trimmed
  int32_t Grade = 2;      // 1..4, as a catalogue row's (4 passes every grade filter)
  int32_t Quiescent = 0;  // mA per device
  int32_t Alarm = 0;      // mA per device

  bool operator==(const TMyDevice&) const = default;
};

using TMyDeviceList = std::vector<TMyDevice>;

inline constexpr size_t MaxMyDeviceName = 50;
inline constexpr int32_t MinMyDeviceGrade = 1;
inline constexpr int32_t MaxMyDeviceGrade = 4;
// No single detector or sounder draws 10 A; a larger figure is a typing slip.
inline constexpr int32_t MaxMyDeviceMilliamps = 10000;
// A larger file is not a list of devices a person typed (nor a spreadsheet's
// export of one): it is refused unread.
inline constexpr size_t MaxMyDevicesFileBytes = 1024 * 1024;
inline constexpr TFileLimit MyDevicesFileLimit{MaxMyDevicesFileBytes, "a list of my devices"};
inline constexpr const char* MyDevicesFileName = "MyDevices.csv";
inline constexpr const char* MyDevicesHeader = "Name,Grade,Quiescent mA,Alarm mA";

// Why `device` cannot be one of `devices`, or "" when it can: a name that is
// empty, longer than 50 characters, holds a control character, or is a
// catalogue device's or another of `devices`' (letter case aside); a grade
// outside 1..4; a current below 0 or above 10 A. The device at `self` (its
// own place when it is being edited) is not counted as another.
std::string MyDeviceRefusal(const TMyDevice& device, const TMyDeviceList& devices, ptrdiff_t self = -1);

// Whether two names are the same device name, letter case aside.
bool SameDeviceName(std::string_view a, std::string_view b);

// Puts the devices in name order, letter case aside.
void SortMyDevices(TMyDeviceList& devices);

// The CSV file of `devices`: byte-order mark, header, CR LF line ends.
std::string MyDevicesCsv(const TMyDeviceList& devices);

// One line of a CSV file that could not be taken.
struct TCsvProblem {
  size_t Line = 0;  // 1 for the first line of the file
  std::string What;
};

struct TMyDevicesRead {
  TMyDeviceList Devices;  // the devices of the lines that could be taken, in file order
  std::vector<TCsvProblem> Problems;
  size_t AlreadyHeld = 0;  // lines equal to a device of `held`, left out
};

// Reads a CSV file of devices: a first line whose first field is "Name" is
// the header; empty lines are passed over. The separator is the comma, or
// the semicolon when the header has no comma (as spreadsheets write in
// countries that use the decimal comma). A device equal to one of `held` is
// counted in AlreadyHeld; one that differs from a held device of the same
// name, or repeats a name of the file, is a problem of its line.
TMyDevicesRead ReadMyDevicesCsv(std::string_view bytes, const TMyDeviceList& held = {});

// What the picker and the My Devices dialog read: the devices, and why the
// file could not be read whole ("" when it could).
struct TMyDevicesLibrary {
  TMyDeviceList Devices;
  std::string Problem;
};

// Where the user's devices are kept: a file in the working folder, or
// memory in tests.
class IMyDevicesStore {
 public:
  virtual ~IMyDevicesStore() = default;
  // The devices as kept now, in name order. A damaged store gives the
  // devices it could read and says what is wrong.
  virtual TMyDevicesLibrary Read() = 0;
  // Keeps `devices` in place of what was kept; "" when done, else what went
  // wrong, naming the file. A failure leaves what was kept as it was.
  virtual std::string Write(const TMyDeviceList& devices) = 0;
};

// "Line 4: ..." for each problem, at most `shown` of them, then how many more.
std::string DescribeProblems(const std::vector<TCsvProblem>& problems, size_t shown = 10);

}  // namespace voltaris
