// Number boxes for figures with a range of their own. Qt's spin boxes drop
// a digit that would take the figure out of range and put back the last
// good value when the box is left; here every digit the user types goes in
// (up to nine), the arrows stay within the range, and the dialog refuses a
// figure out of range out loud when it is confirmed.
#pragma once

#include <QDoubleSpinBox>
#include <QSpinBox>

namespace voltaris {

class TWholeFigureBox : public QSpinBox {
 public:
  TWholeFigureBox(int minimum, int maximum, QWidget* parent);
  void stepBy(int steps) override;
  // The range the arrows keep to; the box itself takes more.
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }

 private:
  int minimum_;
  int maximum_;
};

class TFigureBox : public QDoubleSpinBox {
 public:
  TFigureBox(double minimum, double maximum, QWidget* parent);
  void stepBy(int steps) override;

 private:
  double minimum_;
  double maximum_;
};

}  // namespace voltaris
