#include "ui/code_page_validator.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolTip>

#include "catalogue/code_page.h"

namespace voltaris {

QString TCodePageValidator::RefusalText(const QString& character) {
  return QStringLiteral("The character \"%1\" cannot be stored in the project files.").arg(character);
}

QValidator::State TCodePageValidator::validate(QString& input, int&) const {
  const QByteArray utf8 = input.toUtf8();
  const std::optional<std::string> outside = FirstCharacterOutsideCodePage(
      std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
  if (!outside) return Acceptable;
  lastRefusal_ = RefusalText(QString::fromStdString(*outside));
  emit const_cast<TCodePageValidator*>(this)->Refused(lastRefusal_);
  return Invalid;
}

void RefuseCharactersOutsideCodePage(QLineEdit* edit) {
  auto* validator = new TCodePageValidator(edit);
  QObject::connect(validator, &TCodePageValidator::Refused, edit, [edit](const QString& message) {
    QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), message, edit);
  });
  edit->setValidator(validator);
}

void RefuseCharactersOutsideCodePage(QComboBox* editableBox) {
  if (editableBox->lineEdit()) RefuseCharactersOutsideCodePage(editableBox->lineEdit());
}

void RefuseCharactersOutsideCodePage(QPlainTextEdit* area) {
  QObject::connect(area, &QPlainTextEdit::textChanged, area, [area] {
    const QByteArray utf8 = area->toPlainText().toUtf8();
    const std::optional<std::string> outside = FirstCharacterOutsideCodePage(
        std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    if (!outside) return;
    const QString message = TCodePageValidator::RefusalText(QString::fromStdString(*outside));
    area->setProperty("codePageRefusal", message);
    if (area->document()->isUndoAvailable()) area->undo();
    QToolTip::showText(area->mapToGlobal(QPoint(0, 0)), message, area);
  });
}

}  // namespace voltaris
