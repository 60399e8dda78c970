// A device placed from the toolbar: a network device whose type is a row of
// the network device table, which gives it its picture, its own currents,
// its minimum voltage, its grade and the places it takes on its network. It
// also writes its block of the system report, ending in a verdict.
#pragma once

#include <string>

#include "model/net_device.h"

namespace voltaris {

// Every device picture is drawn at this size, and the tile takes it.
inline constexpr int DevicePictureSize = 64;

class TVududa : public TNetDevice {
 public:
  explicit TVududa(TCanvas& owner);

  const char* ClassName() const override { return "TVududa"; }

  // Overrides of TDevice, in order.
  void WriteReport(TStringList& list) override;
  void WriteDeviceLines(TStringList& list) override;
  void WriteRecord(TStream& stream) override;
  void ReadRecord(TStream& stream) override;

  // Takes the type of a row of the network device table. A type that makes
  // its network exceed its limits takes the device (and what hangs behind
  // it) off the network; any supply stays.
  void SetDeviceType(uint8_t row);
  void SetLocation(const std::string& location);
  void WriteVerdict(TStringList& list, const std::string& indent);

  int32_t DeviceType = 0;
  std::string Location;
};

}  // namespace voltaris
