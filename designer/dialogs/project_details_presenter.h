// The logic of the Project Details dialog: the company, engineer, customer,
// site address and notes the document is headed with, edited on a copy and
// handed back only when the user confirms. Texts are in the files' code
// page; each field keeps to its length, line breaks become "\n".
#pragma once

#include <string>

#include "model/project_details.h"

namespace voltaris {

class TProjectDetailsPresenter {
 public:
  enum TField { Company, Engineer, Customer, SiteAddress, Notes };
  static constexpr int FieldCount = 5;

  // Fills the fields from the project's details.
  void Show(const TProjectDetails& details) { details_ = details; }
  // What the fields now hold.
  const TProjectDetails& Details() const { return details_; }

  const std::string& Text(TField field) const;
  // Sets a field: CR LF and lone CRs become "\n", zero bytes go, the
  // single-line fields keep only their first line, and text beyond the
  // field's length is cut.
  void SetText(TField field, const std::string& text);
  // The longest text of a field, in code-page characters.
  static size_t MaxLength(TField field);
  static bool MultiLine(TField field) { return field == SiteAddress || field == Notes; }

 private:
  std::string& Field(TField field);
  TProjectDetails details_;
};

}  // namespace voltaris
