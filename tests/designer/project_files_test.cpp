#include <cmath>
#include <cstring>

#include "catalogue/format.h"
#include "catalogue/stream_string.h"
#include "designer/dialogs/loading_host.h"
#include "designer/dialogs/loading_presenter.h"
#include "designer_fixture.h"
#include "model/psu.h"
#include "model/tile_look.h"
#include "project_io/project_extension.h"

namespace voltaris::testing {
namespace {

enum Tools { K4 = 0, D1 = 5, E8S = 11 };

class ProjectFilesTest : public DesignerTest {
 protected:
  // An Orvane 700 at grade 3 with a 17 Ah battery and 20 % degradation; a
  // reader chained behind an expander on Network1; a supply with a 7.2 Ah
  // battery placed after them, cloned onto Network2 where a keypad it powers
  // was placed before the clone; a reader on no network.
  void MakeSample() {
    New("Orvane 700", 3, "Shop", "Unit 4");
    designer.SummaryPanel().ChooseBattery(1);
    designer.SummaryPanel().ChooseDegradation(2);
    TVududa& expander = Place(E8S, 300, 150);
    TVududa& reader = Place(D1, 450, 150);
    TVududa& keypad = Place(D1, 300, 650);
    Place(D1, 600, 800).SetLocation("abc");
    ASSERT_TRUE(Drag(expander, Net(0)));
    ASSERT_TRUE(Drag(reader, expander));
    ASSERT_TRUE(Drag(keypad, Net(1)));
    reader.SetLocation("Front door");
    reader.SetCableLength(25);
    reader.SetAttachedLoad({40, 90});
    designer.CanvasControl().TileMouseDown(reader, TMouseButton::Left, {}, true);  // set up and confirmed
    TPSU& psu = PlaceSupply(700, 150);
    host.onEditLoadList = [](TPowerModule& module, TLoadLines&) { module.SetBattery(0); };
    psu.DoubleClickAction();
    host.onEditLoadList = nullptr;
    designer.CanvasControl().PSURightClick(psu);
    designer.CanvasControl().CloneTo(1);
    auto& clone = dynamic_cast<TPSUClone&>(*designer.Canvas().Tiles().back());
    ASSERT_TRUE(Drag(keypad, clone));
    designer.CanvasControl().ShowNetwork(0);
  }

  // Everything the user sees of a design, as text.
  std::string Picture() {
    std::string text = designer.ReportText();
    for (const auto& tile : designer.Canvas().Tiles()) {
      text += Format("%s %d,%d %dx%d %s %s\n", tile->ClassName(), tile->Left(), tile->Top(), tile->Width(),
                     tile->Height(), tile->StatusImage(), tile->Hint());
      if (auto* device = dynamic_cast<TNetDevice*>(tile.get()))
        text += Format("  %.6f %.6f %.3f %.3f\n", device->SupplyVolts, device->AlarmVolts, device->CableLength,
                       device->Supply ? device->NetCableLength : device->CableLength);
    }
    for (const std::string& line : designer.SummaryPanel().Errors) text += line + "\n";
    const TSummaryView& s = designer.SummaryPanel().Summary;
    text += s.QLoad.Text + s.AlmLoad.Text + s.PeakCurrent.Text + s.RatedOP.Text + s.ActStandby.Text +
            s.BattCurrent.Text + s.DegradeText;
    return text;
  }

  TBytes ReadBytes(const std::string& name) { return TStream::LoadFromFile(DataFile(name), ProjectFileLimit).Bytes(); }
};

TEST_F(ProjectFilesTest, APanelWithItsNetworksOnlyHasTheSettingsAndThePanelRecord) {
  New("Orvane 600", 2);
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat");
  // 29 bytes of settings, 59 of the panel before an empty load list (9), nothing for networks.
  ASSERT_EQ(dat.size(), 29u + 59u + 9u);
  EXPECT_EQ(dat[0], 1);     // PD6662
  EXPECT_EQ(dat[4], 15);    // alarm period
  EXPECT_EQ(dat[8], 10);    // cable run
  EXPECT_EQ(dat[28], 1);    // show lengths
  EXPECT_EQ(dat[29], 12);   // the panel type
  const TBytes pjx = ReadBytes("Shop.pjx");
  EXPECT_EQ(std::string(pjx.begin(), pjx.begin() + 4), "TPF0");
  // The index gets the project's line at its first save only.
  designer.Session().SaveProject();
  EXPECT_EQ(dir.Read("Data/Accounts.db"), "Orvane 600;Shop;Unit 4;01/02/2027\r\n");

  Load("Shop");
  ASSERT_EQ(designer.ControlPanel()->Networks.size(), 2u);
  EXPECT_EQ(Net(0).Name(), "Network1");
  EXPECT_EQ(Net(1).Name(), "Network2");
  EXPECT_STREQ(Net(1).ClassName(), "TPanel500Network");
  EXPECT_EQ(Net(1).Top(), 575);
  EXPECT_EQ(designer.Session().Caption, "BETA  Voltaris: Unit 4     Beta Testing Only");
  EXPECT_EQ(designer.SummaryPanel().Summary.Panel, " Orvane 600");
  EXPECT_FALSE(designer.Session().Modified());
}

TEST_F(ProjectFilesTest, TextsAreLengthTextAndAZeroByte) {
  New("Orvane 200", 2);
  Place(K4, 300, 300).SetLocation("abc");
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat");
  const TBytes abc = {0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63, 0x00};
  EXPECT_TRUE(std::equal(abc.begin(), abc.end(), dat.end() - 8));
}

TEST_F(ProjectFilesTest, SaveThenLoadShowsTheSameDesignAndSavesTheSameBytes) {
  MakeSample();
  const std::string before = Picture();
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat"), pjx = ReadBytes("Shop.pjx");
  Load("Shop");
  EXPECT_TRUE(host.errors.empty()) << host.errors.front();
  EXPECT_EQ(Picture(), before);
  designer.Session().SaveProject();
  EXPECT_EQ(ReadBytes("Shop.dat"), dat);
  EXPECT_EQ(ReadBytes("Shop.pjx"), pjx);
}

TEST_F(ProjectFilesTest, LoadGivesTheTrueFiguresOfTheDesign) {
  MakeSample();
  TPSU* psu = designer.ControlPanel()->PSUs.at(0);
  EXPECT_EQ(psu->Module.ChargeCurrent, 300);  // 7.2 Ah
  const std::string panelStandby = designer.SummaryPanel().Summary.ActStandby.Text;
  designer.Session().SaveProject();
  Load("Shop");
  const TControlPanel& panel = *designer.ControlPanel();
  EXPECT_EQ(panel.ChargeCurrent, 750);
  EXPECT_EQ(panel.BatteryFactor, 0.8);
  EXPECT_EQ(designer.SummaryPanel().Summary.ActStandby.Text, panelStandby);
  psu = panel.PSUs.at(0);
  EXPECT_EQ(psu->Module.ChargeCurrent, 300);
  EXPECT_EQ(psu->Module.BatteryFactor, 0.8);
  EXPECT_EQ(psu->Status, Green);
  EXPECT_TRUE(psu->OnRightClick.Connected());
  psu->MouseDown(TMouseButton::Right, {}, false);
  EXPECT_EQ(designer.CanvasControl().SelectedDevice(), psu);
}

TEST_F(ProjectFilesTest, ANetworkDevicesDataCableIsTheProjectsCableRunAfterLoading) {
  MakeSample();
  designer.Session().SaveProject();
  designer.Context().Settings.CableRun = 55;  // whatever is in memory before the load
  Load("Shop");
  EXPECT_EQ(designer.Context().Settings.CableRun, 10);
  for (const auto& tile : designer.Canvas().Tiles()) {
    if (auto* device = dynamic_cast<TNetDevice*>(tile.get())) {
      if (device->Supply) {
        EXPECT_EQ(device->NetCableLength, 10);
      }
    }
  }
}

TEST_F(ProjectFilesTest, PositionsDoNotDependOnTheNetworkInView) {
  MakeSample();
  designer.CanvasControl().ShowNetwork(0);
  designer.Session().SaveProject();
  const TBytes first = ReadBytes("Shop.pjx");
  designer.CanvasControl().ShowNetwork(4);
  designer.Session().SaveProject();
  EXPECT_EQ(ReadBytes("Shop.pjx"), first);
  EXPECT_EQ(designer.CanvasControl().ScrollTop(), 0);  // saving shows the top of the canvas
}

TEST_F(ProjectFilesTest, ASupplyLinkToALaterTileIsStillMade) {
  MakeSample();  // the keypad is stored before the clone that powers it
  designer.Session().SaveProject();
  Load("Shop");
  TNetDevice* keypad = nullptr;
  for (const auto& tile : designer.Canvas().Tiles()) {
    auto* device = dynamic_cast<TNetDevice*>(tile.get());
    if (device && device->Supply) keypad = device;
  }
  ASSERT_NE(keypad, nullptr);
  EXPECT_STREQ(keypad->Supply->ClassName(), "TPSUClone");
  EXPECT_EQ(keypad->Network, &Net(1));
  EXPECT_GT(designer.Canvas().IndexOf(keypad->Supply), designer.Canvas().IndexOf(keypad));
  EXPECT_EQ(designer.ControlPanel()->PSUs.at(0)->Module.NetworkQuiescent, 25);
}

// The drops replayed on loading rebuild the design as it was drawn: the
// shipped examples, with clones and chained devices, save back to their bytes.
TEST_F(ProjectFilesTest, TheExamplesSaveBackTheirOwnBytes) {
  const std::filesystem::path examples = VOLTARIS_EXAMPLES;
  for (const char* name : {"CornerShop", "Warehouse"}) {
    const TBytes dat =
        TStream::LoadFromFile((examples / (std::string(name) + ".dat")).string(), ProjectFileLimit).Bytes();
    const TBytes pjx =
        TStream::LoadFromFile((examples / (std::string(name) + ".pjx")).string(), ProjectFileLimit).Bytes();
    TSettings settings;
    TProject project = ReadProject(dat, pjx, "x.dat", "x.pjx", settings);
    const TProjectBytes saved = WriteProject(settings, *project.ControlPanel, *project.Canvas);
    EXPECT_EQ(saved.Dat, dat) << name;
    EXPECT_EQ(saved.Pjx, pjx) << name;
  }
}

TEST_F(ProjectFilesTest, StoredNetworkLoadsNoDropReachesAreWorkedOutFromTheDesign) {
  // Nothing on the panel's networks and a supply that powers nothing.
  New("Orvane 700", 3);
  PlaceSupply(700, 150);
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat"), pjx = ReadBytes("Shop.pjx");
  // Network currents in the panel's and the supply's records (47 and 51
  // bytes into a module record) that the design does not give.
  TStream stream(dat);
  stream.Seek(SettingsHeaderSize);
  TCanvas canvas;
  TControlPanel panel(canvas.Context());
  panel.ReadRecord(stream);
  const size_t supplyRecord = stream.Position();
  TBytes stale = dat;
  for (size_t offset : {SettingsHeaderSize + 47, SettingsHeaderSize + 51, supplyRecord + 47, supplyRecord + 51})
    stale.at(offset) = 200;

  TSettings settings;
  TProject project = ReadProject(stale, pjx, "Shop.dat", "Shop.pjx", settings);
  EXPECT_EQ(project.ControlPanel->NetworkQuiescent, 0);
  EXPECT_EQ(project.ControlPanel->NetworkAlarm, 0);
  EXPECT_EQ(project.ControlPanel->PSUs.at(0)->Module.NetworkQuiescent, 0);
  EXPECT_EQ(project.ControlPanel->PSUs.at(0)->Module.NetworkAlarm, 0);
  EXPECT_EQ(WriteProject(settings, *project.ControlPanel, *project.Canvas).Dat, dat);
  // The panel's record alone: not even a network tile is left to update it.
  TProject bare = ReadProject(TBytes(stale.begin(), stale.begin() + supplyRecord), {}, "Shop.dat", "Shop.pjx",
                              settings);
  EXPECT_EQ(bare.ControlPanel->NetworkQuiescent, 0);
  EXPECT_EQ(bare.ControlPanel->NetworkAlarm, 0);
}

TEST_F(ProjectFilesTest, ALoadedProjectAnswersAnEditAsTheSavedOneDid) {
  MakeSample();
  designer.Session().SaveProject();
  auto addKeypad = [&] {
    TVududa& keypad = Place(K4, 450, 400);
    ASSERT_TRUE(Drag(keypad, Net(0)));
  };
  addKeypad();
  const std::string edited = Picture();
  designer.MarkSaved(designer.ProjectImage());
  Load("Shop");
  ASSERT_TRUE(host.errors.empty()) << host.errors.front();
  addKeypad();
  EXPECT_EQ(Picture(), edited);
}

TEST_F(ProjectFilesTest, AMissingDataDirectoryIsCreatedOnTheFirstSave) {
  std::filesystem::remove_all(dir.File("Data"));
  New("Orvane 200", 2);
  designer.Session().SaveProject();
  EXPECT_TRUE(std::filesystem::exists(DataFile("Shop.dat")));
  EXPECT_TRUE(std::filesystem::exists(DataFile("Accounts.db")));
}

// Takes every step of a save, and can make one of them fail.
class FailingFiles : public IProjectFileSystem {
 public:
  explicit FailingFiles(int failAt) : failAt_(failAt) {}
  void CreateDirectories(const std::string& path) override { Step("mkdir"), RealFileSystem().CreateDirectories(path); }
  bool Exists(const std::string& path) override { return RealFileSystem().Exists(path); }
  void WriteFile(const std::string& path, const TBytes& bytes) override {
    Step("write");
    RealFileSystem().WriteFile(path, bytes);
  }
  void Rename(const std::string& from, const std::string& to) override {
    Step("rename");
    RealFileSystem().Rename(from, to);
  }
  void Remove(const std::string& path) override { RealFileSystem().Remove(path); }
  int steps = 0;

 private:
  void Step(const char* what) {
    if (++steps == failAt_) throw FileError(std::string("injected failure at ") + what);
  }
  int failAt_;
};

TEST_F(ProjectFilesTest, ASaveThatFailsAtAnyStepLeavesThePreviousFiles) {
  MakeSample();
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat"), pjx = ReadBytes("Shop.pjx");
  Place(K4, 900, 900);  // a change to save
  FailingFiles counting(0);
  SaveProjectFiles(designer.Session().DataDir, "Other", designer.Context().Settings, *designer.ControlPanel(),
                   designer.Canvas(), counting);
  ASSERT_GE(counting.steps, 5);
  for (int step = 1; step <= counting.steps; ++step) {
    FailingFiles failing(step);
    EXPECT_THROW(SaveProjectFiles(designer.Session().DataDir, "Shop", designer.Context().Settings,
                                  *designer.ControlPanel(), designer.Canvas(), failing),
                 FileError)
        << step;
    EXPECT_EQ(ReadBytes("Shop.dat"), dat) << step;
    EXPECT_EQ(ReadBytes("Shop.pjx"), pjx) << step;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("Data")))
      EXPECT_EQ(entry.path().extension().string().find(".new"), std::string::npos) << entry.path();
  }
}

TEST_F(ProjectFilesTest, ASaveIntoAReadOnlyDirectoryIsReportedAndTheProjectStaysModified) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no write permission bits on directories (a read-only folder still takes new files)";
#else
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
#endif
  MakeSample();
  designer.Session().SaveProject();
  Place(K4, 900, 900);
  std::filesystem::permissions(dir.File("Data"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_THROW(designer.Session().SaveProject(), FileError);
  std::filesystem::permissions(dir.File("Data"), std::filesystem::perms::owner_all);
  EXPECT_TRUE(designer.Session().Modified());
}

// Fails one step and, after it, every rename: even those putting things back.
class FailingFromFiles : public FailingFiles {
 public:
  using FailingFiles::FailingFiles;
  void Rename(const std::string& from, const std::string& to) override {
    if (failed_) throw FileError("rename refused while putting back " + to);
    try {
      FailingFiles::Rename(from, to);
    } catch (...) {
      failed_ = true;
      throw;
    }
  }

 private:
  bool failed_ = false;
};

TEST_F(ProjectFilesTest, ASaveWhoseRollBackFailsTooReportsWhatFirstWentWrong) {
  MakeSample();
  designer.Session().SaveProject();
  // Directory, two writes, the old files aside (4, 5), then the first new one
  // into place fails, and so does every step back.
  FailingFromFiles failing(6);
  try {
    SaveProjectFiles(designer.Session().DataDir, "Shop", designer.Context().Settings, *designer.ControlPanel(),
                     designer.Canvas(), failing);
    FAIL() << "the save succeeded";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find("injected failure at rename"), std::string::npos) << error.what();
  }
}

// Where the extension section starts: the end of the file when there is none.
size_t ExtensionOffset(const TBytes& dat) {
  const auto found = std::search(dat.begin(), dat.end(), std::begin(ProjectExtensionTag),
                                 std::end(ProjectExtensionTag));
  return static_cast<size_t>(found - dat.begin());
}

class DamagedProjectTest : public ProjectFilesTest {
 protected:
  void SetUp() override {
    MakeSample();
    designer.Session().SaveProject();
    dat = ReadBytes("Shop.dat");
    pjx = ReadBytes("Shop.pjx");
    // Another project stays open while the damaged one is tried.
    New("Orvane 250", 2, "Open", "Here");
    Place(K4, 300, 300);
    designer.MarkSaved(designer.ProjectImage());
    before = Picture();
  }

  // Writes the two files back (damaged) and tries to open them.
  std::string TryLoad(const TBytes& damagedDat, const TBytes& damagedPjx) {
    TStream(damagedDat).SaveToFile(DataFile("Shop.dat"));
    TStream(damagedPjx).SaveToFile(DataFile("Shop.pjx"));
    host.errors.clear();
    Load("Shop");
    EXPECT_EQ(designer.Session().FileName, "Open");
    EXPECT_EQ(Picture(), before);
    return host.errors.empty() ? "" : host.errors.front();
  }

  TBytes dat, pjx;
  std::string before;
};

TEST_F(DamagedProjectTest, EveryTruncationIsRejectedAndTheOpenProjectStays) {
  // The sample's reader has a data cable of its own, kept in the extension
  // section; cut just before it, the file is one without the section.
  const size_t section = ExtensionOffset(dat);
  ASSERT_LT(section, dat.size());
  for (size_t cut = 0; cut < dat.size(); ++cut) {
    if (cut == section) continue;
    const std::string error = TryLoad(TBytes(dat.begin(), dat.begin() + cut), pjx);
    EXPECT_NE(error.find("Shop.dat"), std::string::npos) << cut << ": " << error;
  }
  for (size_t cut = 1; cut < pjx.size(); ++cut) {
    const std::string error = TryLoad(dat, TBytes(pjx.begin(), pjx.begin() + cut));
    EXPECT_NE(error.find("Shop.pjx"), std::string::npos) << cut << ": " << error;
  }
  // An empty layout has no tiles: the panel's record alone is not a project
  // the designer can show, but it must load or fail cleanly.
  TryLoad(dat, {});
}

TEST_F(DamagedProjectTest, TrailingGarbageInTheLayoutIsAnError) {
  TBytes longer = pjx;
  longer.push_back(0x42);
  EXPECT_NE(TryLoad(dat, longer).find("Shop.pjx"), std::string::npos);
}

TEST_F(DamagedProjectTest, DataLeftAfterTheLastTileRecordIsAnError) {
  // The sign of a layout cut at the end of a record: tiles would be lost.
  TBytes longer = dat;
  longer.insert(longer.end(), {1, 2, 3});
  EXPECT_NE(TryLoad(longer, pjx).find("3 bytes follow"), std::string::npos);
}

// The layout of the sample, record by record, to damage one of them.
class LayoutEditTest : public DamagedProjectTest {
 protected:
  std::vector<TComponentRecord> Records() {
    TStream stream(pjx);
    return ReadComponentRecords(stream, TCanvas::TileClassNames());
  }
  TBytes Bytes(const std::vector<TComponentRecord>& records) {
    TStream stream;
    WriteComponentRecords(stream, records);
    return stream.TakeBytes();
  }
  // The offset of tile `index`'s ".dat" record, found by reading the records.
  size_t DatOffset(size_t index) {
    TStream stream(dat);
    stream.Seek(29);
    TCanvas canvas;
    TControlPanel panel(canvas.Context());
    panel.ReadRecord(stream);
    const auto records = Records();
    for (size_t i = 0; i < index; ++i) canvas.CreateByClassName(records[i].ClassName)->ReadRecord(stream);
    return stream.Position();
  }
  size_t IndexOfClass(const char* className, size_t from = 0) {
    const auto records = Records();
    for (size_t i = from; i < records.size(); ++i)
      if (records[i].ClassName == className) return i;
    ADD_FAILURE() << className;
    return 0;
  }
  TBytes WithInt32(size_t offset, int32_t value) {
    TBytes bytes = dat;
    for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    return bytes;
  }
};

TEST_F(LayoutEditTest, AnUnknownClassAndADuplicateNameAreErrors) {
  auto records = Records();
  records[2].ClassName = "TButton";
  TBytes bytes = Bytes(records);
  EXPECT_NE(TryLoad(dat, bytes).find("TButton"), std::string::npos);
  records = Records();
  records[1].Name = "Network1";
  EXPECT_NE(TryLoad(dat, Bytes(records)).find("Network1"), std::string::npos);
}

TEST_F(LayoutEditTest, PositionsOffTheCanvasAreErrors) {
  for (const char* property : {"Left", "Top", "Width", "Height"}) {
    auto records = Records();
    for (TProperty& stored : records[9].Properties)
      if (stored.Name == property) stored.Value = TPropertyValue::Integer(INT32_MAX - 10);
    EXPECT_NE(TryLoad(dat, Bytes(records)).find("off the canvas"), std::string::npos) << property;
  }
  auto records = Records();
  for (TProperty& stored : records[9].Properties)
    if (stored.Name == "Top") stored.Value = TPropertyValue::Integer(-5);
  EXPECT_NE(TryLoad(dat, Bytes(records)).find("off the canvas"), std::string::npos);
}

TEST_F(LayoutEditTest, LinksNoDropCouldHaveMadeAreErrors) {
  const size_t expander = IndexOfClass("TVududa");
  const size_t reader = IndexOfClass("TVududa", expander + 1);
  const size_t psu = IndexOfClass("TPSU");
  const size_t clone = IndexOfClass("TPSUClone");
  // Device records begin with the attached load, then the network and supply links.
  const size_t expanderLinks = DatOffset(expander) + 8;
  const size_t readerLinks = DatOffset(reader) + 8;
  EXPECT_NE(TryLoad(WithInt32(readerLinks, 999), pjx).find("beyond"), std::string::npos);
  EXPECT_NE(TryLoad(WithInt32(readerLinks, static_cast<int32_t>(psu)), pjx).find("not a network"),
            std::string::npos);
  EXPECT_NE(TryLoad(WithInt32(readerLinks + 4, static_cast<int32_t>(expander)), pjx).find("not a power supply"),
            std::string::npos);
  // The expander wired behind the reader that hangs behind it: a loop.
  EXPECT_NE(TryLoad(WithInt32(expanderLinks, static_cast<int32_t>(reader)), pjx).find("behind itself"),
            std::string::npos);
  EXPECT_NE(TryLoad(WithInt32(readerLinks, static_cast<int32_t>(reader)), pjx).find("behind itself"),
            std::string::npos);
  EXPECT_NE(TryLoad(WithInt32(DatOffset(clone), static_cast<int32_t>(expander)), pjx).find("not a power supply"),
            std::string::npos);
}

TEST_F(DamagedProjectTest, APanelTypeThatIsNotAControlPanelIsAnError) {
  TBytes bytes = dat;
  bytes.at(29) = 14;  // the remote supply row
  EXPECT_NE(TryLoad(bytes, pjx).find("not a control panel"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The extension section: the data cable of a device on its own supply.

// The designer's side of the loading dialog: no picker, errors recorded.
struct PlainLoadingHost : ILoadingHost {
  explicit PlainLoadingHost(TDesigner& designer) : designer(designer) {}
  int32_t PanelType() const override { return designer.ControlPanel()->PanelType; }
  int32_t PanelGrade() const override { return designer.ControlPanel()->Grade; }
  bool AddDevice(int32_t, int32_t, TDeviceData&) override { return false; }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  TDesigner& designer;
  std::vector<std::string> errors;
};

class DataCableTest : public ProjectFilesTest {
 protected:
  // A keypad on Network1 powered by a supply with a 7.2 Ah battery: 40 m of power cable and, typed
  // into the loading dialog, 15 m of data cable to the network.
  TVududa& SuppliedKeypad() {
    New("Orvane 700", 2);
    TVududa& keypad = Place(K4, 300, 150);
    EXPECT_TRUE(Drag(keypad, Net(0)));
    TPSU& psu = PlaceSupply(700, 150);
    host.onEditLoadList = [](TPowerModule& module, TLoadLines&) { module.SetBattery(0); };
    psu.DoubleClickAction();
    host.onEditLoadList = nullptr;
    EXPECT_TRUE(Drag(keypad, psu));
    host.onSetUp = [this](TNetDevice& device, TLoadLines&) {
      presenter.Open(device);
      EXPECT_TRUE(presenter.View().Panel2Visible);
      EXPECT_TRUE(presenter.ApplyField(TLoadingField::Edit5, "40"));
      EXPECT_TRUE(presenter.ApplyField(TLoadingField::Edit6, "15"));
      return true;
    };
    designer.CanvasControl().TileMouseDown(keypad, TMouseButton::Left, {}, true);
    host.onSetUp = nullptr;
    EXPECT_EQ(keypad.NetCableLength, 15);
    return keypad;
  }

  TNetDevice& OnlyDevice() {
    for (const auto& tile : designer.Canvas().Tiles())
      if (auto* device = tile->AsNetDevice()) return *device;
    throw std::logic_error("no device");
  }

  PlainLoadingHost loading{designer};
  TLoadingPresenter presenter{loading};
};

TEST_F(DataCableTest, FifteenMetresOfDataCableSurviveSaveAndLoad) {
  SuppliedKeypad();
  ASSERT_TRUE(designer.Context().Settings.ShowLength);
  const std::string before = Picture();
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat"), pjx = ReadBytes("Shop.pjx");
  // Header 16, record header 8, count 4, one device: save index, 15.0.
  const size_t section = ExtensionOffset(dat);
  ASSERT_EQ(dat.size() - section, 16u + 8 + 4 + 12);
  EXPECT_EQ(dat[section + 4], 1);   // version
  EXPECT_EQ(dat[section + 16], 1);  // the data-cable record
  EXPECT_EQ(dat[section + 28], 8);  // the keypad's save index, after the eight networks
  double metres = 0;
  std::memcpy(&metres, &dat[section + 32], sizeof metres);
  EXPECT_EQ(metres, 15);

  designer.Context().Settings.CableRun = 55;
  Load("Shop");
  ASSERT_TRUE(host.errors.empty()) << host.errors.front();
  TNetDevice& keypad = OnlyDevice();
  EXPECT_EQ(keypad.NetCableLength, 15);
  EXPECT_EQ(keypad.CableLength, 40);
  ASSERT_TRUE(keypad.ParentWire);
  EXPECT_EQ(keypad.ParentWire->Label, "15m");  // the data run, drawn while loading
  EXPECT_EQ(Picture(), before);
  // The dialog opens with it, and the files save back byte for byte.
  presenter.Open(keypad);
  EXPECT_EQ(presenter.View().Edit6, "15");
  designer.Session().SaveProject();
  EXPECT_EQ(ReadBytes("Shop.dat"), dat);
  EXPECT_EQ(ReadBytes("Shop.pjx"), pjx);
  // The in-memory images round trip too.
  TSettings settings;
  TProject project = ReadProject(dat, pjx, "Shop.dat", "Shop.pjx", settings);
  EXPECT_EQ(WriteProject(settings, *project.ControlPanel, *project.Canvas).Dat, dat);
}

// The battery volts on mains failure: kept in the ".dat"'s extension section
// only when not 12.0, and read back exactly.
TEST_F(DataCableTest, TheBatteryVoltsOnMainsFailureSurviveSaveAndLoad) {
  New("Orvane 700", 2);
  designer.Session().SaveProject();
  const TBytes plain = ReadBytes("Shop.dat");
  EXPECT_EQ(ExtensionOffset(plain), plain.size());  // 12.0: nothing written
  designer.Context().BatteryVolts = 11.4;
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat");
  const size_t section = ExtensionOffset(dat);
  ASSERT_EQ(dat.size() - section, 16u + 8 + 8);
  EXPECT_EQ(dat[section + 16], 6);  // the battery-volts record
  designer.Context().BatteryVolts = 12.0;
  Load("Shop");
  ASSERT_TRUE(host.errors.empty()) << host.errors.front();
  EXPECT_EQ(designer.Context().BatteryVolts, 11.4);
  designer.Session().SaveProject();
  EXPECT_EQ(ReadBytes("Shop.dat"), dat);
  // A project without the record reads as 12.0.
  TSettings settings;
  EXPECT_EQ(ReadProject(plain, ReadBytes("Shop.pjx"), "Shop.dat", "Shop.pjx", settings).Context().BatteryVolts, 12.0);
}

// A supply's label: typed in its set-up, drawn on it and its clones, kept in
// the extension section (nothing written without one), back after a load and
// after Undo, and refused when the section gives it to a tile that is no supply.
TEST_F(DataCableTest, ASuppliesLabelSurvivesSaveLoadAndUndo) {
  New("Orvane 700", 2);
  TPSU& psu = PlaceSupply(700, 150);
  designer.Session().SaveProject();
  const TBytes plain = ReadBytes("Shop.dat");
  EXPECT_EQ(ExtensionOffset(plain), plain.size());
  host.onEditLoadList = [](TPowerModule& module, TLoadLines&) { module.Label = "Plant room"; };
  designer.CanvasControl().SetUpTile(psu);
  host.onEditLoadList = nullptr;
  EXPECT_EQ(LookOf(psu).Caption, "Plant room");
  EXPECT_EQ(SupplyName(psu), "Supply 1 (Plant room)");
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat");
  const size_t section = ExtensionOffset(dat);
  ASSERT_EQ(dat.size() - section, 16u + 8 + 4 + 4 + 1 + 10);
  EXPECT_EQ(dat[section + 16], 7);  // the supply-label record
  // Only what comes after the tile records changed.
  EXPECT_TRUE(std::equal(plain.begin(), plain.end(), dat.begin()));

  Load("Shop");
  ASSERT_TRUE(host.errors.empty()) << host.errors.front();
  const auto supply = [this]() -> TPSU& {
    for (const auto& tile : designer.Canvas().Tiles())
      if (auto* found = dynamic_cast<TPSU*>(tile.get())) return *found;
    throw std::logic_error("no supply");
  };
  EXPECT_EQ(supply().Module.Label, "Plant room");
  designer.Session().SaveProject();
  EXPECT_EQ(ReadBytes("Shop.dat"), dat);
  host.onEditLoadList = [](TPowerModule& module, TLoadLines&) { module.Label = "Loft"; };
  designer.CanvasControl().SetUpTile(supply());
  EXPECT_EQ(supply().Module.Label, "Loft");
  designer.Undo();
  EXPECT_EQ(supply().Module.Label, "Plant room");
  designer.Redo();
  EXPECT_EQ(supply().Module.Label, "Loft");

  // The label record naming a network block (save index 0) is refused with the file's name.
  TBytes wrong(dat.begin(), dat.begin() + static_cast<std::ptrdiff_t>(section));
  TProjectExtension extension;
  extension.SupplyLabels = {{0, "Plant room"}};
  TStream stream;
  WriteProjectExtension(stream, extension);
  wrong.insert(wrong.end(), stream.Bytes().begin(), stream.Bytes().end());
  TSettings settings;
  try {
    ReadProject(wrong, ReadBytes("Shop.pjx"), "Shop.dat", "Shop.pjx", settings);
    ADD_FAILURE() << "a label on a network block was read";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("Shop.dat: the extension section gives a label to tile 0"),
              std::string::npos)
        << error.what();
  }
}

TEST_F(DataCableTest, ProjectsWithEveryDataCableAtTheCableRunKeepTheirOldBytes) {
  // A supplied device whose data cable is the cable run adds nothing.
  New("Orvane 700", 3);
  TVududa& keypad = Place(K4, 300, 150);
  ASSERT_TRUE(Drag(keypad, Net(0)));
  ASSERT_TRUE(Drag(keypad, PlaceSupply(700, 150)));
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat");
  EXPECT_EQ(ExtensionOffset(dat), dat.size());
  // Nor does one set back to it: only what a load would not give is written.
  keypad.SetNetCableLength(15);
  keypad.SetNetCableLength(10);
  designer.Session().SaveProject();
  EXPECT_EQ(ReadBytes("Shop.dat"), dat);
}

TEST_F(DataCableTest, AFileWithoutTheSectionLoadsAsBefore) {
  SuppliedKeypad();
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat"), pjx = ReadBytes("Shop.pjx");
  const TBytes old(dat.begin(), dat.begin() + static_cast<std::ptrdiff_t>(ExtensionOffset(dat)));
  ASSERT_LT(old.size(), dat.size());
  TSettings settings;
  TProject project = ReadProject(old, pjx, "Shop.dat", "Shop.pjx", settings);
  for (const auto& tile : project.Canvas->Tiles())
    if (auto* device = tile->AsNetDevice()) {
      EXPECT_EQ(device->NetCableLength, 10);  // the cable run
    }
  EXPECT_EQ(WriteProject(settings, *project.ControlPanel, *project.Canvas).Dat, old);
}

TEST_F(DataCableTest, EveryCutAndEveryChangedByteOfTheSectionIsAnErrorNamingTheFile) {
  SuppliedKeypad();
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat"), pjx = ReadBytes("Shop.pjx");
  const size_t section = ExtensionOffset(dat);
  auto loadError = [&](const TBytes& bytes) -> std::string {
    try {
      TSettings settings;
      ReadProject(bytes, pjx, "Shop.dat", "Shop.pjx", settings);
    } catch (const FileError& error) {
      return error.what();
    }
    return "";
  };
  for (size_t cut = section + 1; cut < dat.size(); ++cut) {
    const std::string error = loadError(TBytes(dat.begin(), dat.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_EQ(error.rfind("Shop.dat: ", 0), 0u) << cut << ": " << error;
  }
  for (size_t at = section; at < dat.size(); ++at) {
    for (uint8_t mask : {0x01, 0x80, 0xFF}) {
      TBytes changed = dat;
      changed[at] ^= mask;
      const std::string error = loadError(changed);
      EXPECT_EQ(error.rfind("Shop.dat: ", 0), 0u) << at << "/" << int{mask} << ": " << error;
    }
  }
  TBytes longer = dat;
  longer.push_back(0);
  EXPECT_NE(loadError(longer).find("1 bytes follow the extension section"), std::string::npos);
}

// A section with a sound checksum around records that cannot be right.
TBytes Section(const TBytes& records) {
  TStream stream;
  stream.WriteBytes(ProjectExtensionTag, sizeof ProjectExtensionTag);
  stream.WriteInt32(ProjectExtensionVersion);
  stream.WriteInt32(static_cast<int32_t>(records.size()));
  stream.WriteInt32(static_cast<int32_t>(Crc32(records.data(), records.size())));
  stream.WriteBytes(records.data(), records.size());
  return stream.TakeBytes();
}

TBytes CableRecord(std::initializer_list<std::pair<int32_t, double>> cables, int32_t kind = 1) {
  TStream stream;
  stream.WriteInt32(kind);
  stream.WriteInt32(static_cast<int32_t>(4 + 12 * cables.size()));
  stream.WriteInt32(static_cast<int32_t>(cables.size()));
  for (const auto& [tile, metres] : cables) {
    stream.WriteInt32(tile);
    stream.WriteDouble(metres);
  }
  return stream.TakeBytes();
}

std::string ReadError(const TBytes& section) {
  try {
    TStream stream(section);
    ReadProjectExtension(stream);
  } catch (const StreamError& error) {
    return error.what();
  }
  return "";
}

TEST(ProjectExtensionTest, WritesNothingWhenEmptyAndReadsBackWhatItWrote) {
  TStream empty;
  WriteProjectExtension(empty, {});
  EXPECT_EQ(empty.Size(), 0u);
  TProjectExtension extension;
  extension.DataCableLengths = {{2, 15}, {7, 0}, {9, 1000000}};
  TStream stream;
  WriteProjectExtension(stream, extension);
  EXPECT_EQ(stream.Bytes(), Section(CableRecord({{2, 15}, {7, 0}, {9, 1000000}})));
  stream.Seek(0);
  EXPECT_TRUE(AtProjectExtension(stream));
  EXPECT_EQ(ReadProjectExtension(stream), extension);
  EXPECT_EQ(stream.Remaining(), 0u);
  // The checksum of zip files: "123456789" gives CBF43926.
  const std::string check = "123456789";
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xCBF43926u);
}

TEST(ProjectExtensionTest, RefusesWhatItCannotTrust) {
  EXPECT_NE(ReadError(Section(CableRecord({{2, -1}}))).find("not a cable length"), std::string::npos);
  EXPECT_NE(ReadError(Section(CableRecord({{2, std::nan("")}}))).find("not a cable length"), std::string::npos);
  EXPECT_NE(ReadError(Section(CableRecord({{2, 1000001}}))).find("not a cable length"), std::string::npos);
  EXPECT_NE(ReadError(Section(CableRecord({{3, 1}, {3, 2}}))).find("out of order"), std::string::npos);
  EXPECT_NE(ReadError(Section(CableRecord({{-1, 1}}))).find("out of order"), std::string::npos);
  // A kind of a later version is refused: skipped, it would be lost on saving.
  EXPECT_NE(ReadError(Section(CableRecord({{2, 1}}, 8))).find("not known"), std::string::npos);
  // A supply label that is empty or longer than the set-up takes.
  for (const size_t length : {size_t{0}, MaxSupplyLabel + 1}) {
    TStream record;
    record.WriteInt32(7);
    record.WriteInt32(static_cast<int32_t>(9 + length));
    record.WriteInt32(1);
    record.WriteInt32(8);
    record.WriteUInt8(static_cast<uint8_t>(length));
    const std::string label(length, 'x');
    record.WriteBytes(label.data(), label.size());
    EXPECT_NE(ReadError(Section(record.TakeBytes())).find("characters long, not 1 to 30"), std::string::npos) << length;
  }
  // Battery volts on mains failure outside what the Options dialog offers.
  for (const double volts : {10.4, 13.7, std::nan("")}) {
    TStream record;
    record.WriteInt32(6);
    record.WriteInt32(8);
    record.WriteDouble(volts);
    EXPECT_NE(ReadError(Section(record.TakeBytes())).find("not from 10.5 to 13.6"), std::string::npos) << volts;
  }
  TBytes twice = CableRecord({{2, 1}});
  const TBytes again = CableRecord({{3, 1}});
  twice.insert(twice.end(), again.begin(), again.end());
  EXPECT_NE(ReadError(Section(twice)).find("out of order"), std::string::npos);
  TBytes newer = Section(CableRecord({{2, 1}}));
  newer[4] = 2;
  EXPECT_NE(ReadError(newer).find("version 2"), std::string::npos);
  // A record longer than its content, and a count beyond the record.
  TBytes padded = CableRecord({{2, 1}});
  padded[4] += 1;
  padded.push_back(0);
  EXPECT_NE(ReadError(Section(padded)).find("left in record"), std::string::npos);
  TBytes counted = CableRecord({{2, 1}});
  counted[8] = 200;
  EXPECT_NE(ReadError(Section(counted)).find("larger than"), std::string::npos);
}

TEST_F(DataCableTest, ACableGivenToATileThatIsNoNetworkDeviceIsAnError) {
  SuppliedKeypad();
  designer.Session().SaveProject();
  const TBytes dat = ReadBytes("Shop.dat"), pjx = ReadBytes("Shop.pjx");
  for (int32_t tile : {0, 9, 10}) {  // a network block, the supply, beyond the ten tiles
    TBytes bytes(dat.begin(), dat.begin() + static_cast<std::ptrdiff_t>(ExtensionOffset(dat)));
    const TBytes section = Section(CableRecord({{tile, 15}}));
    bytes.insert(bytes.end(), section.begin(), section.end());
    TSettings settings;
    try {
      ReadProject(bytes, pjx, "Shop.dat", "Shop.pjx", settings);
      ADD_FAILURE() << tile;
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find(Format("tile %d, which is not a network device", tile)),
                std::string::npos)
          << error.what();
    }
  }
}

TEST_F(ProjectFilesTest, AnIndexRowWithAnUnsafeFileNameIsNotOpened) {
  MakeSample();
  designer.Session().SaveProject();
  dir.Write("Data/Accounts.db", "Orvane 700;../Shop;Unit 4;01/02/2027\r\n");
  host.onSystemFiles = [](TSystemFilesPresenter& dialog) {
    dialog.Select(0);
    dialog.Ok();
    if (dialog.Result() != TModalResult::OK) dialog.Cancel();
  };
  designer.MarkSaved(designer.ProjectImage());
  designer.Session().LoadProject();
  EXPECT_EQ(designer.Session().FileName, "Shop");
  EXPECT_FALSE(host.errors.empty());
}

}  // namespace
}  // namespace voltaris::testing
