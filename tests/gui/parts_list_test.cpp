// The parts list from the window, as a user reaches it: Report > Parts List
// shows the warehouse's list as the core works it out, Ctrl+C and "Copy" put
// tab-separated rows on the clipboard, and File > Export Parts List... (or
// the window's button) writes the CSV, or names the file it could not write
// and leaves that file as it was.
#include <QClipboard>
#include <QFile>
#include <QTableWidget>

#include "designer/ui/document_commands.h"
#include "designer/ui/parts_list_window.h"
#include "main_window_support.h"
#include "ui/qt_text.h"

namespace voltaris::testing {

class PartsListTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  void theWindowShowsCopiesAndExportsTheList() {
    Session s;
    QVERIFY(!s.Action("mnuPartsList")->isEnabled() && !s.Action("mnuExportPartsList")->isEnabled());
    for (const char* name : {"Warehouse.dat", "Warehouse.pjx", "Accounts.db"})
      QVERIFY(QFile::copy(QStringLiteral(VOLTARIS_EXAMPLES) + "/" + name, s.DataPath(name)));
    QVERIFY(s.Designer().Session().OpenProject("Orvane 700", "Warehouse", "Unit 7 Riverside Trading Estate"));
    s.Settle();
    const TPartsList parts = BuildPartsList(s.Panel(), s.Designer().Canvas());
    const TDocTable expected = PartsListTable(parts);
    QString target = s.DataPath("From window.csv");
    std::string proposed;
    s.window->Documents().ChooseCsvFile = [&](const std::string& directory, const std::string& fileName) {
      proposed = directory + fileName;
      return target.toStdString();
    };
    bool checked = false;
    WhenShown<TPartsListWindow>([&](TPartsListWindow* window) {
      QCOMPARE(window->windowTitle(), QString("Parts List: Unit 7 Riverside Trading Estate"));
      auto* table = Control<QTableWidget>(window, "tblParts");
      QCOMPARE(table->rowCount(), static_cast<int>(expected.Rows.size()));
      for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < 4; ++c) QCOMPARE(table->item(r, c)->text(), ToQString(expected.Rows[size_t(r)][size_t(c)]));
      Keep(window->grab().toImage(), QStringLiteral("parts_list_window.png"));
      // Two rows chosen with the mouse, then Ctrl+C; "Copy" takes the header and all.
      QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(2, 1)).center());
      QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                        table->visualItemRect(table->item(1, 1)).center());
      QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
      QCOMPARE(QApplication::clipboard()->text(),
               QString("Network devices\tOrvane D1\t2\tpcs\nNetwork devices\tOrvane D2\t1\tpcs\n"));
      Click(window, "btnCopy");
      const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
      QCOMPARE(lines.size(), table->rowCount() + 1);
      QCOMPARE(lines.front(), QString("Section\tItem\tQuantity\tUnit"));
      QCOMPARE(lines.back(), QString("Cable per network\tTotal\t355.0\tm"));
      Click(window, "btnExportCsv");
      checked = true;
      Click(window, "btnDone");
    });
    s.Action("mnuPartsList")->trigger();
    QVERIFY(checked);
    QCOMPARE(QString::fromStdString(proposed), s.DataPath("Warehouse parts.csv"));
    QFile written(target);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray::fromStdString(PartsListCsv(parts)));

    // From the File menu, to a file that cannot be replaced: the message
    // names it and the old one stays.
    target = s.DataPath("Old.csv");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the old list") == 12);
    old.close();
    QVERIFY(QDir().mkpath(target + ".new"));  // in the way of the new file
    QString message;
    AnswerMessage(QMessageBox::Ok, &message);
    s.Action("mnuExportPartsList")->trigger();
    QVERIFY2(message.contains(target), qPrintable(message));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the old list"));
  }
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::PartsListTest)
#include "parts_list_test.moc"
