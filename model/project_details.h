// Who the design is for and by whom: the installer's company, the engineer,
// the customer, the site address and free notes. They head the printed
// document and are kept with the project's files; empty until the user
// fills them in.
#pragma once

#include <cstddef>
#include <string>

namespace voltaris {

struct TProjectDetails {
  // The longest text each field holds, in code-page characters.
  static constexpr size_t MaxLineLength = 100;     // company, engineer, customer
  static constexpr size_t MaxAddressLength = 400;  // several lines
  static constexpr size_t MaxNotesLength = 4000;

  std::string Company;
  std::string Engineer;
  std::string Customer;
  std::string SiteAddress;  // lines separated by "\n"
  std::string Notes;        // lines separated by "\n"

  bool Empty() const {
    return Company.empty() && Engineer.empty() && Customer.empty() && SiteAddress.empty() && Notes.empty();
  }
  bool operator==(const TProjectDetails&) const = default;
};

}  // namespace voltaris
