// The logic of the New File dialog ("Open New File"): site reference, panel
// type, system grade and file name of a new project. The Qt dialog binds its
// widgets to this; a test drives it as a user would.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "catalogue/catalogue.h"
#include "designer/dialogs/message_sink.h"
#include "designer/dialogs/modal_result.h"

namespace voltaris {

// The checks of a new project's file name, in order, the first failure
// reported: "File name Required", a letter or a digit, no space at either
// end, and no project of that name in `dataDir` (the name is then emptied).
// New File, Save As, Duplicate and Rename all take a name through it.
bool CheckNewFileName(const std::string& dataDir, std::string& fileName, IMessageSink& messages);

class TNewFilePresenter {
 public:
  // The controls, in tab order; `Focus` names the one that has the focus.
  enum class TControl { SiteRef, PanelType, Grade, FileName };

  TNewFilePresenter(std::string dataDir, IMessageSink& messages);
  TNewFilePresenter(const TNewFilePresenter&) = delete;
  TNewFilePresenter& operator=(const TNewFilePresenter&) = delete;

  // What Cancel returns: No while no project is open, Cancel otherwise. The
  // caller sets it before each showing.
  void SetCancelResult(TModalResult result) { cancelResult_ = result; }
  // The data directory whose projects a new name must not repeat.
  void SetDataDir(std::string dataDir) { dataDir_ = std::move(dataDir); }

  // Starts a showing: sets the dialog's CurrentGrade and CurrentPanelType
  // to -1, lists every selectable panel type and grades 1 to 3 with
  // nothing selected, empties both text boxes and focuses the site reference.
  void Show();

  // Site reference. ";" separates the fields of the index line, so it is
  // discarded as it is typed (line breaks too): the reference always comes
  // back whole when the project is opened again.
  static bool AcceptsSiteRefKey(char c);
  static constexpr const char* SiteRefKeyHint = "A site reference cannot hold \";\" or a line break.";
  void TypeSiteRef(std::string_view keys);  // each accepted key is appended
  void SetSiteRef(std::string_view text);   // edited or pasted text, filtered
  const std::string& SiteRef() const { return siteRef_; }

  // Panel type list.
  const TStringList& PanelTypes() const { return panelTypes_; }
  int PanelTypeIndex() const { return panelTypeIndex_; }  // -1 for none
  std::string PanelTypeText() const;                      // empty for none
  // Sets CurrentPanelType to the chosen row and refills the grade list up
  // to that row's highest grade, which clears the grade selection.
  void ChoosePanelType(int index);

  // Grade list.
  const TStringList& Grades() const { return grades_; }
  int GradeIndex() const { return gradeIndex_; }  // -1 for none
  // Sets CurrentGrade and refills the panel list with the types that allow
  // the grade, keeping the chosen type selected while it is still listed.
  void ChooseGrade(int index);

  // File name: only space, "-", "0".."9", "A".."Z", "_" and "a".."z" get in;
  // every other key, backspace included, is discarded.
  static bool AcceptsFileNameKey(char c);
  static constexpr const char* FileNameKeyHint = "A file name takes letters A-Z, digits, blanks, \"-\" and \"_\" only.";
  void TypeFileName(std::string_view keys);  // each accepted key is appended
  void SetFileName(std::string_view text);   // edited or pasted text, filtered
  const std::string& FileName() const { return fileName_; }

  TControl Focus() const { return focus_; }

  // Runs the checks in order and reports the first failure; true (result OK)
  // when all pass and the dialog closes. A file name needs a letter or a
  // digit and neither starts nor ends with a space: "   " or " Shop" would
  // make a project that System Files shows as a blank or shifted row.
  bool Ok();
  // Closes with the Cancel button's result.
  void Cancel();

  TModalResult Result() const { return result_; }
  // The dialog's own catalogue filter: the panel type and grade chosen so
  // far (-1 for none). No project exists for it yet, so it has its own.
  const TCatalogueFilter& Filter() const { return filter_; }

 private:
  std::string dataDir_;
  IMessageSink& messages_;
  TModalResult cancelResult_ = TModalResult::Cancel;
  TModalResult result_ = TModalResult::None;

  TCatalogueFilter filter_{-1, -1, {}};

  std::string siteRef_;
  TStringList panelTypes_;
  int panelTypeIndex_ = -1;
  TStringList grades_;
  int gradeIndex_ = -1;
  std::string fileName_;
  TControl focus_ = TControl::SiteRef;
};

}  // namespace voltaris
