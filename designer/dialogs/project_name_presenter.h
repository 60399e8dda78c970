// The logic of the small dialog that asks a project's new file name and site
// reference: File > "Save As...", and "Duplicate..." and "Rename..." in
// System Files. The keys and checks are those of the New File dialog, so a
// name it takes is one New would take. The Qt dialog binds its two boxes to
// this; a test drives it as a user would.
#pragma once

#include <string>
#include <string_view>

#include "designer/dialogs/message_sink.h"
#include "designer/dialogs/modal_result.h"

namespace voltaris {

class TProjectNamePresenter {
 public:
  enum class TControl { SiteRef, FileName };

  TProjectNamePresenter(std::string dataDir, IMessageSink& messages);
  TProjectNamePresenter(const TProjectNamePresenter&) = delete;
  TProjectNamePresenter& operator=(const TProjectNamePresenter&) = delete;

  // Starts a showing with the window caption, the site reference to start
  // from (filtered as typed) and an empty file name, focused.
  void Show(std::string caption, std::string_view siteRef, std::string dataDir);

  const std::string& Caption() const { return caption_; }
  // The same key filters as the New File dialog's boxes.
  void TypeSiteRef(std::string_view keys);
  void SetSiteRef(std::string_view text);
  const std::string& SiteRef() const { return siteRef_; }
  void TypeFileName(std::string_view keys);
  void SetFileName(std::string_view text);
  const std::string& FileName() const { return fileName_; }
  TControl Focus() const { return focus_; }

  // The New File dialog's file-name checks; true (result OK) when they pass.
  bool Ok();
  void Cancel() { result_ = TModalResult::Cancel; }
  TModalResult Result() const { return result_; }

 private:
  std::string dataDir_;
  IMessageSink& messages_;
  std::string caption_;
  std::string siteRef_;
  std::string fileName_;
  TControl focus_ = TControl::FileName;
  TModalResult result_ = TModalResult::None;
};

}  // namespace voltaris
