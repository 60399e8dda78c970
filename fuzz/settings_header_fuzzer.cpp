// The settings header at the start of a ".dat" file: any input is a
// StreamError or settings that write back as the same 29 bytes (the flag
// byte normalised to 0 or 1).
#include <cstring>

#include "fuzz_support.h"
#include "project_io/project_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace voltaris;
  using namespace voltaris::fuzz;
  TStream stream(TBytes(data, data + size));
  TSettings settings;
  try {
    settings = ReadSettingsHeader(stream);
  } catch (const StreamError&) {
    if (size >= SettingsHeaderSize) Broken("a complete header was rejected");
    return 0;
  }
  if (size < SettingsHeaderSize || stream.Position() != SettingsHeaderSize) Broken("the header is not 29 bytes");
  TStream written;
  WriteSettingsHeader(written, settings);
  TBytes expected(data, data + SettingsHeaderSize);
  expected[SettingsHeaderSize - 1] = expected[SettingsHeaderSize - 1] != 0;
  if (written.Bytes() != expected) Broken("the settings header does not write back the same");
  return 0;
}
