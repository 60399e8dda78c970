// The manifest of a recovery copy and the stamp a save leaves: any input is
// refused with a FileError naming the manifest (or no stamp at all), or is
// read as a manifest (stamp) that writes back to text reading as the same.
#include <string>

#include "fuzz_support.h"
#include "project_io/file_index.h"
#include "storage/recovery.h"

namespace {

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace voltaris;
  using namespace voltaris::fuzz;
  const std::string text(reinterpret_cast<const char*>(data), size);

  if (const std::optional<TSaveStamp> stamp = ParseSaveStamp(text)) {
    if (ParseSaveStamp(SaveStampText(*stamp)) != stamp) Broken("a save stamp does not read back the same");
  }

  TRecoveryManifest manifest;
  try {
    manifest = ParseManifest(text, "Recovery/Shop-0/manifest");
  } catch (const FileError& error) {
    if (std::string(error.what()).rfind("Recovery/Shop-0/manifest: ", 0) != 0)
      Broken("a refusal does not name the manifest");
    return 0;
  }
  if (!IsValidFileName(manifest.Info.FileName)) Broken("a project name that is no file name was accepted");
  if (manifest.Generation == 0) Broken("generation 0 was accepted");
  // A manifest's lines hold no line breaks: what it is written with loses
  // only stray carriage returns.
  TRecoveryManifest expected = manifest;
  for (std::string* field :
       {&expected.Info.DataDir, &expected.Info.FileName, &expected.Info.SiteRef, &expected.Info.PanelTypeName})
    *field = WithoutCarriageReturns(*field);
  try {
    const TRecoveryManifest again = ParseManifest(ManifestText(manifest), "again");
    if (again.Info != expected.Info || again.Generation != expected.Generation || again.DatSize != expected.DatSize ||
        again.PjxSize != expected.PjxSize || again.DatCrc != expected.DatCrc || again.PjxCrc != expected.PjxCrc)
      Broken("a manifest does not write back as the same");
  } catch (const FileError&) {
    Broken("a written manifest was refused");
  }
  return 0;
}
