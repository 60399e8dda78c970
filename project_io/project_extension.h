// What a project keeps beyond the records of its tiles: a section after the
// last tile record of its ".dat". A reader that knows only the tile records
// stops before it; this program reads it when it is there and writes it only
// when it holds something, so that a project without such figures keeps the
// bytes it always had.
//
// Layout (little-endian):
//   4 bytes   "VXSN"
//   int32     version of the section's framing, 1
//   int32     length of the records that follow, in bytes
//   uint32    CRC-32 of those bytes
//   records   each: int32 kind, int32 length, then that many bytes
// The section ends the file. Records come in ascending kind, each kind once.
// A kind this program does not know is refused, not skipped: skipped, its
// content would be lost at the next save.
//
// Kinds:
//   1  data-cable lengths: int32 count, then per device int32 save index
//      (ascending) and float64 metres, for every network device whose data
//      cable differs from the project's cable run (what a load without the
//      section gives it).
//   2  project details: five stream strings (company, engineer, customer,
//      site address, notes), when any of them holds text; each no longer
//      than TProjectDetails allows.
//   3  supply charging currents: int32 count, then per supply int32 save
//      index (ascending) and int32 mA, for every supply whose charging current
//      is not the one a load works out (it follows the grade at the moment
//      the battery was fitted, not the grade now).
//   4  child order: int32 count, then per tile int32 save index (ascending),
//      int32 child count and the children's int32 save indexes in their
//      order, for every tile whose children are not in save order (they are
//      in the order the user wired them; a load replays them in save order).
//   5  supply palette: int32 count, then each colour as a short string, when
//      the control panel's palette is not the one it started from (a
//      deleted supply's colour moves to the end).
//   6  battery volts on mains failure: float64, when not 12.0 (a project
//      without the record reads as 12.0); from 10.5 to 13.6.
//   7  supply labels: int32 count, then per supply int32 save index
//      (ascending) and its label as a short string (uint8 length, then the
//      bytes; 1 to MaxSupplyLabel of them), for every supply with a label.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/byte_stream.h"
#include "model/project_details.h"

namespace voltaris {

inline constexpr char ProjectExtensionTag[4] = {'V', 'X', 'S', 'N'};
inline constexpr int32_t ProjectExtensionVersion = 1;
// The longest cable a project file may hold, in metres (the loading dialog
// takes no more than the trade runs, far less).
inline constexpr double MaxStoredCableLength = 1000000;

enum class TExtensionRecord : int32_t {
  DataCableLengths = 1,
  ProjectDetails = 2,
  ChargeCurrents = 3,
  ChildOrders = 4,
  Palette = 5,
  BatteryVolts = 6,
  SupplyLabels = 7
};

struct TDataCableLength {
  int32_t Tile = 0;  // the device's save index
  double Metres = 0;
  bool operator==(const TDataCableLength&) const = default;
};

struct TChargeCurrent {
  int32_t Tile = 0;  // the supply's save index
  int32_t Milliamps = 0;
  bool operator==(const TChargeCurrent&) const = default;
};

struct TChildOrder {
  int32_t Tile = 0;               // the parent's save index
  std::vector<int32_t> Children;  // the children's save indexes, in their order
  bool operator==(const TChildOrder&) const = default;
};

struct TSupplyLabel {
  int32_t Tile = 0;  // the supply's save index
  std::string Label;
  bool operator==(const TSupplyLabel&) const = default;
};

struct TProjectExtension {
  std::vector<TDataCableLength> DataCableLengths;  // in ascending save index
  TProjectDetails Details;                         // written when not empty
  std::vector<TChargeCurrent> ChargeCurrents;      // in ascending save index
  std::vector<TChildOrder> ChildOrders;            // in ascending save index
  bool HasPalette = false;
  std::vector<std::string> Palette;
  std::optional<double> BatteryVolts;      // written when set
  std::vector<TSupplyLabel> SupplyLabels;  // in ascending save index
  bool Empty() const {
    return DataCableLengths.empty() && Details.Empty() && ChargeCurrents.empty() && ChildOrders.empty() &&
           !HasPalette && !BatteryVolts && SupplyLabels.empty();
  }
  bool operator==(const TProjectExtension&) const = default;
};

// Appends the section; nothing at all when `extension` is empty.
void WriteProjectExtension(TStream& stream, const TProjectExtension& extension);

// True when the bytes at the stream's position begin with the section's tag.
bool AtProjectExtension(const TStream& stream);

// Reads the section at the stream's position. Throws StreamError when it is
// cut, its checksum or framing is wrong, a record is of an unknown kind or
// version, or a figure cannot be right (a cable length that is not a number
// from 0 to MaxStoredCableLength, save indexes out of order, project details
// that are empty or longer than their fields, battery volts outside 10.5 to
// 13.6, a supply label that is empty or longer than MaxSupplyLabel).
TProjectExtension ReadProjectExtension(TStream& stream);

// The CRC-32 (polynomial 0xEDB88320, as in zip files) of `size` bytes.
uint32_t Crc32(const uint8_t* data, size_t size);

}  // namespace voltaris
