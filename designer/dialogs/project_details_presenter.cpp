#include "designer/dialogs/project_details_presenter.h"

namespace voltaris {

size_t TProjectDetailsPresenter::MaxLength(TField field) {
  switch (field) {
    case SiteAddress:
      return TProjectDetails::MaxAddressLength;
    case Notes:
      return TProjectDetails::MaxNotesLength;
    default:
      return TProjectDetails::MaxLineLength;
  }
}

std::string& TProjectDetailsPresenter::Field(TField field) {
  switch (field) {
    case Company:
      return details_.Company;
    case Engineer:
      return details_.Engineer;
    case Customer:
      return details_.Customer;
    case SiteAddress:
      return details_.SiteAddress;
    default:
      return details_.Notes;
  }
}

const std::string& TProjectDetailsPresenter::Text(TField field) const {
  return const_cast<TProjectDetailsPresenter*>(this)->Field(field);
}

void TProjectDetailsPresenter::SetText(TField field, const std::string& text) {
  std::string clean;
  clean.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0') continue;
    if (c == '\r') {
      // CR LF and a lone CR both end a line.
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (!MultiLine(field)) break;
      clean += '\n';
      continue;
    }
    if (c == '\n' && !MultiLine(field)) break;
    clean += c;
  }
  // One byte a character in the files' code page.
  if (clean.size() > MaxLength(field)) clean.resize(MaxLength(field));
  Field(field) = std::move(clean);
}

}  // namespace voltaris
