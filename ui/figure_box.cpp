#include "ui/figure_box.h"

#include <algorithm>

namespace voltaris {

namespace {
// As far as typing reaches: nine digits.
constexpr int TypedMaximum = 999999999;
}  // namespace

TWholeFigureBox::TWholeFigureBox(int minimum, int maximum, QWidget* parent)
    : QSpinBox(parent), minimum_(minimum), maximum_(maximum) {
  setRange(std::min(minimum, 0), TypedMaximum);
}

void TWholeFigureBox::stepBy(int steps) { setValue(std::clamp(value() + steps, minimum_, maximum_)); }

TFigureBox::TFigureBox(double minimum, double maximum, QWidget* parent)
    : QDoubleSpinBox(parent), minimum_(minimum), maximum_(maximum) {
  setRange(std::min(minimum, 0.0), TypedMaximum);
}

void TFigureBox::stepBy(int steps) { setValue(std::clamp(value() + steps * singleStep(), minimum_, maximum_)); }

}  // namespace voltaris
