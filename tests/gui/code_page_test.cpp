// Text typed in the window goes into the files in their code page whatever
// the machine's locale, comes back from them the same, and comes out of the
// report tool as UTF-8; a character the files cannot hold is refused where
// it is typed.
#include <QClipboard>
#include <QProcess>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>
#include <nlohmann/json.hpp>

#include "calculator/ui/load_calculator_dialog.h"
#include "designer/ui/loading_dialog.h"
#include "designer/ui/system_files_dialog.h"
#include "main_window_support.h"
#include "model/toolbar_device.h"
#include "ui/code_page_validator.h"

namespace voltaris::testing {

namespace {

const QString Site = QString::fromUtf8("Caf\xC3\xA9 \xC2\xA3\x35 \xE2\x82\xAC\x33 \xC3\xBC");  // Café £5 €3 ü
// The same as the files hold it.
const std::string StoredSite = "Caf\xE9 \xA3\x35 \x80\x33 \xFC";
const QString Place = QString::fromUtf8("Caf\xC3\xA9 \xC2\xA3 \xE2\x82\xAC \xC3\xBC");  // Café £ € ü
const QString Bell = QString::fromUtf8("Bell \xC3\xBC \xE2\x82\xAC");                   // Bell ü €
const QString Check = QString::fromUtf8("\xE2\x9C\x93");                                // ✓, not in the code page

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Types `text` as a keyboard does, one character (a surrogate pair whole) a
// key: QTest::keyClicks takes Latin-1 only.
void TypeText(QWidget* field, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text.mid(i, length), Qt::NoModifier);
    i += length - 1;
  }
}

// Replaces the whole content of a text box by typing.
void TypeOverText(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  TypeText(edit, text);
}

// File > New with a site reference typed in full.
void NewProject(Session& s, const QString& site) {
  WhenShown<TNewFileDialog>([=](TNewFileDialog* dialog) {
    TypeOverText(Control<QLineEdit>(dialog, "edSiteRef"), site);
    Choose(Control<QComboBox>(dialog, "cbPanelType"), "Orvane 700");
    Choose(Control<QComboBox>(dialog, "cbGrade"), "Grade 2");
    TypeOver(Control<QLineEdit>(dialog, "edFileName"), "Shop");
    Click(dialog, "btnOK");
  });
  s.Action("mnuNew")->trigger();
  s.Settle();
}

// Types `bad` at the end of `edit`: the text stays as it was and the
// validator says which character it refused.
void ExpectRefused(QLineEdit* edit, const QString& bad) {
  auto* validator = qobject_cast<const TCodePageValidator*>(edit->validator());
  QVERIFY2(validator, qPrintable(edit->objectName() + " has no code-page check"));
  QSignalSpy refused(validator, &TCodePageValidator::Refused);
  const QString before = edit->text();
  edit->setFocus();
  edit->end(false);
  TypeText(edit, bad);
  QCOMPARE(edit->text(), before);
  QVERIFY2(refused.count() >= 1, qPrintable(edit->objectName() + ": " + bad));
  QCOMPARE(refused.last().at(0).toString(), TCodePageValidator::RefusalText(bad));  // `bad` is one character
}

// The same for a field whose own key rules already drop such a key (file
// names, figures): a paste of it is refused.
void ExpectPasteRefused(QLineEdit* edit, const QString& bad) {
  const QString before = edit->text();
  TypeText(edit, bad);
  QCOMPARE(edit->text(), before);  // the key was dropped
  auto* validator = qobject_cast<const TCodePageValidator*>(edit->validator());
  QVERIFY2(validator, qPrintable(edit->objectName() + " has no code-page check"));
  QSignalSpy refused(validator, &TCodePageValidator::Refused);
  QGuiApplication::clipboard()->setText("1" + bad);
  edit->end(false);
  edit->paste();
  QCOMPARE(edit->text(), before);
  QVERIFY2(refused.count() >= 1, qPrintable(edit->objectName() + ": " + bad));
  QCOMPARE(refused.last().at(0).toString(), TCodePageValidator::RefusalText(bad));
}

// Clicks the last line of the device picker, the custom entry.
void ClickCustomLine(QTreeWidget* list) {
  QTreeWidgetItem* item = list->topLevelItem(list->topLevelItemCount() - 1);
  QCOMPARE(item->text(0), QStringLiteral("Custom"));
  list->scrollToItem(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

}  // namespace

class CodePageTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  void typedTextReachesTheFilesInTheCodePageAndTheToolInUtf8() {
    Session s;
    NewProject(s, Site);
    QCOMPARE(s.Designer().Session().SiteRef, StoredSite);

    // A keypad's location, typed into its set-up dialog.
    TDevice& keypad = s.Place(6, {400, 200});
    s.Drag(keypad, Centre(s.Net(0)));
    WhenShown<TLoadingFrm>([](TLoadingFrm* dialog) {
      TypeOverText(Control<QLineEdit>(dialog, "Location"), Place);
      Click(dialog, "Button3");
    });
    AnswerMessage(QMessageBox::No);  // "Is this device setup complete?"
    QTest::mouseDClick(s.Widget(keypad), Qt::LeftButton);
    s.Settle();
    QCOMPARE(dynamic_cast<TVududa&>(keypad).Location, std::string("Caf\xE9 \xA3 \x80 \xFC"));

    // A custom entry of the control panel's load list.
    Pick(s.Summary<QComboBox>("cbBatteryType"), "7.2 Ah");
    WhenShown<TfrmCalculator>([](TfrmCalculator* calculator) {
      WhenShown<QDialog>(
          [](QDialog* picker) {
            ClickCustomLine(Control<QTreeWidget>(picker, "lbDevice"));
            TypeOverText(Control<QLineEdit>(picker, "edDesc"), Bell);
            Click(picker, "BitBtn1");
          },
          "frmDevices");
      Click(calculator, "btnAdd");
      Click(calculator, "Button1");
    });
    QTest::mouseClick(s.Summary<QPushButton>("btnUpdatePanel"), Qt::LeftButton);
    s.Settle();
    QCOMPARE(s.Panel().LoadData.Entries.size(), size_t{1});
    QCOMPARE(s.Panel().LoadData.Entries.at(0)->Name, std::string("Bell \xFC \x80"));

    // The files hold the code page's bytes: é 0xE9, £ 0xA3, € 0x80, ü 0xFC.
    s.Action("mnuSave")->trigger();
    s.Settle();
    const QByteArray dat = FileBytes(s.DataPath("Shop.dat"));
    QVERIFY(dat.contains(QByteArray("Caf\xE9 \xA3 \x80 \xFC")));
    QVERIFY(dat.contains(QByteArray("Bell \xFC \x80")));
    QVERIFY(!dat.contains(QByteArray("\xC3\xA9")));
    QVERIFY(FileBytes(s.DataPath("Accounts.db")).contains(QByteArray::fromStdString(";" + StoredSite + ";")));

    // They come back into the window the same.
    WhenShown<TSystemFilesDialog>([](TSystemFilesDialog* dialog) {
      ClickRow(Control<QTreeWidget>(dialog, "lvFiles"), 0);
      Click(dialog, "btnOK");
    });
    s.Action("mnuLoad")->trigger();
    s.Settle();
    TDevice* loaded = nullptr;
    for (const auto& tile : s.Designer().Canvas().Tiles())
      if (dynamic_cast<TVududa*>(tile.get())) loaded = tile.get();
    QVERIFY(loaded);
    QString shownLocation;
    WhenShown<TLoadingFrm>([&shownLocation](TLoadingFrm* dialog) {
      shownLocation = Control<QLineEdit>(dialog, "Location")->text();
      Click(dialog, "Button4");
    });
    QTest::mouseDClick(s.Widget(*loaded), Qt::LeftButton);
    s.Settle();
    QCOMPARE(shownLocation, Place);

    // The tool prints them as UTF-8, and its JSON parses back to them.
    QProcess tool;
    tool.start(VOLTARIS_REPORT, {"--json", "--data", s.DataPath(""), "Shop"});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);
    const QByteArray json = tool.readAllStandardOutput();
    const nlohmann::json project = nlohmann::json::parse(json.toStdString());
    bool found = false;
    for (const auto& tile : project["Tiles"])
      if (tile.contains("Location")) found = tile["Location"].get<std::string>() == Place.toStdString();
    QVERIFY2(found, json.constData());
    QVERIFY(!json.contains("\\ufffd"));

    tool.start(VOLTARIS_REPORT, {"--data", s.DataPath(""), "--date", "01/02/2027", "Shop"});
    QVERIFY(tool.waitForFinished(30000));
    const QString report = QString::fromUtf8(tool.readAllStandardOutput());
    QVERIFY2(report.contains("System Report for " + Site + " - Created 01/02/2027"), qPrintable(report));
    QVERIFY2(report.contains("Name: " + Place + " - "), qPrintable(report));
  }

  void charactersTheFilesCannotHoldAreRefusedWhereTheyAreTyped() {
    Session s;
    // The New File dialog's site reference and file name.
    WhenShown<TNewFileDialog>([](TNewFileDialog* dialog) {
      auto* site = Control<QLineEdit>(dialog, "edSiteRef");
      TypeOverText(site, Site);
      ExpectRefused(site, Check);
      ExpectRefused(site, QString::fromUtf8("\xF0\x9F\x94\x8B"));  // beyond the first plane
      QCOMPARE(site->text(), Site);
      ExpectPasteRefused(Control<QLineEdit>(dialog, "edFileName"), Check);
      Choose(Control<QComboBox>(dialog, "cbPanelType"), "Orvane 700");
      Choose(Control<QComboBox>(dialog, "cbGrade"), "Grade 2");
      TypeOver(Control<QLineEdit>(dialog, "edFileName"), "Shop");
      Click(dialog, "btnOK");
    });
    s.Action("mnuNew")->trigger();
    s.Settle();
    QCOMPARE(s.Designer().Session().SiteRef, StoredSite);

    // The loading dialog's location and figures.
    TDevice& keypad = s.Place(6, {400, 200});
    s.Drag(keypad, Centre(s.Net(0)));
    WhenShown<TLoadingFrm>([](TLoadingFrm* dialog) {
      auto* location = Control<QLineEdit>(dialog, "Location");
      TypeOverText(location, Place);
      ExpectRefused(location, Check);
      ExpectPasteRefused(Control<QLineEdit>(dialog, "Edit1"), QString::fromUtf8("\xCE\xA9"));  // Ω
      Click(dialog, "Button3");
    });
    AnswerMessage(QMessageBox::No);
    QTest::mouseDClick(s.Widget(keypad), Qt::LeftButton);
    s.Settle();
    QCOMPARE(dynamic_cast<TVududa&>(keypad).Location, std::string("Caf\xE9 \xA3 \x80 \xFC"));

    // The custom entry of the device picker, opened from the load calculator.
    Pick(s.Summary<QComboBox>("cbBatteryType"), "7.2 Ah");
    WhenShown<TfrmCalculator>([](TfrmCalculator* calculator) {
      WhenShown<QDialog>(
          [](QDialog* picker) {
            ClickCustomLine(Control<QTreeWidget>(picker, "lbDevice"));
            auto* description = Control<QLineEdit>(picker, "edDesc");
            TypeOverText(description, Bell);
            ExpectRefused(description, Check);
            Click(picker, "BitBtn1");
          },
          "frmDevices");
      Click(calculator, "btnAdd");
      Click(calculator, "Button1");
    });
    QTest::mouseClick(s.Summary<QPushButton>("btnUpdatePanel"), Qt::LeftButton);
    s.Settle();
    QCOMPARE(s.Panel().LoadData.Entries.at(0)->Name, std::string("Bell \xFC \x80"));
  }
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::CodePageTest)
#include "code_page_test.moc"
