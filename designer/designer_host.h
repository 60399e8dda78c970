// What the designer needs from the window: its dialogs and questions. The
// Qt window implements it; tests script it.
#pragma once

#include <string>

#include "designer/dialogs/message_sink.h"

namespace voltaris {

class TNewFilePresenter;
class TOptionsPresenter;
class TProjectNamePresenter;
class TProjectDetailsPresenter;
class TSystemFilesPresenter;

enum class TAnswer { Yes, No, Cancel };
// The answers to the start-up question about a recovery copy.
enum class TRecoveryAnswer { Recover, Discard, Later };

class IDesignerHost : public IMessageSink {
 public:
  // Runs a dialog modally on its presenter; the result is left in the presenter.
  virtual void RunNewFileDialog(TNewFilePresenter& dialog) = 0;
  virtual void RunSystemFilesDialog(TSystemFilesPresenter& dialog) = 0;
  // True when the Options dialog closed with OK.
  virtual bool RunOptionsDialog(TOptionsPresenter& dialog) = 0;
  // True when the Project Details dialog closed with OK. A host without the
  // dialog changes nothing.
  virtual bool RunProjectDetailsDialog(TProjectDetailsPresenter&) { return false; }
  // "Do you want to save ..." with Yes, No and Cancel; Escape is Cancel.
  virtual TAnswer AskSave(const std::string& question) = 0;
  // Shows the report window modally.
  virtual void ShowReport(const std::string& caption, const std::string& text, const std::string& directory,
                          const std::string& fileName) = 0;
  // Opens the supply menu ("Clone to") at a point of the main window.
  virtual void ShowSupplyMenu(int windowX, int windowY) = 0;
  // The main window closes and the program ends.
  virtual void CloseWindow() = 0;
  // Today's date in the user's short date format.
  virtual std::string ShortDate() = 0;

  // The new-name dialog of Save As, modally on its presenter; a host without
  // one cancels it.
  virtual void RunProjectNameDialog(TProjectNamePresenter& dialog);
  // File > "Open File...": the path of the ".pjx" the user chose, starting
  // in `folder`; empty when cancelled.
  virtual std::string ChooseProjectFile(const std::string& /*folder*/) { return {}; }
  // A passing word in the status bar ("Saved Shop at 08:15"), for a few seconds.
  virtual void ShowNotice(const std::string& /*text*/) {}
  // The time now in the user's short time format; empty when the host has no clock.
  virtual std::string ShortTime() { return {}; }
  // "Voltaris was not closed properly. Recover ...?" with Recover, Discard
  // and Later; a host without the question keeps the copy for later.
  virtual TRecoveryAnswer AskRecovery(const std::string& /*question*/) { return TRecoveryAnswer::Later; }
};

}  // namespace voltaris
