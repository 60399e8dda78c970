#include "project_io/project_extension.h"

#include <cmath>
#include <cstring>

#include "catalogue/format.h"
#include "catalogue/stream_string.h"
#include "model/power_module.h"
#include "model/project_context.h"

namespace voltaris {

namespace {

constexpr size_t HeaderSize = 4 + 4 + 4 + 4;
constexpr size_t RecordHeaderSize = 4 + 4;
constexpr size_t DataCableSize = 4 + 8;

void WriteUInt32(TStream& stream, uint32_t value) { stream.WriteInt32(static_cast<int32_t>(value)); }

TBytes DataCableRecord(const std::vector<TDataCableLength>& cables) {
  TStream record;
  record.WriteInt32(static_cast<int32_t>(cables.size()));
  for (const TDataCableLength& cable : cables) {
    record.WriteInt32(cable.Tile);
    record.WriteDouble(cable.Metres);
  }
  return record.TakeBytes();
}

void AppendRecord(TStream& records, TExtensionRecord kind, const TBytes& data) {
  records.WriteInt32(static_cast<int32_t>(kind));
  records.WriteInt32(static_cast<int32_t>(data.size()));
  records.WriteBytes(data.data(), data.size());
}

// Save indexes come in ascending order, none below 0.
void CheckAscending(int32_t tile, int32_t previous, bool first, const char* what) {
  if (tile < 0 || (!first && tile <= previous))
    throw StreamError(Format("the %s of tile %d are out of order", what, tile));
}

std::vector<TDataCableLength> ReadDataCableRecord(TStream& record) {
  const int32_t count = record.ReadInt32();
  record.CheckCount(count, DataCableSize, "data-cable lengths");
  std::vector<TDataCableLength> cables;
  cables.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    TDataCableLength cable;
    cable.Tile = record.ReadInt32();
    cable.Metres = record.ReadDouble();
    CheckAscending(cable.Tile, cables.empty() ? 0 : cables.back().Tile, cables.empty(), "data-cable lengths");
    if (!std::isfinite(cable.Metres) || cable.Metres < 0 || cable.Metres > MaxStoredCableLength)
      throw StreamError(
          Format("the data-cable length %.3f of tile %d is not a cable length", cable.Metres, cable.Tile));
    cables.push_back(cable);
  }
  return cables;
}

TBytes DetailsRecord(const TProjectDetails& details) {
  TStream record;
  for (const std::string* text :
       {&details.Company, &details.Engineer, &details.Customer, &details.SiteAddress, &details.Notes})
    WriteStreamString(record, *text);
  return record.TakeBytes();
}

TProjectDetails ReadDetailsRecord(TStream& record) {
  TProjectDetails details;
  struct TField {
    std::string* Text;
    size_t MaxLength;
    const char* Name;
  };
  const TField fields[] = {{&details.Company, TProjectDetails::MaxLineLength, "company"},
                           {&details.Engineer, TProjectDetails::MaxLineLength, "engineer"},
                           {&details.Customer, TProjectDetails::MaxLineLength, "customer"},
                           {&details.SiteAddress, TProjectDetails::MaxAddressLength, "site address"},
                           {&details.Notes, TProjectDetails::MaxNotesLength, "notes"}};
  for (const TField& field : fields) {
    *field.Text = ReadStreamString(record);
    if (field.Text->size() > field.MaxLength)
      throw StreamError(Format("the %s of the project details is %d characters long, more than the %d it may hold",
                               field.Name, field.Text->size(), field.MaxLength));
  }
  // A program that wrote it would have written nothing.
  if (details.Empty()) throw StreamError("the project details record holds no text");
  return details;
}

TBytes ChargeCurrentRecord(const std::vector<TChargeCurrent>& currents) {
  TStream record;
  record.WriteInt32(static_cast<int32_t>(currents.size()));
  for (const TChargeCurrent& current : currents) {
    record.WriteInt32(current.Tile);
    record.WriteInt32(current.Milliamps);
  }
  return record.TakeBytes();
}

TBytes ChildOrderRecord(const std::vector<TChildOrder>& orders) {
  TStream record;
  record.WriteInt32(static_cast<int32_t>(orders.size()));
  for (const TChildOrder& order : orders) {
    record.WriteInt32(order.Tile);
    record.WriteInt32(static_cast<int32_t>(order.Children.size()));
    for (int32_t child : order.Children) record.WriteInt32(child);
  }
  return record.TakeBytes();
}

TBytes PaletteRecord(const std::vector<std::string>& palette) {
  TStream record;
  record.WriteInt32(static_cast<int32_t>(palette.size()));
  for (const std::string& colour : palette) {
    record.WriteUInt8(static_cast<uint8_t>(colour.size()));
    record.WriteBytes(colour.data(), colour.size());
  }
  return record.TakeBytes();
}

std::vector<TChargeCurrent> ReadChargeCurrentRecord(TStream& record) {
  const int32_t count = record.ReadInt32();
  record.CheckCount(count, 8, "charging currents");
  std::vector<TChargeCurrent> currents;
  for (int32_t i = 0; i < count; ++i) {
    TChargeCurrent current;
    current.Tile = record.ReadInt32();
    current.Milliamps = record.ReadInt32();
    CheckAscending(current.Tile, currents.empty() ? 0 : currents.back().Tile, currents.empty(), "charging currents");
    if (current.Milliamps < 0 || current.Milliamps > 100000)
      throw StreamError(
          Format("the charging current %d mA of tile %d is not a charging current", current.Milliamps, current.Tile));
    currents.push_back(current);
  }
  return currents;
}

std::vector<TChildOrder> ReadChildOrderRecord(TStream& record) {
  const int32_t count = record.ReadInt32();
  record.CheckCount(count, 8, "child orders");
  std::vector<TChildOrder> orders;
  for (int32_t i = 0; i < count; ++i) {
    TChildOrder order;
    order.Tile = record.ReadInt32();
    CheckAscending(order.Tile, orders.empty() ? 0 : orders.back().Tile, orders.empty(), "child orders");
    const int32_t children = record.ReadInt32();
    record.CheckCount(children, 4, "children");
    for (int32_t k = 0; k < children; ++k) {
      const int32_t child = record.ReadInt32();
      if (child < 0) throw StreamError(Format("tile %d names a child %d", order.Tile, child));
      order.Children.push_back(child);
    }
    orders.push_back(std::move(order));
  }
  return orders;
}

std::vector<std::string> ReadPaletteRecord(TStream& record) {
  const int32_t count = record.ReadInt32();
  record.CheckCount(count, 1, "palette colours");
  std::vector<std::string> palette;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t size = record.ReadUInt8();
    std::string colour(size, '\0');
    record.ReadBytes(colour.data(), colour.size());
    palette.push_back(std::move(colour));
  }
  return palette;
}

TBytes SupplyLabelRecord(const std::vector<TSupplyLabel>& labels) {
  TStream record;
  record.WriteInt32(static_cast<int32_t>(labels.size()));
  for (const TSupplyLabel& label : labels) {
    record.WriteInt32(label.Tile);
    record.WriteUInt8(static_cast<uint8_t>(label.Label.size()));
    record.WriteBytes(label.Label.data(), label.Label.size());
  }
  return record.TakeBytes();
}

std::vector<TSupplyLabel> ReadSupplyLabelRecord(TStream& record) {
  const int32_t count = record.ReadInt32();
  record.CheckCount(count, 5, "supply labels");
  std::vector<TSupplyLabel> labels;
  for (int32_t i = 0; i < count; ++i) {
    TSupplyLabel label;
    label.Tile = record.ReadInt32();
    CheckAscending(label.Tile, labels.empty() ? 0 : labels.back().Tile, labels.empty(), "supply labels");
    const uint8_t size = record.ReadUInt8();
    if (size == 0 || size > MaxSupplyLabel)
      throw StreamError(Format("the label of tile %d is %d characters long, not 1 to %d", label.Tile,
                               static_cast<int>(size), static_cast<int>(MaxSupplyLabel)));
    label.Label.resize(size);
    record.ReadBytes(label.Label.data(), label.Label.size());
    labels.push_back(std::move(label));
  }
  return labels;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void WriteProjectExtension(TStream& stream, const TProjectExtension& extension) {
  if (extension.Empty()) return;
  TStream records;
  if (!extension.DataCableLengths.empty())
    AppendRecord(records, TExtensionRecord::DataCableLengths, DataCableRecord(extension.DataCableLengths));
  if (!extension.Details.Empty())
    AppendRecord(records, TExtensionRecord::ProjectDetails, DetailsRecord(extension.Details));
  if (!extension.ChargeCurrents.empty())
    AppendRecord(records, TExtensionRecord::ChargeCurrents, ChargeCurrentRecord(extension.ChargeCurrents));
  if (!extension.ChildOrders.empty())
    AppendRecord(records, TExtensionRecord::ChildOrders, ChildOrderRecord(extension.ChildOrders));
  if (extension.HasPalette) AppendRecord(records, TExtensionRecord::Palette, PaletteRecord(extension.Palette));
  if (extension.BatteryVolts) {
    TStream record;
    record.WriteDouble(*extension.BatteryVolts);
    AppendRecord(records, TExtensionRecord::BatteryVolts, record.TakeBytes());
  }
  if (!extension.SupplyLabels.empty())
    AppendRecord(records, TExtensionRecord::SupplyLabels, SupplyLabelRecord(extension.SupplyLabels));
  const TBytes bytes = records.TakeBytes();
  stream.WriteBytes(ProjectExtensionTag, sizeof ProjectExtensionTag);
  stream.WriteInt32(ProjectExtensionVersion);
  stream.WriteInt32(static_cast<int32_t>(bytes.size()));
  WriteUInt32(stream, Crc32(bytes.data(), bytes.size()));
  stream.WriteBytes(bytes.data(), bytes.size());
}

bool AtProjectExtension(const TStream& stream) {
  return stream.Remaining() >= sizeof ProjectExtensionTag &&
         std::memcmp(stream.Bytes().data() + stream.Position(), ProjectExtensionTag, sizeof ProjectExtensionTag) == 0;
}

TProjectExtension ReadProjectExtension(TStream& stream) {
  const size_t start = stream.Position();
  if (stream.Remaining() < HeaderSize)
    throw StreamError(Format("the extension section at offset %d ends inside its header", start));
  char tag[sizeof ProjectExtensionTag];
  stream.ReadBytes(tag, sizeof tag);
  if (std::memcmp(tag, ProjectExtensionTag, sizeof tag) != 0)
    throw StreamError(Format("no extension section at offset %d", start));
  const int32_t version = stream.ReadInt32();
  if (version != ProjectExtensionVersion)
    throw StreamError(Format("the extension section is of version %d, which this program does not read", version));
  const int32_t length = stream.ReadInt32();
  const auto crc = static_cast<uint32_t>(stream.ReadInt32());
  stream.CheckCount(length, 1, "bytes of the extension section");
  TBytes bytes(static_cast<size_t>(length));
  stream.ReadBytes(bytes.data(), bytes.size());
  if (Crc32(bytes.data(), bytes.size()) != crc)
    throw StreamError("the extension section's checksum does not match its content");

  TProjectExtension extension;
  TStream records(std::move(bytes));
  int32_t lastKind = 0;
  while (records.Remaining() > 0) {
    if (records.Remaining() < RecordHeaderSize) throw StreamError("the extension section ends inside a record");
    const int32_t kind = records.ReadInt32();
    const int32_t size = records.ReadInt32();
    if (kind <= lastKind) throw StreamError(Format("record kind %d of the extension section is out of order", kind));
    lastKind = kind;
    records.CheckCount(size, 1, "bytes of an extension record");
    TBytes data(static_cast<size_t>(size));
    records.ReadBytes(data.data(), data.size());
    TStream record(std::move(data));
    switch (static_cast<TExtensionRecord>(kind)) {
      case TExtensionRecord::DataCableLengths:
        extension.DataCableLengths = ReadDataCableRecord(record);
        break;
      case TExtensionRecord::ProjectDetails:
        extension.Details = ReadDetailsRecord(record);
        break;
      case TExtensionRecord::ChargeCurrents:
        extension.ChargeCurrents = ReadChargeCurrentRecord(record);
        break;
      case TExtensionRecord::ChildOrders:
        extension.ChildOrders = ReadChildOrderRecord(record);
        break;
      case TExtensionRecord::Palette:
        extension.Palette = ReadPaletteRecord(record);
        extension.HasPalette = true;
        break;
      case TExtensionRecord::BatteryVolts: {
        const double volts = record.ReadDouble();
        if (!(volts >= MinBatteryVolts && volts <= MaxBatteryVolts))
          throw StreamError(Format("battery volts %f on mains failure are not from %s to %s", volts,
                                   FloatToStr(MinBatteryVolts), FloatToStr(MaxBatteryVolts)));
        extension.BatteryVolts = volts;
        break;
      }
      case TExtensionRecord::SupplyLabels:
        extension.SupplyLabels = ReadSupplyLabelRecord(record);
        break;
      default:
        throw StreamError(Format("record kind %d of the extension section is not known to this version", kind));
    }
    if (record.Remaining() > 0)
      throw StreamError(
          Format("%d bytes are left in record kind %d of the extension section", record.Remaining(), kind));
  }
  return extension;
}

}  // namespace voltaris
