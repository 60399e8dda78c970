// Cancel puts the design back. On random designs, a user opens the load
// calculator (of the control panel or of a supply) or a device's set-up,
// changes whatever the dialog offers, and cancels: the project's file image
// is then byte for byte the one before the dialog opened, and the undo
// history has no new step. Done and OK keep the changes as one step.
#include <random>

#include "calculator/load_calculator.h"
#include "designer/dialogs/loading_presenter.h"
#include "designer/undo_history.h"
#include "designer_fixture.h"
#include "model/psu.h"

namespace voltaris::testing {
namespace {

// Plays a restless user at the real dialogs' logic: every action the
// dialog offers, at random, with random figures.
class RandomUser : public ILoadCalculatorHost, public ILoadingHost {
 public:
  RandomUser(TDesigner& designer, std::mt19937& random) : designer_(designer), random_(random) {}

  // The load calculator on `module`, closed with Done (true) or Cancel.
  bool UseCalculator(TPowerModule& module, TLoadLines& lines, bool done) {
    TLoadCalculator calculator(*this);
    calculator.Open(module, lines, designer_.Context().Filter);
    for (int step = Below(8); step >= 0; --step) {
      const TCalculatorView& view = calculator.View();
      switch (Below(6)) {
        case 0:
          calculator.cbGradeChange(Below(static_cast<int>(view.GradeItems.size())));
          break;
        case 1:
          calculator.cbBatteryTypeChange(Below(static_cast<int>(view.BatteryItems.size())));
          break;
        case 2:
          calculator.cbSigACFailClick(!view.ACFailChecked);
          break;
        case 3:
          calculator.btnAddClick();
          break;
        case 4:
          calculator.SelectLine(Below(static_cast<int>(calculator.Lines().size()) + 1));
          calculator.btnEditClick();
          break;
        default:
          calculator.SelectLine(Below(static_cast<int>(calculator.Lines().size()) + 1));
          calculator.btnDeleteClick();
      }
    }
    calculator.Close();
    return done;
  }

  // A device's set-up dialog, closed with OK (true) or Cancel.
  bool UseSetUp(TNetDevice& device, TLoadLines& lines, bool ok) {
    TLoadingPresenter dialog(*this);
    dialog.Open(device);
    for (int step = Below(8); step >= 0; --step) {
      switch (Below(6)) {
        case 0:
          dialog.ApplyField(static_cast<TLoadingField>(Below(6)), std::to_string(Below(400)));
          break;
        case 1:
          dialog.EditLocation("Room " + std::to_string(Below(50)));
          break;
        case 2:
          dialog.ChooseDeviceType(Below(static_cast<int>(dialog.View().DevTypeItems.size())));
          break;
        case 3:
          dialog.DetailBtnClick();
          break;
        case 4:
          dialog.AddClick();
          break;
        default:
          dialog.SelectLine(Below(static_cast<int>(dialog.Lines().size()) + 1));
          dialog.DeleteClick();
      }
    }
    if (!ok) {
      dialog.Cancel();
      return false;
    }
    dialog.Ok(lines);
    return true;
  }

  // --- the calculator's host ---
  int32_t DesignerGrade() const override { return designer_.ControlPanel()->GetGrade(); }
  void MarkModified() override {}
  bool RunDevicePicker(TDevicePicker& picker) override {
    if (picker.Lines().empty()) return false;
    picker.ClickLine(Below(static_cast<int>(picker.Lines().size())));
    picker.SetQuantity(1 + Below(4));
    return Below(5) > 0;
  }
  bool AskYesNo(const std::string&, TQuestionKind) override { return Below(2) == 0; }

  // --- the set-up dialog's host ---
  int32_t PanelType() const override { return designer_.ControlPanel()->PanelType; }
  int32_t PanelGrade() const override { return designer_.ControlPanel()->GetGrade(); }
  bool AddDevice(int32_t, int32_t grade, TDeviceData& entry) override {
    entry = TDeviceData{1 + Below(3), grade, "Sounder", 5 + Below(40), 100 + Below(400)};
    return true;
  }
  void ShowError(const std::string&) override {}

 private:
  // A random number in [0, n); 0 when n is 0.
  int Below(int n) const { return n > 0 ? static_cast<int>(random_() % static_cast<unsigned>(n)) : 0; }

  TDesigner& designer_;
  std::mt19937& random_;
};

class CancelTest : public DesignerTest {
 protected:
  // A random design: any panel type at grade 2 or 3, devices of the
  // toolbar placed and dragged onto networks or supplies, some set up, and
  // a battery for the panel.
  void RandomDesign(std::mt19937& random) {
    host.onNewFile = [&](TNewFilePresenter& dialog) {
      dialog.SetSiteRef("Unit 4");
      dialog.ChoosePanelType(static_cast<int>(random() % dialog.PanelTypes().size()));
      dialog.ChooseGrade(static_cast<int>(random() % 2));
      dialog.SetFileName("Shop");
      dialog.Ok();
    };
    designer.Session().NewProject();
    host.onNewFile = nullptr;
    ASSERT_TRUE(designer.ProjectOpen);
    designer.SummaryPanel().ChooseBattery(0);
    host.onSetUp = [](TNetDevice& device, TLoadLines&) {
      device.CableLength = 40;
      return true;
    };
    std::vector<int> tools;
    for (int tool = 0; tool < TDesigner::PSUButton; ++tool)
      if (designer.ToolButtonVisible[static_cast<size_t>(tool)]) tools.push_back(tool);
    const int count = 3 + static_cast<int>(random() % 8);
    for (int i = 0; i < count && !tools.empty(); ++i) {
      const int x = 250 + static_cast<int>(random() % 500), y = 150 + static_cast<int>(random() % 600);
      TDevice* placed = nullptr;
      if (random() % 5 == 0) {
        placed = &PlaceSupply(x, y);
      } else {
        placed = &Place(tools[random() % tools.size()], x, y);
      }
      // Onto a network, or onto a tile placed before it where that is allowed.
      const auto& tiles = designer.Canvas().Tiles();
      TDevice* target = random() % 3 == 0 ? tiles[random() % tiles.size()].get()
                                          : &Net(static_cast<int>(random() % designer.ControlPanel()->Networks.size()));
      if (target != placed) Drag(*placed, *target);
      if (random() % 2 == 0) designer.CanvasControl().SetUpTile(*designer.Canvas().Tiles().back());
    }
    host.onSetUp = nullptr;
  }

  // The tiles a user can double-click for a dialog: supplies and devices.
  std::vector<TDevice*> DialogTiles() const {
    std::vector<TDevice*> tiles;
    for (const auto& tile : designer.Canvas().Tiles()) {
      if (dynamic_cast<TNetDevice*>(tile.get()) || dynamic_cast<TPSU*>(tile.get())) tiles.push_back(tile.get());
    }
    return tiles;
  }
};

TEST_F(CancelTest, EveryDialogCancelledOnRandomDesignsLeavesTheFileImageAndTheHistoryAsTheyWere) {
  std::mt19937 random(20261210);
  int cancelled = 0, changedThenCancelled = 0, confirmed = 0;
  for (int design = 0; design < 12; ++design) {
    SCOPED_TRACE("design " + std::to_string(design));
    // The last round's scripts refer to that round's figures: gone.
    host.onEditLoadList = nullptr;
    host.onSetUp = nullptr;
    host.loadListDone = true;
    RandomDesign(random);
    RandomUser user(designer, random);
    for (int round = 0; round < 25; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      const bool close = random() % 4 == 0;  // Done or OK; otherwise Cancel
      bool changed = false;
      host.onEditLoadList = [&](TPowerModule& module, TLoadLines& lines) {
        const TProjectBytes opened = designer.ProjectImage();
        host.loadListDone = user.UseCalculator(module, lines, close);
        changed = !TUndoHistory::SameImage(designer.ProjectImage(), opened);
      };
      host.onSetUp = [&](TNetDevice& device, TLoadLines& lines) {
        const TProjectBytes opened = designer.ProjectImage();
        const bool ok = user.UseSetUp(device, lines, close);
        changed = !TUndoHistory::SameImage(designer.ProjectImage(), opened);
        return ok;
      };
      const TProjectBytes before = designer.ProjectImage();
      const size_t steps = designer.History().UndoCount();
      const std::vector<TDevice*> tiles = DialogTiles();
      if (tiles.empty() || random() % 4 == 0) {
        designer.SummaryPanel().UpdatePanelAndDevices();
      } else {
        designer.CanvasControl().SetUpTile(*tiles[random() % tiles.size()]);
      }
      if (close) {
        ++confirmed;
        ASSERT_LE(designer.History().UndoCount(), steps + 1);
        if (designer.History().UndoCount() == steps + 1) {
          designer.Undo();
          ASSERT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), before)) << "Undo after Done";
          designer.Redo();
        }
        continue;
      }
      ++cancelled;
      if (changed) ++changedThenCancelled;
      ASSERT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), before));
      ASSERT_EQ(designer.History().UndoCount(), steps);
    }
  }
  host.onEditLoadList = nullptr;
  host.onSetUp = nullptr;
  // The walk did reach what it is meant to test.
  EXPECT_GT(changedThenCancelled, 60);
  EXPECT_GT(confirmed, 30);
  EXPECT_GT(cancelled, changedThenCancelled);
}

}  // namespace
}  // namespace voltaris::testing
