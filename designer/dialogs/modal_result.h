// How a modal dialog of the designer was closed.
#pragma once

namespace voltaris {

enum class TModalResult {
  None,  // still open, or it never opened
  OK,
  Cancel,  // Cancel while a project is open
  No,      // Cancel while no project is open: the caller ends the program
  New,     // the System Files dialog's "New" button
};

}  // namespace voltaris
