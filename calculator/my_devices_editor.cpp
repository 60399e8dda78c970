#include "calculator/my_devices_editor.h"

#include <algorithm>

#include "catalogue/byte_stream.h"
#include "catalogue/format.h"

namespace voltaris {

TMyDevicesEditor::TMyDevicesEditor(IMyDevicesStore& store) : store_(store) {
  TMyDevicesLibrary library = store_.Read();
  devices_ = std::move(library.Devices);
  problem_ = std::move(library.Problem);
  SortMyDevices(devices_);
}

size_t TMyDevicesEditor::Place(const TMyDevice& device) const {
  const auto found = std::find(devices_.begin(), devices_.end(), device);
  return static_cast<size_t>(found - devices_.begin());
}

std::string TMyDevicesEditor::Add(const TMyDevice& device, size_t* selected) {
  std::string refusal = MyDeviceRefusal(device, devices_);
  if (!refusal.empty()) return refusal;
  devices_.push_back(device);
  SortMyDevices(devices_);
  modified_ = true;
  if (selected) *selected = Place(device);
  return refusal;
}

std::string TMyDevicesEditor::Replace(size_t index, const TMyDevice& device, size_t* selected) {
  if (index >= devices_.size()) return "No device is selected.";
  std::string refusal = MyDeviceRefusal(device, devices_, static_cast<ptrdiff_t>(index));
  if (!refusal.empty()) return refusal;
  if (devices_[index] != device) {
    devices_[index] = device;
    SortMyDevices(devices_);
    modified_ = true;
  }
  if (selected) *selected = Place(device);
  return refusal;
}

void TMyDevicesEditor::Delete(size_t index) {
  if (index >= devices_.size()) return;
  devices_.erase(devices_.begin() + static_cast<ptrdiff_t>(index));
  modified_ = true;
}

TMyDevicesRead TMyDevicesEditor::ReadImportFile(const std::string& path) const {
  const TStream stream = TStream::LoadFromFile(path, MyDevicesFileLimit);
  const TBytes& bytes = stream.Bytes();
  return ReadImport(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void TMyDevicesEditor::TakeImport(const TMyDevicesRead& read) {
  if (read.Devices.empty()) return;
  // Checked against the list when read; checked again, since the list may
  // have changed in between: a device that no longer fits is left out.
  for (const TMyDevice& device : read.Devices) {
    if (MyDeviceRefusal(device, devices_).empty()) devices_.push_back(device);
  }
  SortMyDevices(devices_);
  modified_ = true;
}

std::string TMyDevicesEditor::Save() {
  if (!modified_) return std::string();
  std::string failure = store_.Write(devices_);
  if (failure.empty()) modified_ = false;
  return failure;
}

std::string ImportSummary(const TMyDevicesRead& read, const std::string& fileName) {
  const auto devices = [](size_t count) {
    return Format(count == 1 ? "%d device" : "%d devices", static_cast<int>(count));
  };
  std::string text = Format("%s holds %s to import", fileName, devices(read.Devices.size()));
  if (read.AlreadyHeld > 0) text += Format(" (and %s already in my devices)", devices(read.AlreadyHeld));
  text += ".";
  if (!read.Problems.empty()) {
    text += Format(read.Problems.size() == 1 ? "\n\n%d line cannot be read:\n" : "\n\n%d lines cannot be read:\n",
                   static_cast<int>(read.Problems.size()));
    text += DescribeProblems(read.Problems);
  }
  return text;
}

}  // namespace voltaris
