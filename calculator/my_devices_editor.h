// The logic of the My Devices dialog: the user's own devices as a list to
// add to, edit, delete, import into and export, kept only when the dialog
// closes with OK.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "catalogue/my_devices.h"

namespace voltaris {

class TMyDevicesEditor {
 public:
  // Reads the devices kept in `store`, which must outlive the editor.
  explicit TMyDevicesEditor(IMyDevicesStore& store);

  // In name order.
  const TMyDeviceList& Devices() const { return devices_; }
  // Why the store could not be read whole, as read at the start.
  const std::string& Problem() const { return problem_; }
  bool Modified() const { return modified_; }

  // Each returns why it is refused ("" when done); a refused change changes
  // nothing. `selected` receives the device's place in the list.
  std::string Add(const TMyDevice& device, size_t* selected = nullptr);
  std::string Replace(size_t index, const TMyDevice& device, size_t* selected = nullptr);
  void Delete(size_t index);

  // An import in two steps: what a file holds, checked against the list
  // (nothing changes yet), then taking its good devices.
  TMyDevicesRead ReadImport(std::string_view bytes) const { return ReadMyDevicesCsv(bytes, devices_); }
  // The same from the file at `path`: a plain file of at most the size of a
  // list of devices, or FileError naming it and what is wrong.
  TMyDevicesRead ReadImportFile(const std::string& path) const;
  void TakeImport(const TMyDevicesRead& read);

  std::string ExportCsv() const { return MyDevicesCsv(devices_); }

  // Writes the list to the store when it changed; "" when done, else what
  // went wrong (the store keeps what it had).
  std::string Save();

 private:
  size_t Place(const TMyDevice& device) const;

  IMyDevicesStore& store_;
  TMyDeviceList devices_;
  std::string problem_;
  bool modified_ = false;
};

// What to tell the user of an import from `fileName`: what it read, what
// was there already, and the lines it could not take.
std::string ImportSummary(const TMyDevicesRead& read, const std::string& fileName);

}  // namespace voltaris
