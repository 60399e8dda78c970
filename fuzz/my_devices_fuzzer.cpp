// The reader of the user's devices (MyDevices.csv and imports): any input
// gives devices that could each be one of them, none named twice, and they
// write a file that reads back the same with no problem.
#include <string_view>

#include "catalogue/my_devices.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace voltaris;
  using namespace voltaris::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TMyDevicesRead read = ReadMyDevicesCsv(bytes);
  for (size_t k = 0; k < read.Devices.size(); ++k) {
    if (!MyDeviceRefusal(read.Devices[k], read.Devices, static_cast<ptrdiff_t>(k)).empty())
      Broken("a device read is one the checks refuse");
  }
  for (const TCsvProblem& problem : read.Problems) {
    if (problem.Line == 0 || problem.What.empty()) Broken("a problem names no line or says nothing");
  }
  const TMyDevicesRead again = ReadMyDevicesCsv(MyDevicesCsv(read.Devices));
  if (again.Devices != read.Devices || !again.Problems.empty()) Broken("the devices read do not write back the same");
  (void)DescribeProblems(read.Problems);
  return 0;
}
