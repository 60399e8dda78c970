#include "ui/key_filter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolTip>
#include <algorithm>

#include "ui/qt_text.h"

namespace voltaris {

namespace {

// `text` with the characters `accepts` refuses left out.
QString Filtered(const QString& text, TAcceptsKey accepts) {
  std::string kept = ToStdString(text);
  kept.erase(std::remove_if(kept.begin(), kept.end(), [accepts](char c) { return !accepts(c); }), kept.end());
  return ToQString(kept);
}

}  // namespace

std::optional<std::string> TypedText(const QKeyEvent& key) {
  if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
  if (key.key() == Qt::Key_Backspace) return std::string(1, '\b');
  const QString text = key.text();
  if (text.isEmpty()) return std::nullopt;
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) return std::nullopt;
  }
  return ToStdString(text);
}

bool RefusesKey(const QKeyEvent& key, TAcceptsKey accepts, QWidget* box, const char* hint) {
  const std::optional<std::string> typed = TypedText(key);
  const bool refused = typed && !std::all_of(typed->begin(), typed->end(), accepts);
  // Backspace is refused by some boxes by design; it needs no explanation.
  if (refused && *typed != "\b") ShowKeyHint(box, hint);
  return refused;
}

namespace {

class TFullFieldWatch : public QObject {
 public:
  explicit TFullFieldWatch(QLineEdit* edit) : QObject(edit), edit_(edit) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == edit_ && event->type() == QEvent::KeyPress && !edit_->hasSelectedText() &&
        edit_->text().size() >= edit_->maxLength()) {
      const std::optional<std::string> typed = TypedText(*static_cast<QKeyEvent*>(event));
      if (typed && *typed != "\b") ShowKeyHint(edit_, FullFieldHint(edit_->maxLength()));
    }
    return false;
  }

 private:
  QLineEdit* edit_;
};

}  // namespace

void SayWhenFull(QLineEdit* edit) { edit->installEventFilter(new TFullFieldWatch(edit)); }

std::string FullFieldHint(int most) { return "This field holds at most " + std::to_string(most) + " characters."; }

void ShowKeyHint(QWidget* box, const std::string& hint) {
  if (hint.empty()) return;
  QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), ToQString(hint), box);
}

void ShowFilteredText(QLineEdit* edit, const std::string& value, TAcceptsKey accepts) {
  const QString shown = ToQString(value);
  if (edit->text() == shown) return;
  const qsizetype cursor = Filtered(edit->text().left(edit->cursorPosition()), accepts).size();
  const QSignalBlocker blocker(edit);
  edit->setText(shown);
  edit->setCursorPosition(static_cast<int>(std::min(cursor, shown.size())));
}

}  // namespace voltaris
