// Keeps a text edit to the characters the project files can hold (their code
// page, catalogue/code_page.h): a key or a paste that would bring in another
// is refused as it is typed, with a message beside the edit saying which
// character. Limits on the length of the edit count code-page characters,
// one per character whatever its UTF-8 length.
#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;
class QComboBox;
class QPlainTextEdit;

namespace voltaris {

class TCodePageValidator : public QValidator {
  Q_OBJECT

 public:
  explicit TCodePageValidator(QObject* parent = nullptr) : QValidator(parent) {}

  // Invalid when `input` holds a character outside the code page; every
  // other text is left to the dialog's own rules.
  State validate(QString& input, int& pos) const override;

  // The message of the last refusal, empty before the first.
  const QString& LastRefusal() const { return lastRefusal_; }
  // "The character "✓" cannot be stored in the project files."
  static QString RefusalText(const QString& character);

 signals:
  void Refused(const QString& message);

 private:
  mutable QString lastRefusal_;
};

// Gives `edit` a validator that refuses what the code page cannot hold and
// shows its message as a tooltip at the edit.
void RefuseCharactersOutsideCodePage(QLineEdit* edit);
void RefuseCharactersOutsideCodePage(QComboBox* editableBox);
// A text area has no validator: a change that brings in such a character is
// undone at once, with the same message.
void RefuseCharactersOutsideCodePage(QPlainTextEdit* area);

}  // namespace voltaris
