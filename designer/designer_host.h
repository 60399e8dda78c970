// What the designer needs from the window: its dialogs and questions. The
// Qt window implements it; tests script it.
#pragma once

#include <string>

#include "designer/message_sink.h"

namespace voltaris {

class TNewFilePresenter;
class TOptionsPresenter;
class TProjectDetailsPresenter;
class TSystemFilesPresenter;

enum class TAnswer { Yes, No, Cancel };

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
  // "Do you want to save ..." with Yes and No, or Yes, No and Cancel.
  virtual TAnswer AskSave(const std::string& question, bool withCancel) = 0;
  // Shows the report window modally.
  virtual void ShowReport(const std::string& caption, const std::string& text, const std::string& directory,
                          const std::string& fileName) = 0;
  // Opens the supply menu ("Clone to") at a point of the main window.
  virtual void ShowSupplyMenu(int windowX, int windowY) = 0;
  // The main window closes and the program ends.
  virtual void CloseWindow() = 0;
  // Today's date in the user's short date format.
  virtual std::string ShortDate() = 0;
};

}  // namespace voltaris
