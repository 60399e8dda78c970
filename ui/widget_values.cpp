#include "ui/widget_values.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>
#include <QWidget>

#include "ui/qt_text.h"

namespace voltaris {

void SetTextColour(QWidget* widget, const TColour& colour, QPalette::ColorRole role) {
  QPalette palette = widget->palette();
  palette.setColor(role, ToQColor(colour));
  widget->setPalette(palette);
}

void SetItems(QComboBox* box, const TStringList& items) {
  const QStringList wanted = ToQStringList(items);
  QStringList shown;
  for (int i = 0; i < box->count(); ++i) shown << box->itemText(i);
  if (shown == wanted) return;
  box->clear();
  box->addItems(wanted);
}

void ShowItems(QComboBox* box, const TStringList& items, int index) {
  const QSignalBlocker blocker(box);
  SetItems(box, items);
  box->setCurrentIndex(index);
}

}  // namespace voltaris
