// Message boxes whose text is shown as the plain text it is. A message often
// holds text from a file (a project's name from the index, who holds a lock,
// a line of an imported list): left to Qt, text that looks like markup would
// be shown as rich text, a link in it live.
#pragma once

#include <QMessageBox>
#include <QString>

namespace voltaris {

// A box built by the caller: its text is plain text.
inline void MakePlain(QMessageBox& box) { box.setTextFormat(Qt::PlainText); }

// QMessageBox::critical, warning, information and question, with plain text.
inline QMessageBox::StandardButton PlainMessage(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
  QMessageBox box(icon, title, text, buttons, parent);
  MakePlain(box);
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace voltaris
