#include "catalogue/device_data.h"

#include "catalogue/format.h"

namespace voltaris {

std::string LoadListLine(const TDeviceData& entry) {
  return Format("%d\t%s\t%d\t%d mA\t%d mA", entry.Qty, entry.Name, entry.Grade, entry.Quiescent,
                entry.Alarm);
}

}  // namespace voltaris
