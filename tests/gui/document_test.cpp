// The design's document from the window: the Project Details dialog, Export
// PDF from the File menu and from the report window, and the print preview,
// driven as a user drives them.
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>

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
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::DocumentTest)
#include "document_test.moc"
