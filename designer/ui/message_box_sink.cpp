#include "designer/ui/message_box_sink.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/plain_message.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {
QString BoxTitle() {
  const QString name = QApplication::applicationDisplayName();
  return name.isEmpty() ? QStringLiteral("Voltaris") : name;
}
}  // namespace

QWidget* TMessageBoxSink::Parent() const {
  // A box opened while a dialog is up belongs over that dialog.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return parent_ ? parent_.data() : QApplication::activeWindow();
}

void TMessageBoxSink::ShowError(const std::string& text) {
  PlainMessage(QMessageBox::Critical, Parent(), BoxTitle(), ToQString(text), QMessageBox::Ok);
}

void TMessageBoxSink::ShowWarning(const std::string& text) {
  PlainMessage(QMessageBox::Warning, Parent(), BoxTitle(), ToQString(text), QMessageBox::Ok);
}

bool TMessageBoxSink::Confirm(const std::string& question) {
  QMessageBox box(QMessageBox::Question, BoxTitle(), ToQString(question), QMessageBox::Yes | QMessageBox::No, Parent());
  MakePlain(box);
  box.setObjectName(QStringLiteral("ConfirmQuestion"));
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace voltaris
