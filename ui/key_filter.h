// Typing into a line edit whose presenter accepts some characters only: the
// key filter that drops a refused key before Qt types it, and the showing of
// the presenter's text back in the box.
#pragma once

#include <optional>
#include <string>

class QKeyEvent;
class QLineEdit;
class QWidget;

namespace voltaris {

// Whether the presenter takes the character `c` typed into its box.
using TAcceptsKey = bool (*)(char);

// The 8-bit text a key press types, for the presenter's key filters. Keys
// that type nothing, or that move the focus, confirm or cancel (Tab, Return,
// Escape, Delete), type no text; nor do shortcuts: Ctrl+V pastes, and the
// pasted text is filtered as an edit. Backspace types the character 8.
std::optional<std::string> TypedText(const QKeyEvent& key);

// Whether a key press types text `accepts` refuses, so that the event filter
// drops it; keys that type nothing pass on. A refused key shows `hint`
// beside `box`: the user sees why nothing was typed.
bool RefusesKey(const QKeyEvent& key, TAcceptsKey accepts, QWidget* box, const char* hint);

// Shows `hint` as a tip just below `box`; nothing when it is empty.
void ShowKeyHint(QWidget* box, const std::string& hint);

// A box whose text is as long as it may be says so when one more character
// is typed, instead of dropping it unseen.
void SayWhenFull(QLineEdit* edit);
// The text of that tip: "This field holds at most 50 characters."
std::string FullFieldHint(int most);

// Shows the presenter's text in a box, keeping the cursor after the same
// accepted characters as before; the box does not announce the change.
void ShowFilteredText(QLineEdit* edit, const std::string& value, TAcceptsKey accepts);

}  // namespace voltaris
