// Large designs for the benchmarks, built with the designer's own commands:
// an Orvane 700 at grade 3 with its eight networks, network devices spread
// over them in chains of up to 50, one remote supply per 20 devices cloned
// onto the next network, and load lists on the panel and every supply.
#pragma once

#include <string>
#include <vector>

#include "designer/designer.h"
#include "model/dialog_host.h"
#include "model/toolbar_device.h"
#include "storage/memory_settings_store.h"

namespace voltaris::bench {

// Answers every dialog at once: the designs need no user.
class QuietHost : public IDesignerHost, public IDialogHost {
 public:
  void ShowError(const std::string& text) override { throw std::runtime_error(text); }
  void ShowWarning(const std::string& text) override { throw std::runtime_error(text); }
  bool Confirm(const std::string& question) override { throw std::runtime_error(question); }
  void RunNewFileDialog(TNewFilePresenter& dialog) override;
  void RunSystemFilesDialog(TSystemFilesPresenter& dialog) override { dialog.Cancel(); }
  bool RunOptionsDialog(TOptionsPresenter&) override { return false; }
  TAnswer AskSave(const std::string&) override { return TAnswer::No; }
  void ShowReport(const std::string&, const std::string&, const std::string&, const std::string&) override {}
  void ShowSupplyMenu(int, int) override {}
  void CloseWindow() override {}
  std::string ShortDate() override { return "08/12/2026"; }
  bool EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter) override;
  bool SetUpDevice(TNetDevice&, TLoadLines&) override { return true; }
  bool AskYesNo(const std::string&) override { return true; }

  std::string FileName = "Large";
  int32_t Battery = 1;
};

struct TGeneratedDesign {
  TVududa* DeepestRoot = nullptr;  // the first device of the longest chain
  TVududa* DeepestLeaf = nullptr;  // its last
  TVududa* Movable = nullptr;      // a chain's end that can move to another network
  int Devices = 0;
  int Supplies = 0;
};

// Makes a new project in `designer` and fills it with `devices` network devices.
TGeneratedDesign GenerateDesign(TDesigner& designer, QuietHost& host, int devices);

}  // namespace voltaris::bench
