// The undo history, and the designer's commands through it: what a step
// brings back, how the menu names it, when the project counts as modified,
// and the questions and file rules that keep a project from being lost.
#include "designer/undo_history.h"
#include "designer_fixture.h"

namespace voltaris::testing {
namespace {

enum Tools { K4 = 0, D1 = 5, Q16 = 16 };

TProjectBytes Image(const std::string& dat, const std::string& pjx = "p") {
  return {TBytes(dat.begin(), dat.end()), TBytes(pjx.begin(), pjx.end())};
}

TEST(UndoHistory, StepsBackAndForwardDropsRedoOnANewStepAndKeepsItsDepth) {
  TUndoHistory history(3);
  history.Reset(Image("a"));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.Record("Nothing", Image("a")));  // no change, no step
  EXPECT_TRUE(history.Record("One", Image("b")));
  EXPECT_TRUE(history.Record("Two", Image("c")));
  EXPECT_EQ(history.UndoName(), "Two");
  EXPECT_TRUE(TUndoHistory::SameImage(history.Undo(), Image("b")));
  EXPECT_EQ(history.RedoName(), "Two");
  EXPECT_EQ(history.UndoName(), "One");
  // A new step drops what was undone.
  EXPECT_TRUE(history.Record("Three", Image("d")));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_TRUE(history.Record("Four", Image("e")));
  EXPECT_TRUE(history.Record("Five", Image("f")));
  // Three steps are kept (b -> d -> e -> f): the step from "a" went.
  EXPECT_EQ(history.UndoCount(), 3u);
  history.Undo();
  history.Undo();
  EXPECT_TRUE(TUndoHistory::SameImage(history.Undo(), Image("b")));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_TRUE(TUndoHistory::SameImage(history.Redo(), Image("d")));
}

TEST(UndoHistory, ModifiedIsExactlyADifferenceFromTheSavedImage) {
  TUndoHistory history;
  history.Reset(Image("a"));
  EXPECT_FALSE(history.Modified());
  history.Record("One", Image("b"));
  EXPECT_TRUE(history.Modified());
  history.Undo();
  EXPECT_FALSE(history.Modified());  // back where it was opened
  history.Redo();
  history.MarkSaved(Image("b"));
  EXPECT_FALSE(history.Modified());
  history.Undo();
  EXPECT_TRUE(history.Modified());  // past the save
  history.Redo();
  EXPECT_FALSE(history.Modified());
  // A command that ends where the project was saved leaves it unmodified.
  history.Record("Two", Image("c"));
  history.Record("Back", Image("b"));
  EXPECT_FALSE(history.Modified());
}

// An image is its bytes: however two images are cut into blocks, and
// whichever blocks they share, they are the same exactly when their bytes are.
TEST(ProjectImage, TwoImagesAreTheSameExactlyWhenTheirBytesAre) {
  const auto block = [](const std::string& text) { return std::make_shared<const TBytes>(text.begin(), text.end()); };
  const auto shared = block("abc");
  const TProjectImage cut({shared, block("de"), block("")}, {block("p")});
  EXPECT_EQ(cut, TProjectImage(Image("abcde")));
  EXPECT_EQ(cut, TProjectImage({block("a"), block("bcd"), block("e")}, {block(""), block("p")}));
  EXPECT_EQ(cut.Bytes().Dat, Image("abcde").Dat);
  EXPECT_EQ(cut.DatSize(), 5u);
  // A byte changed across a block's edge, one more or one fewer, or a byte
  // moved from one file to the other, is another image.
  EXPECT_FALSE(cut == TProjectImage(Image("abcdf")));
  EXPECT_FALSE(cut == TProjectImage({shared, block("d")}, {block("p")}));
  EXPECT_FALSE(cut == TProjectImage({shared, block("def")}, {block("p")}));
  EXPECT_FALSE(cut == TProjectImage({shared, block("d")}, {block("ep")}));
  EXPECT_EQ(TProjectImage(), TProjectImage(Image("", "")));
  // What an image keeps beyond another is the bytes of its blocks the other does not share.
  EXPECT_EQ(cut.BytesBeyond(TProjectImage({shared}, {})), 3u);
  EXPECT_EQ(cut.BytesBeyond(cut), 0u);
}

class UndoTest : public DesignerTest {
 protected:
  void Ctrl(TDevice& tile) { designer.CanvasControl().TileMouseDown(tile, TMouseButton::Left, {.Ctrl = true}, false); }
  std::string Saved(const TProjectBytes& image) const { return std::string(image.Dat.begin(), image.Dat.end()); }
};

TEST_F(UndoTest, UndoOfADeleteBringsTheDeviceBackWithItsLoadListAndCableRun) {
  New("Orvane 700", 3);
  TVududa& keypad = Place(K4, 300, 200);
  ASSERT_TRUE(Drag(keypad, Net(0)));
  host.onSetUp = [](TNetDevice& device, TLoadLines&) {
    dynamic_cast<TVududa&>(device).Location = "Hall";
    device.SetCableLength(40);
    device.SetAttachedLoad({50, 120});
    return true;
  };
  designer.CanvasControl().TileMouseDown(keypad, TMouseButton::Left, {}, true);
  const TProjectBytes before = designer.ProjectImage();
  const double volts = keypad.SupplyVolts;
  EXPECT_EQ(designer.UndoText(), "Undo Set Up Orvane K4");

  Ctrl(keypad);
  EXPECT_EQ(designer.UndoText(), "Undo Delete Orvane K4 (Hall)");
  ASSERT_EQ(designer.ControlPanel()->Networks[0]->Children.size(), 0u);
  designer.Undo();
  EXPECT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), before));
  ASSERT_EQ(Net(0).Children.size(), 1u);
  auto& back = dynamic_cast<TVududa&>(*Net(0).Children[0]);
  EXPECT_EQ(back.Location, "Hall");
  EXPECT_EQ(back.CableLength, 40);
  EXPECT_EQ(back.SupplyVolts, volts);
  ASSERT_TRUE(back.ParentWire);
  EXPECT_EQ(designer.RedoText(), "Redo Delete Orvane K4 (Hall)");
  designer.Redo();
  EXPECT_EQ(Net(0).Children.size(), 0u);
  EXPECT_EQ(designer.RedoText(), "Redo");
}

// On a large design a step keeps the blocks of the tiles its command
// touched, not another copy of the whole project; undoing every step still
// gives back each image byte for byte.
TEST_F(UndoTest, AStepOnALargeDesignKeepsWhatItsCommandChangedNotTheWholeProject) {
  New("Orvane 700", 2);
  std::vector<TVududa*> devices;
  for (int i = 0; i < 300; ++i) devices.push_back(&Place(Q16, 100 + 60 * (i % 15), 150 + 60 * (i / 15)));
  const size_t image = designer.History().Current().DatSize() + designer.History().Current().PjxSize();
  std::vector<TProjectBytes> images{designer.ProjectImage()};
  for (size_t step = 0; step < 100; ++step) {
    const TProjectImage before = designer.History().Current();
    // Set up and confirmed: the device's record changes, and nothing else's.
    designer.CanvasControl().TileMouseDown(*devices[step * 3], TMouseButton::Left, {}, true);
    // The block of the device's record, the head (with the control panel's
    // record) and the extension section: a fraction of the image.
    EXPECT_LT(designer.History().Current().BytesBeyond(before), image / 4) << "step " << step;
    images.push_back(designer.ProjectImage());
  }
  // The history holds the hundred steps, and one image before them.
  EXPECT_LT(designer.History().BytesKept(), image + 100 * image / 4);
  for (size_t step = images.size() - 1; step > 0; --step) {
    ASSERT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), images[step])) << "step " << step;
    designer.Undo();
  }
  EXPECT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), images[0]));
}

TEST_F(UndoTest, ACancelledSetUpPutsTheDeviceBackAndLeavesNoStepAConfirmedOneIsOne) {
  New("Orvane 700", 3);
  Place(K4, 300, 200);
  const size_t steps = designer.History().UndoCount();
  const TProjectBytes before = designer.ProjectImage();
  auto keypad = [&]() -> TVududa& { return dynamic_cast<TVududa&>(*designer.Canvas().Tiles().back()); };
  host.onSetUp = [](TNetDevice& device, TLoadLines&) {
    dynamic_cast<TVududa&>(device).Location = "Office";
    device.CableLength = 80;
    return false;
  };
  designer.CanvasControl().TileMouseDown(keypad(), TMouseButton::Left, {}, true);
  EXPECT_EQ(designer.History().UndoCount(), steps);
  EXPECT_EQ(keypad().Location, "");
  EXPECT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), before));
  EXPECT_EQ(designer.UndoText(), "Undo Place Orvane K4");

  host.onSetUp = [](TNetDevice& device, TLoadLines&) {
    dynamic_cast<TVududa&>(device).Location = "Office";
    return true;
  };
  designer.CanvasControl().TileMouseDown(keypad(), TMouseButton::Left, {}, true);
  EXPECT_EQ(designer.History().UndoCount(), steps + 1);
  EXPECT_EQ(keypad().Location, "Office");
}

TEST_F(UndoTest, ModifiedFollowsTheSavedPointNewAndLoadStartAnEmptyHistory) {
  New("Orvane 700", 3);
  EXPECT_FALSE(designer.History().CanUndo());
  EXPECT_FALSE(designer.Session().Modified());
  Place(D1, 300, 200);
  EXPECT_TRUE(designer.Session().Modified());
  designer.Undo();
  EXPECT_FALSE(designer.Session().Modified());
  designer.Redo();
  designer.Session().SaveProject();
  EXPECT_FALSE(designer.Session().Modified());
  designer.Undo();
  EXPECT_TRUE(designer.Session().Modified());
  designer.Redo();
  EXPECT_FALSE(designer.Session().Modified());
  Load("Shop");
  EXPECT_FALSE(designer.History().CanUndo());
  EXPECT_FALSE(designer.History().CanRedo());
  EXPECT_EQ(designer.UndoText(), "Undo");
}

TEST_F(UndoTest, UndoKeepsTheViewAndTheSummaryChoicesAreSteps) {
  New("Orvane 700", 3);
  designer.CanvasControl().SetViewHeight(400);
  designer.CanvasControl().ShowNetwork(1);
  const int scroll = designer.CanvasControl().ScrollTop();
  designer.SummaryPanel().ChooseBattery(2);
  designer.SummaryPanel().ClickACFail(true);
  designer.SummaryPanel().ChooseGrade(1);
  EXPECT_EQ(designer.UndoText(), "Undo Grade");
  designer.Undo();
  EXPECT_EQ(designer.ControlPanel()->GetGrade(), 3);
  EXPECT_EQ(designer.SummaryPanel().Summary.GradeIndex, 2);
  designer.Undo();
  EXPECT_FALSE(designer.ControlPanel()->ACFailSignalled);
  designer.Undo();
  EXPECT_EQ(designer.SummaryPanel().Summary.BatteryIndex, -1);
  EXPECT_EQ(designer.ControlPanel()->CurrentNetwork, 1);
  EXPECT_EQ(designer.CanvasControl().ScrollTop(), scroll);
}

TEST_F(UndoTest, TheDeleteKeyTakesTheSelectedTileAsACtrlClickDoes) {
  New("Orvane 700", 3);
  TVududa& first = Place(D1, 300, 200);
  Place(D1, 500, 200);
  const size_t tiles = designer.Canvas().Tiles().size();
  designer.CanvasControl().DeleteSelected();  // nothing selected yet
  EXPECT_EQ(designer.Canvas().Tiles().size(), tiles);
  designer.CanvasControl().TileMouseDown(first, TMouseButton::Left, {}, false);
  EXPECT_EQ(designer.CanvasControl().SelectedTile(), &first);
  designer.CanvasControl().DeleteSelected();
  EXPECT_EQ(designer.Canvas().Tiles().size(), tiles - 1);
  EXPECT_EQ(designer.CanvasControl().SelectedTile(), nullptr);
  EXPECT_EQ(designer.UndoText(), "Undo Delete Orvane D1");
  // A network is never deleted by the key.
  designer.CanvasControl().TileMouseDown(Net(0), TMouseButton::Left, {}, false);
  designer.CanvasControl().DeleteSelected();
  EXPECT_EQ(designer.Canvas().Tiles().size(), tiles - 1);
}

TEST_F(UndoTest, SaveListsAProjectWhoseIndexLineIsMissing) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  designer.Session().SaveProject();
  TFileIndex index(dir.File("Data"));
  ASSERT_EQ(index.ReadLines().size(), 1u);
  index.Rewrite({});
  Place(D1, 300, 200);
  designer.Session().SaveProject();
  ASSERT_EQ(index.ReadLines().size(), 1u);
  EXPECT_EQ(SplitIndexLine(index.ReadLines()[0]).FileName, "Shop");
  designer.Session().SaveProject();  // listed once, however often it is saved
  EXPECT_EQ(index.ReadLines().size(), 1u);
}

TEST_F(UndoTest, SystemFilesAsksBeforeDeletingAndRefusesTheOpenProject) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  designer.Session().SaveProject();
  New("Orvane 700", 3, "Office", "Unit 9");
  designer.Session().SaveProject();
  auto deleteRow = [this](const std::string& name) {
    host.onSystemFiles = [name](TSystemFilesPresenter& dialog) {
      for (size_t i = 0; i < dialog.Rows().size(); ++i)
        if (dialog.Rows()[i].FileName == name) dialog.Select(static_cast<int>(i));
      dialog.Delete();
      dialog.Cancel();
    };
    designer.Session().LoadProject();
  };
  host.confirm = false;
  deleteRow("Shop");
  ASSERT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(host.questions[0], "Delete project Shop? Its files Shop.dat and Shop.pjx will be removed.");
  EXPECT_TRUE(dir.Exists("Data/Shop.dat"));
  host.confirm = true;
  deleteRow("Shop");
  EXPECT_FALSE(dir.Exists("Data/Shop.dat"));
  EXPECT_FALSE(dir.Exists("Data/Shop.pjx"));
  EXPECT_EQ(TFileIndex(dir.File("Data")).ReadLines().size(), 1u);
  // The open project is not deleted, and nothing is asked.
  deleteRow("Office");
  EXPECT_EQ(host.questions.size(), 2u);
  ASSERT_EQ(host.warnings.size(), 1u);
  EXPECT_NE(host.warnings[0].find("Office is the project open"), std::string::npos);
  EXPECT_TRUE(dir.Exists("Data/Office.dat"));
}

TEST_F(UndoTest, SnapToGridAndTheCaptionFollowNewAndLoad) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  EXPECT_EQ(designer.Session().Caption, ProjectCaption("Unit 4"));
  designer.Session().SaveProject();
  designer.CanvasControl().ToggleSnapToGrid();
  New("Orvane 700", 3, "Office", "Unit 9");
  EXPECT_EQ(designer.Session().Caption, ProjectCaption("Unit 9"));
  EXPECT_TRUE(designer.Canvas().SnapToGrid);
  Load("Shop");
  EXPECT_TRUE(designer.Canvas().SnapToGrid);
  EXPECT_EQ(designer.Session().Caption, ProjectCaption("Unit 4"));
}

TEST(WindowPlacement, RoundTripsAndIgnoresWhatMakesNoSense) {
  TMemorySettingsStore store;
  EXPECT_FALSE(ReadWindowPlacement(store));
  WriteWindowPlacement(store, {-20, 40, 1200, 800, true});
  const auto placement = ReadWindowPlacement(store);
  ASSERT_TRUE(placement);
  EXPECT_EQ(*placement, (TWindowPlacement{-20, 40, 1200, 800, true}));
  WriteWindowPlacement(store, {0, 0, 10, 800, false});
  EXPECT_FALSE(ReadWindowPlacement(store));  // too small to use
  store.OpenKey(SettingsKey, true);
  store.WriteFloat("Window Width", 1000.0);
  store.CloseKey();
  EXPECT_FALSE(ReadWindowPlacement(store));  // stored as another type
}

}  // namespace
}  // namespace voltaris::testing
