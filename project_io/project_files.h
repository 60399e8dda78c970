// The two files of a project in the data directory: "<name>.pjx" holds the
// tiles' classes, names and positions, "<name>.dat" the settings, the control
// panel and each tile's electrical record, in the same order. Links between
// tiles are stored as positions in that order.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/byte_stream.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/project.h"
#include "model/settings.h"
#include "project_io/component_record.h"
#include "project_io/project_image.h"

namespace voltaris {

// The path of one of a project's files: `dataDir` + "/" + `fileName` + `extension`.
std::string ProjectPath(const std::string& dataDir, const std::string& fileName, const std::string& extension);

// The settings at the start of a ".dat" file: system standard, alarm period
// and cable run (int32), cable impedance and battery factor (double), then
// the show-length flag (one byte); 29 bytes in all. Reading throws
// StreamError when the data ends inside them.
inline constexpr size_t SettingsHeaderSize = 29;
void WriteSettingsHeader(TStream& stream, const TSettings& settings);
TSettings ReadSettingsHeader(TStream& stream);

// The bytes of both files for a project; every tile's SaveIndex is set to
// its position in the save order on the way. The ".dat" ends with the
// extension section (designer/project_extension.h) when the project has
// figures the tile records lack, and with the last tile record otherwise.
// (TProjectBytes and TProjectImage are in project_io/project_image.h.)
TProjectBytes WriteProject(const TSettings& settings, TControlPanel& panel, TCanvas& canvas);

// The same bytes as an image in blocks, for a caller that writes the image
// again and again (the undo history takes one after every command): only the
// records of tiles touched since the last image of the canvas (TDevice::Touch),
// and of tiles added since, are written afresh; the blocks of the others are
// shared with that image. When a tile has gone, or the cable run setting that
// the extension section measures data cables by has changed, every tile is
// written afresh. With `check`, the image is compared with one written
// afresh, and a difference is a fault in the program (LinkMisuse).
TProjectImage WriteProjectImage(const TSettings& settings, TControlPanel& panel, TCanvas& canvas, bool check = false);

// The file operations a save needs, so that tests can make them fail.
class IProjectFileSystem {
 public:
  virtual ~IProjectFileSystem() = default;
  virtual void CreateDirectories(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // Writes the whole file as a new one, in place of whatever stood at the
  // name, and makes sure it reached the disk.
  virtual void WriteFile(const std::string& path, const TBytes& bytes) = 0;
  virtual void Rename(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
};
IProjectFileSystem& RealFileSystem();

// Saves the project into `dataDir` (created when missing). Both files are
// written under temporary names and put in place only when both are
// complete; when anything fails the previous files are left as they were
// and a FileError names the file and what went wrong. The bytes written.
TProjectBytes SaveProjectFiles(const std::string& dataDir, const std::string& fileName, const TSettings& settings,
                               TControlPanel& panel, TCanvas& canvas, IProjectFileSystem& files = RealFileSystem());

// Puts `bytes` in place as project `fileName` of `dataDir`, as all or
// nothing, in the same steps as SaveProjectFiles: a copy of a project's
// files is saved exactly as the project itself would be.
void PlaceProjectFiles(const std::string& dataDir, const std::string& fileName, const TProjectBytes& bytes,
                       IProjectFileSystem& files = RealFileSystem());

// What a save puts in place: each file's size and CRC-32. Before its first
// rename a save writes the stamp of its new files beside them
// ("<name>.saving") and it removes it after its last step, so that a save
// cut off half-way can be told and settled (SettleCutSave).
inline constexpr const char* SaveStampExtension = ".saving";
inline constexpr const char* SaveStampHeading = "Voltaris save 1";
// The largest project file read: far beyond any design a panel can hold.
inline constexpr size_t MaxProjectFileBytes = ProjectFileLimit.Bytes;
// A save's stamp is one short line.
inline constexpr TFileLimit SaveStampLimit{1024, "a save's stamp"};
struct TSaveStamp {
  uint64_t DatSize = 0;
  uint32_t DatCrc = 0;
  uint64_t PjxSize = 0;
  uint32_t PjxCrc = 0;

  static TSaveStamp Of(const TProjectBytes& bytes);
  bool operator==(const TSaveStamp&) const = default;
};
std::string SaveStampText(const TSaveStamp& stamp);
// Nothing when the text is not a whole, sound stamp (one cut while written).
std::optional<TSaveStamp> ParseSaveStamp(const std::string& text);

// Whether project `fileName` of `dataDir` has what a save cut off leaves:
// its stamp, or a ".new" or ".old" file.
bool HasCutSave(const std::string& dataDir, const std::string& fileName);
enum class TCutSave {
  None,        // nothing was left to settle
  Finished,    // the save's new files were whole: they now hold the project's names
  RolledBack,  // they were not all written: the project is as it was before that save
};
// Settles a save of project `fileName` that was cut off, leaving either
// the previous project or the saved one under the project's names, never
// one file of each, and no ".new", ".old" or ".saving" file. Run only by
// the designer holding the project's lock. FileError when a step fails;
// what is on the disk then still reads as one project or the other.
TCutSave SettleCutSave(const std::string& dataDir, const std::string& fileName,
                       IProjectFileSystem& files = RealFileSystem());

// Removes both files of project `fileName` with any ".old" or ".new" copy a
// cut-off save left; a file that is already gone is not an error, one that
// is still there afterwards is a FileError naming it.
void RemoveProjectFiles(const std::string& dataDir, const std::string& fileName,
                        IProjectFileSystem& files = RealFileSystem());

// Builds a project from the bytes of its two files (named in error messages
// by `datName` and `pjxName`): the tiles are created with the stored settings
// in force, their records read, the supplies taken in by the panel, clones
// attached to their masters and the links replayed as drops; then every
// figure is recalculated. The ".dat" must hold exactly the records of the
// tiles of the ".pjx", then at most an extension section whose figures the
// tiles take: anything else left over means one of them was cut.
// `settings` receives the stored settings, which are also the new project's.
// The control panel's supply palette starts from `palette`. Nothing outside
// the new project changes, and when the files are not sound a FileError
// says which file and what is wrong.
TProject ReadProject(const TBytes& dat, const TBytes& pjx, const std::string& datName, const std::string& pjxName,
                     TSettings& settings, const TStringList& palette = PaletteFrom("."));
// The bytes of project `fileName`'s two files in `dataDir`, from the ".old"
// copies as LoadProjectFiles reads them; the paths read go to `datName` and
// `pjxName` when given. Reading changes no file.
TProjectBytes ReadProjectBytes(const std::string& dataDir, const std::string& fileName, std::string* datName = nullptr,
                               std::string* pjxName = nullptr);
// Reads the files of project `fileName` from `dataDir`. When a save was cut
// off while the previous files stood aside, so that "<name>.dat" or
// "<name>.pjx" is missing, the previous project is read from the ".old"
// copies that save left. Reading changes no file.
TProject LoadProjectFiles(const std::string& dataDir, const std::string& fileName, TSettings& settings,
                          const TStringList& palette = PaletteFrom("."));

// The positions and sizes a layout file may give a tile, in canvas pixels.
inline constexpr int32_t MaxCanvasPosition = 1000000;
inline constexpr int32_t MaxTileSize = 4096;

}  // namespace voltaris
