// The design's document from the window: the Project Details dialog, Export
// PDF from the File menu and from the report window, and the print preview,
// driven as a user drives them.
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>

#include "designer/designer_document.h"
#include "designer/ui/document_commands.h"
#include "designer/ui/project_details_dialog.h"
#include "designer/ui/report_window.h"
#include "document/ui/document_painter.h"
#include "main_window_support.h"

namespace voltaris::testing {

class DocumentTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  // Typed into the dialog, confirmed: the project has them, modified, as
  // one step Undo takes back; Cancel keeps what was there.
  void ProjectDetailsAreEditedAsOneStep() {
    Session s;
    s.New("Orvane 700", 3);
    WhenShown<TProjectDetailsDialog>([](TProjectDetailsDialog* dialog) {
      TypeOver(Control<QLineEdit>(dialog, "edCompany"), "Brightwell Alarms");
      // Typed as a paste: the key simulator knows no accented keys.
      Control<QLineEdit>(dialog, "edEngineer")->insert(QString::fromUtf8("Ren\xc3\xa9 Carter"));
      TypeOver(Control<QLineEdit>(dialog, "edCustomer"), "Corner Shop Ltd");
      Control<QPlainTextEdit>(dialog, "edSiteAddress")->setPlainText("4 High Street\nLowton");
      // A paste longer than the notes hold is refused whole, not cut on OK.
      auto* notes = Control<QPlainTextEdit>(dialog, "edNotes");
      notes->insertPlainText("Side door");
      notes->insertPlainText(QString(int(TProjectDetails::MaxNotesLength), 'x'));
      QCOMPARE(notes->toPlainText(), QString("Side door"));
      Click(dialog, "btnOK");
    });
    s.Action("mnuProjectDetails")->trigger();
    s.Settle();
    const TProjectDetails& details = s.Designer().Context().Details;
    QCOMPARE(details.Company, std::string("Brightwell Alarms"));
    QCOMPARE(details.Engineer, std::string("Ren\xe9 Carter"));
    QCOMPARE(details.SiteAddress, std::string("4 High Street\nLowton"));
    QCOMPARE(details.Notes, std::string("Side door"));
    QVERIFY(s.window->isWindowModified());
    QCOMPARE(s.Action("mnuUndo")->text(), QString("Undo Project Details"));
    QString shown;
    WhenShown<TProjectDetailsDialog>([&shown](TProjectDetailsDialog* dialog) {
      shown = Control<QLineEdit>(dialog, "edCustomer")->text();
      TypeOver(Control<QLineEdit>(dialog, "edCustomer"), "Someone else");
      Click(dialog, "btnCancel");
    });
    s.Action("mnuProjectDetails")->trigger();
    s.Settle();
    QCOMPARE(shown, QString("Corner Shop Ltd"));
    QCOMPARE(s.Designer().Context().Details.Customer, std::string("Corner Shop Ltd"));
    s.Action("mnuUndo")->trigger();
    s.Settle();
    QVERIFY(s.Designer().Context().Details.Empty());
  }

  // File > Export PDF and the report window's button both write the
  // document; the print preview opens on its pages, quickly.
  void ExportPdfAndPreview() {
    Session s;
    s.New("Orvane 700", 3);
    QVERIFY(s.Action("mnuPrint")->isEnabled());
    QCOMPARE(s.Action("mnuPrint")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    std::string proposed;
    s.window->Documents().ChoosePdfFile = [&](const std::string& directory, const std::string& fileName) {
      proposed = directory + fileName;
      return s.DataPath("Shop").toStdString();  // ".pdf" is added
    };
    s.Action("mnuExportPdf")->trigger();
    QCOMPARE(QString::fromStdString(proposed),
             s.DataPath("Shop " + QDate::currentDate().toString(Qt::ISODate) + ".pdf"));
    QFile pdf(s.DataPath("Shop.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF-"));
    QVERIFY(!QFile::exists(s.DataPath("Shop.pdf.new")));
    pdf.remove();

    // The report window's "Export PDF..." beside "Save Report".
    WhenShown<TReportWindow>([](TReportWindow* window) {
      QVERIFY(Control<QPushButton>(window, "btnPrint")->isVisible());
      Click(window, "btnExportPdf");
      Click(window, "btnDone");
    });
    s.Action("mnuReport")->trigger();
    QVERIFY(QFile::exists(s.DataPath("Shop.pdf")));

    int pages = 0;
    qint64 openedIn = -1;
    QElapsedTimer clock;
    s.window->Documents().PreviewOpened = [&](QWidget* preview) {
      QTimer::singleShot(0, preview, [&, preview] {
        openedIn = clock.elapsed();
        if (auto* view = preview->findChild<QPrintPreviewWidget*>()) pages = view->pageCount();
        qobject_cast<QDialog*>(preview)->reject();
      });
    };
    clock.start();
    s.Action("mnuPrintPreview")->trigger();
    const TDocument document = DesignerDocument(s.Designer());
    QCOMPARE(pages, CountDocumentPages(document, DocumentPageLayout()));
    QVERIFY(pages >= 4);
    QVERIFY2(openedIn >= 0 && openedIn < 1000, qPrintable(QString("preview took %1 ms").arg(openedIn)));
  }

  // A table longer than a page breaks between its rows, each row whole on
  // one page, the header again above the rest; a report entry longer than
  // what is left of a page starts the next.
  void PageBreaksFallBetweenRowsAndEntries() {
    TDocument document;
    document.FooterText = "Unit 4";
    TDocBlock table;
    table.Kind = TDocBlockKind::Table;
    table.Table.Columns = {"First", "Middle", "Last"};
    for (int row = 1; row <= 150; ++row) {
      const std::string n = std::to_string(row);
      table.Table.Rows.push_back(
          {"start" + n, "a cell long enough to wrap over two or three lines of its column " + n, "end" + n});
    }
    document.Blocks.push_back(table);
    TDocBlock report;
    report.Kind = TDocBlockKind::Preformatted;
    for (int entry = 1; entry <= 40; ++entry) {
      report.Lines.push_back("    Name: entry" + std::to_string(entry));
      for (int line = 0; line < 6; ++line) report.Lines.push_back("    figures");
      report.Lines.push_back("    finish" + std::to_string(entry));
      report.Lines.push_back("    ______");
    }
    report.Runs = ReportRuns(report.Lines);
    document.Blocks.push_back(report);

    QTemporaryDir dir;
    const std::string path = dir.filePath("long.pdf").toStdString();
    SaveDocumentPdf(document, path, DocumentPageLayout(), "Long");
    const int pages = CountDocumentPages(document, DocumentPageLayout());
    QVERIFY(pages >= 4);
    std::map<std::string, int> pageOf;
    for (int page = 1; page <= pages; ++page) {
      QProcess text;
      text.start("pdftotext",
                 {"-f", QString::number(page), "-l", QString::number(page), QString::fromStdString(path), "-"});
      if (!text.waitForStarted()) QSKIP("pdftotext (poppler-utils) is not on this system");
      QVERIFY(text.waitForFinished());
      const QStringList words = QString::fromUtf8(text.readAllStandardOutput()).split(QRegularExpression("\\s+"));
      for (const QString& word : words) {
        if (word.startsWith("start") || word.startsWith("end") || word.startsWith("entry") || word.startsWith("finish"))
          pageOf[word.toStdString()] = page;
      }
      if (page > 1 && words.contains("start" + QString::number(150))) QVERIFY(words.contains("First"));
    }
    for (int row = 1; row <= 150; ++row) {
      const std::string n = std::to_string(row);
      QVERIFY2(pageOf.count("start" + n) && pageOf["start" + n] == pageOf["end" + n], ("row " + n).c_str());
    }
    for (int entry = 1; entry <= 40; ++entry) {
      const std::string n = std::to_string(entry);
      QVERIFY2(pageOf.count("entry" + n) && pageOf["entry" + n] == pageOf["finish" + n], ("entry " + n).c_str());
    }
  }
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::DocumentTest)
#include "document_test.moc"
