// The user's own devices in the working folder, beside the projects:
// MyDevices.csv (~/Voltaris on Linux, Documents\Voltaris on Windows). It is
// read afresh whenever the picker opens, so that a device kept while one
// project is open is offered in every other.
#pragma once

#include <string>

#include "catalogue/my_devices.h"

namespace voltaris {

class TMyDevicesFile : public IMyDevicesStore {
 public:
  // `path` names the file, usually MyDevicesPath(working folder).
  explicit TMyDevicesFile(std::string path) : path_(std::move(path)) {}

  // No file yet is no device and no problem. A file that cannot be read,
  // is too large, is not a plain file or holds lines that cannot be taken
  // gives the devices of the good lines and a Problem naming the file.
  TMyDevicesLibrary Read() override;
  // Writes the file beside the old one and renames it over it. A file that
  // could not be read whole is first kept as MyDevices-damaged.csv (or
  // -damaged-2 ...) so that the lines it could not read stay with the user.
  std::string Write(const TMyDeviceList& devices) override;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The file of the working folder `home`.
std::string MyDevicesPath(const std::string& home);

}  // namespace voltaris
