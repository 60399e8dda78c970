// Showing the model's values in Qt widgets, the same way in every dialog.
#pragma once

#include <QPalette>

#include "catalogue/catalogue.h"
#include "model/colour.h"

class QComboBox;
class QWidget;

namespace voltaris {

// The colour a widget draws its text in: WindowText for a label, Text for an
// edit field.
void SetTextColour(QWidget* widget, const TColour& colour, QPalette::ColorRole role = QPalette::WindowText);

// Refills a drop-down list only when its items changed, so that an open list
// keeps its place. The box's signals are left as they are.
void SetItems(QComboBox* box, const TStringList& items);

// The items of a drop-down list, refilled only when they changed, and the
// selected one (-1 for none), without the box announcing either.
void ShowItems(QComboBox* box, const TStringList& items, int index);

}  // namespace voltaris
