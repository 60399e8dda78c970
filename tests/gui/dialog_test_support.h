// Helpers of the designer dialog tests: finding controls, acting on them as
// a user does, and running a modal dialog under a script.
#pragma once

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <string>
#include <vector>

#include "designer/dialogs/message_sink.h"

namespace voltaris::testing {

// Whether the test runs as a Windows program under Wine (which gives the
// window its own fonts), not on Windows itself.
// Wine keeps its own settings in the registry it emulates.
inline bool RunningUnderWine() {
#ifdef _WIN32
  const QSettings wine(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Wine"), QSettings::NativeFormat);
  return !wine.childGroups().isEmpty();
#else
  return false;
#endif
}

template <typename T>
T* Control(QWidget* parent, const char* name) {
  T* control = parent->findChild<T*>(QString::fromLatin1(name));
  if (!control) qFatal("no control %s", name);
  return control;
}

// Keeps `picture` as `name` in the folder VOLTARIS_SCREENSHOTS names, when it
// names one: the pictures a developer looks at.
inline void Keep(const QImage& picture, const QString& name) {
  if (!qEnvironmentVariableIsSet("VOLTARIS_SCREENSHOTS")) return;
  QVERIFY(picture.save(qEnvironmentVariable("VOLTARIS_SCREENSHOTS") + "/" + name));
}

// The tip that shows now (QToolTip's own label), for a picture of it; null
// when none shows.
inline QWidget* ShownTip() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->inherits("QTipLabel") && widget->isVisible()) return widget;
  return nullptr;
}

inline void Click(QWidget* parent, const char* name) {
  QTest::mouseClick(Control<QPushButton>(parent, name), Qt::LeftButton);
}

// Clicks a check box or radio button on its box, where a user clicks it.
inline void ClickBox(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Replaces the whole content of a text box or spin box by typing.
inline void TypeOver(QWidget* field, const QString& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) spin->selectAll();
  QTest::keyClicks(field, text);
}

// Chooses an item of a drop-down list with the keyboard: Home, then Down
// until the item is reached.
inline void Choose(QComboBox* combo, const QString& item) {
  const int target = combo->findText(item);
  QVERIFY2(target >= 0, qPrintable(item + " is not listed"));
  QTest::keyClick(combo, Qt::Key_Home);
  for (int i = 0; i < target; ++i) QTest::keyClick(combo, Qt::Key_Down);
  QCOMPARE(combo->currentText(), item);
}

inline QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

inline QStringList Cells(const QTreeWidget* list, int row) {
  QStringList cells;
  for (int c = 0; c < list->columnCount(); ++c) cells << list->topLevelItem(row)->text(c);
  return cells;
}

inline void ClickRow(QTreeWidget* list, int row, bool twice = false) {
  QTreeWidgetItem* item = list->topLevelItem(row);
  QVERIFY(item);
  const QPoint centre = list->visualItemRect(item).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
  if (twice) {  // as the window system sends it: press, release, double click, release
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre);
  }
}

// Runs `user` once `dialog` runs modally. When the script ends (or fails
// half way) and the dialog is still open, it is rejected after a while so
// that a failed check cannot leave the test waiting for ever.
inline void WhileModal(QDialog& dialog, std::function<void()> user) {
  QPointer<QDialog> guarded(&dialog);
  QTimer::singleShot(0, &dialog, [guarded, user = std::move(user)] {
    user();
    QTimer::singleShot(2000, guarded, [guarded] {
      if (guarded && guarded->isVisible()) guarded->reject();
    });
  });
}

// The messages the user would have been shown.
struct RecordingSink : IMessageSink {
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  bool Confirm(const std::string& question) override {
    questions.push_back(question);
    return confirm;
  }
  std::vector<std::string> questions;
  bool confirm = true;
  std::vector<std::string> errors, warnings;
};

using Texts = std::vector<std::string>;

}  // namespace voltaris::testing
