#include "project_io/project_files.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <utility>

#include "catalogue/format.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/project_context.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "project_io/project_extension.h"

namespace voltaris {

namespace fs = std::filesystem;

std::string ProjectPath(const std::string& dataDir, const std::string& fileName, const std::string& extension) {
  return dataDir + "/" + fileName + extension;
}

void WriteSettingsHeader(TStream& stream, const TSettings& settings) {
  stream.WriteInt32(settings.SystemStandard);
  stream.WriteInt32(settings.AlarmPeriod);
  stream.WriteInt32(settings.CableRun);
  stream.WriteDouble(settings.CableImpedance);
  stream.WriteDouble(settings.BatteryFactor);
  stream.WriteBool(settings.ShowLength);
}

TSettings ReadSettingsHeader(TStream& stream) {
  TSettings settings;
  settings.SystemStandard = stream.ReadInt32();
  settings.AlarmPeriod = stream.ReadInt32();
  settings.CableRun = stream.ReadInt32();
  settings.CableImpedance = stream.ReadDouble();
  settings.BatteryFactor = stream.ReadDouble();
  settings.ShowLength = stream.ReadBool();
  return settings;
}

namespace {

// The caption labels of a panel network block, as child records.
void AddLabelRecords(TComponentRecord& record, const TPanelNetwork& network) {
  // Nominal sizes: the labels size themselves to their text when shown.
  for (size_t i = 0; i < network.Labels.size(); ++i) {
    const TTileLabel& label = network.Labels[i];
    TComponentRecord child;
    child.ClassName = "TLabel";
    child.Add("Left", TPropertyValue::Integer(label.Left));
    child.Add("Top", TPropertyValue::Integer(label.Top));
    child.Add("Width", TPropertyValue::Integer(i == TPanelNetwork::NameLabel ? 100 : 108));
    child.Add("Height", TPropertyValue::Integer(i == TPanelNetwork::NameLabel ? 20 : 13));
    if (!label.Text.empty()) child.Add("Caption", TPropertyValue::String(label.Text));
    if (label.Bold) {
      child.Add("Font.Height", TPropertyValue::Integer(-16));
      child.Add("Font.Style", TPropertyValue::Set({"fsBold"}));
      child.Add("ParentFont", TPropertyValue::Boolean(false));
    }
    if (!label.Visible) child.Add("Visible", TPropertyValue::Boolean(false));
    record.Children.push_back(std::move(child));
  }
}

// The charging current a load gives a supply (see RestoreUnstoredFigures):
// from its battery and grade, or a new supply's while it has no battery.
int32_t LoadedChargeCurrent(const TPowerModule& module) {
  return module.BatteryIndex >= 0 ? StandAloneChargeCurrent(module.BatteryCapacity, module.GetGrade())
                                  : PanelOptsTable[RemotePsuPanelType].ChargeCurrent;
}

// The figures the tile records lack, each only where a load without the
// section would not give it back: every network device's data cable (a load
// gives it the cable run), every supply's charging current, the order of
// every tile's children (a load wires them in save order), and the control
// panel's supply palette (a load starts from the palette file). What one
// tile gives the section depends on that tile alone (and on the save indexes
// of its children), so that an image written in part can keep it.
struct TTileExtras {
  std::optional<double> DataCable;
  std::optional<int32_t> ChargeCurrent;
  std::optional<std::string> Label;
  std::optional<std::vector<int32_t>> ChildOrder;
  bool Any() const { return DataCable || ChargeCurrent || Label || ChildOrder; }
};

TTileExtras TileExtras(const TDevice& tile, double loadedDataCable) {
  TTileExtras extras;
  const TNetDevice* device = tile.AsNetDevice();
  // Compared bit for bit, so that what is read back saves the same bytes.
  if (device && std::memcmp(&device->NetCableLength, &loadedDataCable, sizeof(double)) != 0)
    extras.DataCable = device->NetCableLength;
  if (const auto* psu = dynamic_cast<const TPSU*>(&tile)) {
    if (psu->Module.ChargeCurrent != LoadedChargeCurrent(psu->Module)) extras.ChargeCurrent = psu->Module.ChargeCurrent;
    // The set-up keeps a label within its length; one longer is cut rather
    // than lost with the whole save.
    if (!psu->Module.Label.empty()) extras.Label = psu->Module.Label.substr(0, MaxSupplyLabel);
  }
  const std::vector<TNetDevice*>& children = tile.Children;
  const bool inSaveOrder = std::is_sorted(children.begin(), children.end(),
                                          [](const TNetDevice* a, const TNetDevice* b) {
                                            return a->SaveIndex < b->SaveIndex;
                                          });
  if (!inSaveOrder) {
    extras.ChildOrder.emplace();
    for (const TNetDevice* child : children) extras.ChildOrder->push_back(child->SaveIndex);
  }
  return extras;
}

// Each list of the section is in ascending save index: tiles are added in
// save order.
void AddTileExtras(TProjectExtension& extension, int32_t index, const TTileExtras& extras) {
  if (extras.DataCable) extension.DataCableLengths.push_back({index, *extras.DataCable});
  if (extras.ChargeCurrent) extension.ChargeCurrents.push_back({index, *extras.ChargeCurrent});
  if (extras.Label) extension.SupplyLabels.push_back({index, *extras.Label});
  if (extras.ChildOrder) extension.ChildOrders.push_back({index, *extras.ChildOrder});
}

// The parts of the section that belong to the project as a whole.
void AddProjectExtras(TProjectExtension& extension, const TControlPanel& panel, const TCanvas& canvas) {
  extension.Details = canvas.Context().Details;
  if (canvas.Context().BatteryVolts != DefaultBatteryVolts) extension.BatteryVolts = canvas.Context().BatteryVolts;
  const bool paletteFits = std::all_of(panel.Colours.begin(), panel.Colours.end(),
                                       [](const std::string& colour) { return colour.size() <= 255; });
  if (panel.Colours != canvas.Context().Palette && paletteFits) {
    extension.HasPalette = true;
    extension.Palette = panel.Colours;
  }
}

void WriteLayoutRecord(TStream& pjx, const TDevice& tile) {
  TComponentRecord record = TileRecord(tile.ClassName(), tile.Name(),
                                       {tile.Left(), tile.Top(), tile.Width(), tile.Height()}, tile.Hint());
  if (const auto* network = dynamic_cast<const TPanelNetwork*>(&tile)) AddLabelRecords(record, *network);
  WriteComponentRecord(pjx, record);
}

// The settings header and the control panel's record: the ".dat" before the tiles.
void WriteHead(TStream& dat, const TSettings& settings, TControlPanel& panel) {
  WriteSettingsHeader(dat, settings);
  panel.WriteRecord(dat);
}

}  // namespace

TProjectBytes WriteProject(const TSettings& settings, TControlPanel& panel, TCanvas& canvas) {
  const auto& tiles = canvas.Tiles();
  for (size_t i = 0; i < tiles.size(); ++i) tiles[i]->SaveIndex = static_cast<int32_t>(i);
  TStream dat;
  TStream pjx;
  WriteHead(dat, settings, panel);
  TProjectExtension extension;
  const double loadedDataCable = static_cast<double>(settings.CableRun);
  for (size_t i = 0; i < tiles.size(); ++i) {
    WriteLayoutRecord(pjx, *tiles[i]);
    tiles[i]->WriteRecord(dat);
    AddTileExtras(extension, static_cast<int32_t>(i), TileExtras(*tiles[i], loadedDataCable));
  }
  AddProjectExtras(extension, panel, canvas);
  WriteProjectExtension(dat, extension);
  return {dat.TakeBytes(), pjx.TakeBytes()};
}

namespace {

// What the canvas keeps of its last image: every tile's records and what it
// gives the extension section, by save index, and the blocks of both files,
// each holding the records of BlockTiles tiles in a row.
class TImageWriter : public TCanvas::TKeep {
 public:
  TProjectImage Write(const TSettings& settings, TControlPanel& panel, TCanvas& canvas);
  // The tiles whose kept records differ from theirs written afresh, named.
  std::string Stale(const TSettings& settings, const TCanvas& canvas) const;

 private:
  static constexpr size_t BlockTiles = 32;
  // What a tile's layout record is made from: the record is laid out
  // again only when one of them changed.
  struct TLayout {
    std::string ClassName;
    std::string Name;
    TBounds Bounds;
    std::string Hint;
    std::vector<TTileLabel> Labels;  // a panel network's
    bool operator==(const TLayout&) const = default;
  };
  struct TTile {
    TBytes Dat;
    TBytes Pjx;
    TLayout Layout;
    TTileExtras Extras;
  };
  void WriteTile(size_t index, TDevice& tile, double loadedDataCable);

  bool written_ = false;
  int32_t cableRun_ = 0;
  std::vector<TTile> tiles_;
  // The save indexes of the tiles that give the extension section anything.
  std::set<size_t> extras_;
  // The panel networks: their layout records hold their labels, which are
  // written afresh each time (a design has a handful).
  std::vector<size_t> networks_;
  // The ".dat" is the head, a block per BlockTiles tiles, then the extension
  // section; the ".pjx" is the tiles' blocks alone.
  std::vector<TProjectImage::TBlock> datBlocks_;
  std::vector<TProjectImage::TBlock> pjxBlocks_;
  std::vector<bool> stale_;
};

void TImageWriter::WriteTile(size_t index, TDevice& tile, double loadedDataCable) {
  TTile& entry = tiles_[index];
  TStream dat;
  tile.WriteRecord(dat);
  TBytes bytes = dat.TakeBytes();
  if (bytes != entry.Dat) {
    entry.Dat = std::move(bytes);
    stale_[index / BlockTiles] = true;
  }
  const auto* network = dynamic_cast<const TPanelNetwork*>(&tile);
  TLayout layout{tile.ClassName(),
                 tile.Name(),
                 {tile.Left(), tile.Top(), tile.Width(), tile.Height()},
                 tile.Hint(),
                 network ? std::vector<TTileLabel>(network->Labels.begin(), network->Labels.end())
                         : std::vector<TTileLabel>()};
  if (entry.Pjx.empty() || layout != entry.Layout) {
    TStream pjx;
    WriteLayoutRecord(pjx, tile);
    entry.Pjx = pjx.TakeBytes();
    entry.Layout = std::move(layout);
    stale_[index / BlockTiles] = true;
  }
  entry.Extras = TileExtras(tile, loadedDataCable);
  if (entry.Extras.Any()) {
    extras_.insert(index);
  } else {
    extras_.erase(index);
  }
}

std::string TImageWriter::Stale(const TSettings& settings, const TCanvas& canvas) const {
  std::string names;
  const auto& tiles = canvas.Tiles();
  for (size_t i = 0; i < tiles.size() && i < tiles_.size(); ++i) {
    TStream dat;
    tiles[i]->WriteRecord(dat);
    TStream pjx;
    WriteLayoutRecord(pjx, *tiles[i]);
    const TTileExtras extras = TileExtras(*tiles[i], static_cast<double>(settings.CableRun));
    TProjectExtension fresh, kept;
    AddTileExtras(fresh, 0, extras);
    AddTileExtras(kept, 0, tiles_[i].Extras);
    TStream freshExtras, keptExtras;
    WriteProjectExtension(freshExtras, fresh);
    WriteProjectExtension(keptExtras, kept);
    if (dat.Bytes() != tiles_[i].Dat || pjx.Bytes() != tiles_[i].Pjx || freshExtras.Bytes() != keptExtras.Bytes())
      names += Format("%stile %d (%s)", names.empty() ? "" : ", ", static_cast<int>(i), tiles[i]->ClassName());
  }
  return names.empty() ? "the head or the extension section" : names;
}

TProjectImage TImageWriter::Write(const TSettings& settings, TControlPanel& panel, TCanvas& canvas) {
  const TCanvas::TTouched touched = canvas.TakeTouched();
  const auto& tiles = canvas.Tiles();
  const double loadedDataCable = static_cast<double>(settings.CableRun);
  const size_t count = tiles.size();
  const bool whole = !written_ || touched.Reordered || settings.CableRun != cableRun_ || count < tiles_.size();
  const size_t known = whole ? 0 : tiles_.size();
  written_ = true;
  cableRun_ = settings.CableRun;
  tiles_.resize(count);
  const size_t blocks = (count + BlockTiles - 1) / BlockTiles;
  stale_.assign(blocks, false);
  if (whole) {
    extras_.clear();
    networks_.clear();
    pjxBlocks_.clear();
  }
  // Every index first: a record holds the indexes of the tiles it links to.
  for (size_t i = known; i < count; ++i) tiles[i]->SaveIndex = static_cast<int32_t>(i);
  for (size_t i = known; i < count; ++i) {
    if (dynamic_cast<const TPanelNetwork*>(tiles[i].get())) networks_.push_back(i);
    WriteTile(i, *tiles[i], loadedDataCable);
  }
  for (TDevice* tile : touched.Tiles) {
    const auto index = static_cast<size_t>(tile->SaveIndex);
    if (index >= known) continue;  // written above
    if (tiles[index].get() != tile) LinkMisuse("a touched tile is not at its save index");
    WriteTile(index, *tile, loadedDataCable);
  }
  for (size_t index : networks_) WriteTile(index, *tiles[index], loadedDataCable);

  datBlocks_.resize(blocks + 2);
  pjxBlocks_.resize(blocks);
  for (size_t block = 0; block < blocks; ++block) {
    if (!stale_[block] && pjxBlocks_[block]) continue;
    TBytes dat;
    TBytes pjx;
    const size_t end = std::min(count, (block + 1) * BlockTiles);
    for (size_t i = block * BlockTiles; i < end; ++i) {
      dat.insert(dat.end(), tiles_[i].Dat.begin(), tiles_[i].Dat.end());
      pjx.insert(pjx.end(), tiles_[i].Pjx.begin(), tiles_[i].Pjx.end());
    }
    datBlocks_[block + 1] = std::make_shared<const TBytes>(std::move(dat));
    pjxBlocks_[block] = std::make_shared<const TBytes>(std::move(pjx));
  }
  TStream head;
  WriteHead(head, settings, panel);
  datBlocks_.front() = std::make_shared<const TBytes>(head.TakeBytes());
  TProjectExtension extension;
  for (size_t index : extras_) AddTileExtras(extension, static_cast<int32_t>(index), tiles_[index].Extras);
  AddProjectExtras(extension, panel, canvas);
  TStream tail;
  WriteProjectExtension(tail, extension);
  datBlocks_.back() = std::make_shared<const TBytes>(tail.TakeBytes());
  return {datBlocks_, pjxBlocks_};
}

}  // namespace

TProjectImage WriteProjectImage(const TSettings& settings, TControlPanel& panel, TCanvas& canvas, bool check) {
  auto* writer = dynamic_cast<TImageWriter*>(canvas.Kept.get());
  if (!writer) {
    auto made = std::make_unique<TImageWriter>();
    writer = made.get();
    canvas.Kept = std::move(made);
  }
  TProjectImage image = writer->Write(settings, panel, canvas);
  if (check && !(image == TProjectImage(WriteProject(settings, panel, canvas)))) {
    const std::string what = "the file image kept records that had changed: " + writer->Stale(settings, canvas);
    LinkMisuse(what.c_str());
  }
  return image;
}

namespace {

class TRealFileSystem : public IProjectFileSystem {
 public:
  void CreateDirectories(const std::string& path) override {
    std::error_code error;
    fs::create_directories(path, error);
    if (error) throw FileError(path + ": cannot create the directory (" + error.message() + ")");
  }
  bool Exists(const std::string& path) override {
    std::error_code error;
    return fs::exists(path, error);
  }
  void WriteFile(const std::string& path, const TBytes& bytes) override {
    // A new file, never written through a link left at its name, and on the
    // disk before it takes the project's name.
    TStream(bytes).SaveToFile(path, true);
  }
  void Rename(const std::string& from, const std::string& to) override {
    // Only a plain file moves: a link standing as a project's file is the
    // user's, and moving it aside would put the saved file in its place.
    CheckReplaceable(from);
    std::error_code error;
    fs::rename(from, to, error);
    if (error) throw FileError(to + ": cannot put the new file in place (" + error.message() + ")");
  }
  void Remove(const std::string& path) override {
    std::error_code error;
    fs::remove(path, error);
  }
};

}  // namespace

IProjectFileSystem& RealFileSystem() {
  static TRealFileSystem files;
  return files;
}

TProjectBytes SaveProjectFiles(const std::string& dataDir, const std::string& fileName, const TSettings& settings,
                               TControlPanel& panel, TCanvas& canvas, IProjectFileSystem& files) {
  TProjectBytes bytes = WriteProject(settings, panel, canvas);
  PlaceProjectFiles(dataDir, fileName, bytes, files);
  return bytes;
}

void PlaceProjectFiles(const std::string& dataDir, const std::string& fileName, const TProjectBytes& bytes,
                       IProjectFileSystem& files) {
  files.CreateDirectories(dataDir);
  const std::string dat = ProjectPath(dataDir, fileName, ".dat");
  const std::string pjx = ProjectPath(dataDir, fileName, ".pjx");
  const std::string datNew = dat + ".new", pjxNew = pjx + ".new";
  const std::string datOld = dat + ".old", pjxOld = pjx + ".old";
  const std::string stampPath = ProjectPath(dataDir, fileName, SaveStampExtension);

  // 1. Both new files complete beside the old ones, then the stamp that
  // says so: from here on a save cut off can be finished.
  try {
    files.WriteFile(datNew, bytes.Dat);
    files.WriteFile(pjxNew, bytes.Pjx);
    const std::string stamp = SaveStampText(TSaveStamp::Of(bytes));
    files.WriteFile(stampPath, TBytes(stamp.begin(), stamp.end()));
  } catch (...) {
    files.Remove(stampPath);
    files.Remove(datNew);
    files.Remove(pjxNew);
    throw;
  }
  // 2. The old files step aside, 3. the new ones take their names. Should
  // any step fail, the old files are put back. Copies left by an earlier
  // save that was cut off go first while both files are there: only this
  // save's copies may be found under the ".old" names (see LoadProjectFiles).
  const bool hadDat = files.Exists(dat), hadPjx = files.Exists(pjx);
  if (hadDat && hadPjx) {
    files.Remove(datOld);
    files.Remove(pjxOld);
  }
  bool datMoved = false, pjxMoved = false, datPlaced = false;
  try {
    if (hadDat) {
      files.Rename(dat, datOld);
      datMoved = true;
    }
    if (hadPjx) {
      files.Rename(pjx, pjxOld);
      pjxMoved = true;
    }
    files.Rename(datNew, dat);
    datPlaced = true;
    files.Rename(pjxNew, pjx);
  } catch (...) {
    // Each step back on its own: one that fails must neither stop the others
    // nor hide the error that made the save fail.
    auto attempt = [](const std::function<void()>& step) {
      try {
        step();
      } catch (...) {
      }
    };
    if (datPlaced) attempt([&] { files.Remove(dat); });
    if (datMoved) attempt([&] { files.Rename(datOld, dat); });
    if (pjxMoved) attempt([&] { files.Rename(pjxOld, pjx); });
    attempt([&] { files.Remove(datNew); });
    attempt([&] { files.Remove(pjxNew); });
    attempt([&] { files.Remove(stampPath); });
    throw;
  }
  // 4. The saved project stands; the old copies go, and the stamp last.
  files.Remove(datOld);
  files.Remove(pjxOld);
  files.Remove(stampPath);
}

void RemoveProjectFiles(const std::string& dataDir, const std::string& fileName, IProjectFileSystem& files) {
  for (const char* extension : {".dat", ".pjx"}) {
    const std::string path = ProjectPath(dataDir, fileName, extension);
    files.Remove(path);
    files.Remove(path + ".old");
    files.Remove(path + ".new");
    if (files.Exists(path)) throw FileError(path + ": cannot delete the file");
  }
  files.Remove(ProjectPath(dataDir, fileName, SaveStampExtension));
}

// --- a save cut off ---

TSaveStamp TSaveStamp::Of(const TProjectBytes& bytes) {
  return {bytes.Dat.size(), Crc32(bytes.Dat.data(), bytes.Dat.size()), bytes.Pjx.size(),
          Crc32(bytes.Pjx.data(), bytes.Pjx.size())};
}

std::string SaveStampText(const TSaveStamp& stamp) {
  return Format("%s\ndat=%u %u\npjx=%u %u\nend\n", SaveStampHeading, stamp.DatSize, stamp.DatCrc, stamp.PjxSize,
                stamp.PjxCrc);
}

std::optional<TSaveStamp> ParseSaveStamp(const std::string& text) {
  std::istringstream lines(text);
  std::string heading, datLine, pjxLine, end, more;
  if (!std::getline(lines, heading) || heading != SaveStampHeading || !std::getline(lines, datLine) ||
      !std::getline(lines, pjxLine) || !std::getline(lines, end) || end != "end" || std::getline(lines, more))
    return std::nullopt;
  auto sizeAndCrc = [](const std::string& line, const char* key, uint64_t& size, uint32_t& crc) {
    const std::string prefix = std::string(key) + "=";
    if (line.rfind(prefix, 0) != 0) return false;
    std::istringstream fields(line.substr(prefix.size()));
    uint64_t parsedCrc = 0;
    char left = 0;
    if (!(fields >> size >> parsedCrc) || fields >> left || parsedCrc > UINT32_MAX) return false;
    crc = static_cast<uint32_t>(parsedCrc);
    return true;
  };
  TSaveStamp stamp;
  if (!sizeAndCrc(datLine, "dat", stamp.DatSize, stamp.DatCrc) ||
      !sizeAndCrc(pjxLine, "pjx", stamp.PjxSize, stamp.PjxCrc))
    return std::nullopt;
  return stamp;
}

namespace {

// The size and CRC-32 of the file at `path`; nothing when it cannot be read.
std::optional<std::pair<uint64_t, uint32_t>> SizeAndCrcOf(const std::string& path) {
  try {
    const TStream file = TStream::LoadFromFile(path, ProjectFileLimit);
    return std::make_pair(static_cast<uint64_t>(file.Bytes().size()), Crc32(file.Bytes().data(), file.Bytes().size()));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

bool Holds(const std::string& path, uint64_t size, uint32_t crc) {
  const auto found = SizeAndCrcOf(path);
  return found && found->first == size && found->second == crc;
}

}  // namespace

bool HasCutSave(const std::string& dataDir, const std::string& fileName) {
  IProjectFileSystem& files = RealFileSystem();
  for (const char* extension : {SaveStampExtension, ".dat.new", ".pjx.new", ".dat.old", ".pjx.old"}) {
    if (files.Exists(ProjectPath(dataDir, fileName, extension))) return true;
  }
  return false;
}

TCutSave SettleCutSave(const std::string& dataDir, const std::string& fileName, IProjectFileSystem& files) {
  if (!HasCutSave(dataDir, fileName)) return TCutSave::None;
  const std::string stampPath = ProjectPath(dataDir, fileName, SaveStampExtension);
  std::optional<TSaveStamp> stamp;
  try {
    const TStream text = TStream::LoadFromFile(stampPath, SaveStampLimit);
    stamp = ParseSaveStamp(std::string(text.Bytes().begin(), text.Bytes().end()));
  } catch (const std::exception&) {
    // No stamp, or one cut while written: the renames had not begun.
  }
  struct TFile {
    std::string Path;
    uint64_t Size = 0;
    uint32_t Crc = 0;
    bool NewInPlace = false, NewBeside = false;
  };
  TFile project[2] = {{ProjectPath(dataDir, fileName, ".dat")}, {ProjectPath(dataDir, fileName, ".pjx")}};
  if (stamp) {
    project[0].Size = stamp->DatSize, project[0].Crc = stamp->DatCrc;
    project[1].Size = stamp->PjxSize, project[1].Crc = stamp->PjxCrc;
    for (TFile& file : project) {
      file.NewInPlace = Holds(file.Path, file.Size, file.Crc);
      file.NewBeside = !file.NewInPlace && Holds(file.Path + ".new", file.Size, file.Crc);
    }
  }
  TCutSave outcome = TCutSave::RolledBack;
  if (stamp && std::all_of(std::begin(project), std::end(project),
                           [](const TFile& file) { return file.NewInPlace || file.NewBeside; })) {
    // Both new files are whole: the save is finished.
    for (const TFile& file : project) {
      if (file.NewBeside) files.Rename(file.Path + ".new", file.Path);
    }
    outcome = TCutSave::Finished;
  } else {
    // The previous files take the project's names again: where a name is
    // missing, or holds a new file whose partner is not there to match it.
    // The previous files of one project stood aside together, so either
    // both come back or the one that stood aside does.
    const bool cutAmidRenames = std::any_of(std::begin(project), std::end(project), [&](const TFile& file) {
      return !files.Exists(file.Path) || file.NewInPlace;
    });
    if (cutAmidRenames) {
      for (const TFile& file : project) {
        if (files.Exists(file.Path + ".old")) files.Rename(file.Path + ".old", file.Path);
      }
    }
    if (!stamp && !cutAmidRenames && std::none_of(std::begin(project), std::end(project), [&](const TFile& file) {
          return files.Exists(file.Path + ".new");
        }))
      outcome = TCutSave::None;  // only the ".old" files of a save that was finished
  }
  for (const TFile& file : project) {
    files.Remove(file.Path + ".new");
    if (files.Exists(project[0].Path) && files.Exists(project[1].Path)) files.Remove(file.Path + ".old");
  }
  files.Remove(stampPath);
  return outcome;
}

namespace {

// Names a tile in messages: "tile 7 (TVududa)".
std::string TileName(size_t index, const TDevice& tile) { return Format("tile %d (%s)", index, tile.ClassName()); }

// The layout: every record must be complete and name a tile class.
std::vector<TComponentRecord> ReadLayout(const TBytes& pjxBytes, const std::string& pjxName) {
  try {
    TStream pjx(pjxBytes);
    return ReadComponentRecords(pjx, TCanvas::TileClassNames());
  } catch (const StreamError& error) {
    throw FileError(pjxName + ": " + error.what());
  }
}

// No two tiles share a name; tiles without one are not counted.
void CheckNames(const std::vector<TComponentRecord>& records, const std::string& pjxName) {
  std::set<std::string> names;
  for (size_t i = 0; i < records.size(); ++i) {
    const std::string& name = records[i].Name;
    if (!name.empty() && !names.insert(name).second)
      throw FileError(
          Format("%s: the name \"%s\" of record %d is already used by an earlier record", pjxName, name, i));
  }
}

// A tile joins the panel that shows its figures: a network block as one of
// its networks, a supply as one of its supplies.
void TakeIntoPanel(TControlPanel& panel, TDevice& tile) {
  if (auto* network = dynamic_cast<TPanelNetwork*>(&tile)) {
    network->ControlPanel = &panel;
    panel.Networks.push_back(network);
  } else if (auto* psu = dynamic_cast<TPSU*>(&tile)) {
    panel.AddPSU(psu);
  }
}

// The figures that are not stored come from what is: the panel's charging
// current from its type, every supply's from its battery and grade, and the
// battery factor from the settings. A supply that never had a battery keeps
// the charging current a new supply starts with, as it had when it was saved.
void RestoreUnstoredFigures(TControlPanel& panel, const TSettings& stored) {
  panel.Name = PanelOptsTable[panel.PanelType].Name;
  panel.SetPanelType(panel.PanelType);
  panel.SetBatteryFactor(stored.BatteryFactor);
  for (TPSU* psu : panel.PSUs) {
    if (psu->Module.BatteryIndex >= 0) psu->Module.UpdateChargeCurrent();
  }
}

// Every figure from the loaded design. The stored network loads are worked
// out again from the design itself, also where no drop reached them (a
// network or supply left empty).
void Recalculate(TControlPanel& panel) {
  panel.RecalcNetworkLoad();
  for (TPSU* psu : panel.PSUs) psu->RecalcLoad();
  panel.Calculate();
  for (TPSU* psu : panel.PSUs) psu->Module.Calculate();
  for (TPSU* psu : panel.PSUs) psu->UpdateStatus();
  panel.UpdateLowestNetworkGrade();
}

// Reads the ".dat" of a project whose layout has been read: the settings,
// the control panel, the tiles' records in layout order and the links
// between them, which count tiles in that order. Every step throws a
// FileError that names the file and what is wrong in it.
class TProjectReader {
 public:
  TProjectReader(const TBytes& datBytes, const std::string& datName, const std::string& pjxName)
      : dat_(datBytes), datName_(datName), pjxName_(pjxName) {}

  TSettings ReadSettings() {
    try {
      return ReadSettingsHeader(dat_);
    } catch (const StreamError& error) {
      throw FileError(datName_ + ": the file ends inside the settings (" + error.what() + ")");
    }
  }

  void ReadControlPanel(TControlPanel& panel) {
    try {
      panel.ReadRecord(dat_);
    } catch (const StreamError& error) {
      throw FileError(datName_ + ": the control panel record is not sound (" + error.what() + ")");
    }
    if (!PanelOptsTable[panel.PanelType].IsPanel)
      throw FileError(Format("%s: panel type %d (%s) is not a control panel", datName_, panel.PanelType,
                             PanelOptsTable[panel.PanelType].Name));
  }

  // Every tile with its position, then its electrical record.
  void CreateTiles(TProject& project, const std::vector<TComponentRecord>& records) {
    for (size_t i = 0; i < records.size(); ++i) {
      TDevice& tile = CreateTile(*project.Canvas, records[i], i);
      ReadTileRecord(tile, i);
      TakeIntoPanel(*project.ControlPanel, tile);
      tiles_.push_back(&tile);
    }
  }

  // The supply palette as it was saved: the supplies take their colours from
  // it again (before clones and devices take theirs from the supplies).
  void ApplyPalette(TControlPanel& panel) const {
    if (!extension_.HasPalette) return;
    panel.Colours = extension_.Palette;
    for (size_t i = 0; i < panel.PSUs.size(); ++i) panel.PSUs[i]->SetColor(panel.PaletteColour(i));
  }

  // The company, engineer, customer, site address and notes, as saved.
  // And the battery volts on mains failure.
  void ApplyDetails(TProject& project) const {
    project.Context().Details = extension_.Details;
    project.Context().BatteryVolts = extension_.BatteryVolts.value_or(DefaultBatteryVolts);
  }

  // Charging currents that followed an earlier grade, as they were saved.
  void ApplyChargeCurrents() const {
    for (const TChargeCurrent& current : extension_.ChargeCurrents) {
      auto* psu = static_cast<size_t>(current.Tile) < tiles_.size()
                      ? dynamic_cast<TPSU*>(tiles_[static_cast<size_t>(current.Tile)])
                      : nullptr;
      if (!psu)
        throw FileError(
            Format("%s: the extension section gives a charging current to tile %d, which is not a power "
                   "supply",
                   datName_, current.Tile));
      psu->Module.ChargeCurrent = current.Milliamps;
    }
  }

  // Every supply's label, as saved.
  void ApplySupplyLabels() const {
    for (const TSupplyLabel& label : extension_.SupplyLabels) {
      auto* psu = static_cast<size_t>(label.Tile) < tiles_.size()
                      ? dynamic_cast<TPSU*>(tiles_[static_cast<size_t>(label.Tile)])
                      : nullptr;
      if (!psu)
        throw FileError(Format("%s: the extension section gives a label to tile %d, which is not a power supply",
                               datName_, label.Tile));
      psu->Module.Label = label.Label;
    }
  }

  // Children in the order the user wired them, once the links are replayed:
  // each list must hold exactly the children the links gave.
  void ApplyChildOrders() const {
    for (const TChildOrder& order : extension_.ChildOrders) {
      TDevice* parent = static_cast<size_t>(order.Tile) < tiles_.size() ? tiles_[static_cast<size_t>(order.Tile)]
                                                                        : nullptr;
      std::vector<TNetDevice*> reordered;
      if (parent) {
        for (int32_t index : order.Children) {
          const TDevice* tile = static_cast<size_t>(index) < tiles_.size() ? tiles_[static_cast<size_t>(index)]
                                                                           : nullptr;
          const auto found = std::find(parent->Children.begin(), parent->Children.end(), tile);
          if (!tile || found == parent->Children.end() ||
              std::find(reordered.begin(), reordered.end(), *found) != reordered.end())
            break;
          reordered.push_back(*found);
        }
      }
      if (!parent || reordered.size() != parent->Children.size() || reordered.size() != order.Children.size())
        throw FileError(Format("%s: the extension section gives tile %d an order of children it does not have",
                               datName_, order.Tile));
      parent->Children = std::move(reordered);
      for (size_t k = 0; k < parent->Children.size(); ++k)
        parent->SetChildPosition(*parent->Children[k], static_cast<int32_t>(k));
    }
  }

  // A hint that does not show keeps the text the file gave it: that text is
  // only the last one shown, which the recalculation's order of events need
  // not repeat, and the file must read back to the same bytes.
  void KeepHiddenHints(const std::vector<TComponentRecord>& records) const {
    for (size_t i = 0; i < tiles_.size(); ++i) {
      if (!tiles_[i]->ShowHint()) tiles_[i]->SetHint(RecordHint(records[i]));
    }
  }

  // The extension section, when one follows the tile records: its figures
  // go to the tiles it names before any link is replayed, so that the cable
  // runs are drawn with them.
  void ReadExtension() {
    if (!AtProjectExtension(dat_)) return;
    TProjectExtension extension;
    try {
      extension = ReadProjectExtension(dat_);
    } catch (const StreamError& error) {
      throw FileError(datName_ + ": the extension section after the tile records is not sound (" + error.what() + ")");
    }
    readExtension_ = true;
    extension_ = std::move(extension);
    for (const TDataCableLength& cable : extension_.DataCableLengths) {
      TNetDevice* device = nullptr;
      if (static_cast<size_t>(cable.Tile) < tiles_.size())
        device = tiles_[static_cast<size_t>(cable.Tile)]->AsNetDevice();
      if (!device)
        throw FileError(
            Format("%s: the extension section gives a data-cable length to tile %d, which is not a "
                   "network device of the %d tiles",
                   datName_, cable.Tile, tiles_.size()));
      device->NetCableLength = cable.Metres;
    }
  }

  // Both files end together: data left in the ".dat" means the layout lost
  // records (cut at a record's end), and loading it would silently drop tiles.
  void CheckBothFilesEnd() const {
    if (dat_.Remaining() > 0 && readExtension_)
      throw FileError(Format("%s: %d bytes follow the extension section", datName_, dat_.Remaining()));
    if (dat_.Remaining() > 0)
      throw FileError(Format("%s: %d bytes follow the records of the %d tiles of %s, which may have lost tiles",
                             datName_, dat_.Remaining(), tiles_.size(), pjxName_));
  }

  // Clones join their masters before any device is dropped on them.
  void AttachClones() const {
    for (size_t i = 0; i < tiles_.size(); ++i) {
      auto* clone = dynamic_cast<TPSUClone*>(tiles_[i]);
      if (!clone) continue;
      TDevice* master = TileAt(clone->MasterIndex, i, "master");
      if (!master) continue;
      auto* supply = dynamic_cast<TPSU*>(master);
      if (!supply)
        throw FileError(Format("%s: the master of %s is %s, which is not a power supply", datName_, TileName(i, *clone),
                               TileName(static_cast<size_t>(clone->MasterIndex), *master)));
      clone->AttachToMaster(*supply);
    }
  }

  // The links, replayed as the user's drops in file order: the network
  // parent first, then the supply. A link no drop could have made is an error.
  void ReplayLinks() const {
    for (size_t i = 0; i < tiles_.size(); ++i) {
      auto* device = dynamic_cast<TNetDevice*>(tiles_[i]);
      if (!device) continue;
      DropOnNetwork(*device, i);
      DropOnSupply(*device, i);
    }
  }

 private:
  // The tile of `record` (number `index` of the layout), at its place on the
  // canvas with its hint and name.
  TDevice& CreateTile(TCanvas& canvas, const TComponentRecord& record, size_t index) const {
    TDevice* tile = canvas.CreateByClassName(record.ClassName);
    if (!tile)
      throw FileError(
          Format("%s: record %d names the class %s, which is not a tile", pjxName_, index, record.ClassName));
    try {
      const TBounds bounds = RecordBounds(record);
      CheckOnCanvas(bounds, index);
      tile->SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
      const std::string hint = RecordHint(record);
      tile->SetHint(hint);
      tile->SetShowHint(!hint.empty());
    } catch (const StreamError& error) {
      throw FileError(pjxName_ + ": " + error.what());
    }
    tile->SetName(record.Name);
    return *tile;
  }

  // Every position the canvas can hold; beyond them the cable-run and grid
  // arithmetic would overflow.
  void CheckOnCanvas(const TBounds& bounds, size_t index) const {
    if (bounds.Left < 0 || bounds.Top < 0 || bounds.Left > MaxCanvasPosition || bounds.Top > MaxCanvasPosition ||
        bounds.Width < 0 || bounds.Height < 0 || bounds.Width > MaxTileSize || bounds.Height > MaxTileSize)
      throw FileError(Format("%s: record %d places its tile at %d, %d with size %d x %d, off the canvas", pjxName_,
                             index, bounds.Left, bounds.Top, bounds.Width, bounds.Height));
  }

  void ReadTileRecord(TDevice& tile, size_t index) {
    try {
      tile.ReadRecord(dat_);
    } catch (const std::exception& error) {
      throw FileError(
          Format("%s: the record of %s is not sound (%s)", datName_, TileName(index, tile), ReasonOf(error)));
    }
  }

  // The tile a stored link names, or none when the link is empty.
  TDevice* TileAt(int32_t link, size_t from, const char* what) const {
    if (link < 0) return nullptr;
    if (static_cast<size_t>(link) >= tiles_.size())
      throw FileError(Format("%s: the %s link %d of %s is beyond the %d tiles", datName_, what, link,
                             TileName(from, *tiles_[from]), tiles_.size()));
    return tiles_[static_cast<size_t>(link)];
  }

  // The device (tile `index`) dropped on the network it is wired to, which
  // must be a network object not hanging behind the device itself.
  void DropOnNetwork(TNetDevice& device, size_t index) const {
    TDevice* target = TileAt(device.SavedParent, index, "network");
    if (!target) return;
    auto* parent = dynamic_cast<TNetwork*>(target);
    if (!parent)
      throw FileError(Format("%s: %s is wired to %s, which is not a network object", datName_, TileName(index, device),
                             TileName(static_cast<size_t>(device.SavedParent), *target)));
    if (parent == &device || parent->DependsOn(&device))
      throw FileError(Format("%s: %s is wired behind itself", datName_, TileName(index, device)));
    parent->DragDropHandler(&device, 0, 0);
  }

  // The device (tile `index`) dropped on the supply that powers it.
  void DropOnSupply(TNetDevice& device, size_t index) const {
    TDevice* target = TileAt(device.SavedSupply, index, "supply");
    if (!target) return;
    if (!dynamic_cast<TPSUBase*>(target))
      throw FileError(Format("%s: %s is powered by %s, which is not a power supply", datName_, TileName(index, device),
                             TileName(static_cast<size_t>(device.SavedSupply), *target)));
    target->DragDropHandler(&device, 0, 0);
  }

  TStream dat_;
  const std::string& datName_;
  const std::string& pjxName_;
  std::vector<TDevice*> tiles_;  // in layout order, which the links count in
  bool readExtension_ = false;
  TProjectExtension extension_;
};

}  // namespace

TProject ReadProject(const TBytes& datBytes, const TBytes& pjxBytes, const std::string& datName,
                     const std::string& pjxName, TSettings& settings, const TStringList& palette) {
  const std::vector<TComponentRecord> records = ReadLayout(pjxBytes, pjxName);
  CheckNames(records, pjxName);
  TProjectReader reader(datBytes, datName, pjxName);
  const TSettings stored = reader.ReadSettings();
  // New network devices take their cable run and impedance from the project's settings.
  TProject project(stored, palette);
  reader.ReadControlPanel(*project.ControlPanel);
  reader.CreateTiles(project, records);
  reader.ReadExtension();
  reader.CheckBothFilesEnd();
  reader.ApplyDetails(project);
  RestoreUnstoredFigures(*project.ControlPanel, stored);
  reader.ApplyChargeCurrents();
  reader.ApplySupplyLabels();
  reader.ApplyPalette(*project.ControlPanel);
  reader.AttachClones();
  reader.ReplayLinks();
  reader.ApplyChildOrders();
  Recalculate(*project.ControlPanel);
  reader.KeepHiddenHints(records);
  settings = stored;
  return project;
}

TProjectBytes ReadProjectBytes(const std::string& dataDir, const std::string& fileName, std::string* datName,
                               std::string* pjxName) {
  std::string dat = ProjectPath(dataDir, fileName, ".dat");
  std::string pjx = ProjectPath(dataDir, fileName, ".pjx");
  // A save cut off (a crash, a power failure) after the previous files
  // stepped aside and before both new ones took their names leaves a name
  // missing; the previous project is then whole under the ".old" names.
  IProjectFileSystem& files = RealFileSystem();
  if ((!files.Exists(dat) || !files.Exists(pjx)) && (files.Exists(dat + ".old") || files.Exists(pjx + ".old"))) {
    if (files.Exists(dat + ".old")) dat += ".old";
    if (files.Exists(pjx + ".old")) pjx += ".old";
  }
  TStream pjxFile = TStream::LoadFromFile(pjx, ProjectFileLimit);
  TStream datFile = TStream::LoadFromFile(dat, ProjectFileLimit);
  if (datName) *datName = dat;
  if (pjxName) *pjxName = pjx;
  return {datFile.TakeBytes(), pjxFile.TakeBytes()};
}

TProject LoadProjectFiles(const std::string& dataDir, const std::string& fileName, TSettings& settings,
                          const TStringList& palette) {
  std::string dat, pjx;
  const TProjectBytes bytes = ReadProjectBytes(dataDir, fileName, &dat, &pjx);
  return ReadProject(bytes.Dat, bytes.Pjx, dat, pjx, settings, palette);
}

}  // namespace voltaris
