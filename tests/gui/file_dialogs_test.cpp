// The New File and System Files dialogs driven as a user drives them: keys,
// choices and clicks while the dialogs run modally.
#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>
#include <fstream>
#include <memory>

#include "catalogue/catalogue.h"
#include "designer/ui/new_file_dialog.h"
#include "designer/ui/system_files_dialog.h"
#include "dialog_test_support.h"
#include "project_io/file_index.h"

namespace voltaris {

using namespace testing;

class FileDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    sink_ = RecordingSink{};
  }

  // New File: refused keys (backspace too) never reach the boxes, pasted
  // text is filtered, Escape cancels, and the next showing starts empty.
  void newFileFiltersKeysAndPastes() {
    TNewFilePresenter presenter(Dir(), sink_);
    TNewFileDialog dialog(presenter);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    presenter.Show();
    QString siteRef, typed, afterBackspace, pasted, siteRefHint, fileNameHint;
    bool siteRefFocused = false;
    WhileModal(dialog, [&] {
      auto* edSiteRef = Control<QLineEdit>(&dialog, "edSiteRef");
      auto* edFileName = Control<QLineEdit>(&dialog, "edFileName");
      siteRefFocused = dialog.focusWidget() == edSiteRef;
      QTest::keyClicks(edSiteRef, "Unit;4");
      siteRef = edSiteRef->text();
      siteRefHint = QToolTip::text();
      QTest::keyClicks(edFileName, "a;b/c");
      typed = edFileName->text();
      fileNameHint = QToolTip::text();
      if (QWidget* tip = ShownTip()) {
        QImage picture = dialog.grab().toImage();
        QPainter painter(&picture);
        painter.drawImage(dialog.mapFromGlobal(tip->pos()), tip->grab().toImage());
        painter.end();
        Keep(picture, QStringLiteral("new_file_key_hint.png"));
      }
      QTest::keyClick(edFileName, Qt::Key_Backspace);
      afterBackspace = edFileName->text();
      QApplication::clipboard()->setText(QStringLiteral("x;y.z"));
      QTest::keyClick(edFileName, Qt::Key_V, Qt::ControlModifier);
      pasted = edFileName->text();
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    dialog.Run();
    QVERIFY(siteRefFocused);
    QCOMPARE(siteRef, QStringLiteral("Unit4"));
    // A refused key is said so beside its box, not dropped unseen.
    QCOMPARE(siteRefHint, QString(TNewFilePresenter::SiteRefKeyHint));
    QCOMPARE(fileNameHint, QString(TNewFilePresenter::FileNameKeyHint));
    QCOMPARE(typed, QStringLiteral("abc"));
    QCOMPARE(afterBackspace, QStringLiteral("abc"));
    QCOMPARE(pasted, QStringLiteral("abcxyz"));
    QCOMPARE(presenter.FileName(), std::string("abcxyz"));
    QCOMPARE(presenter.Result(), TModalResult::Cancel);
    QCOMPARE(presenter.Filter().CurrentGrade, -1);  // no grade was chosen in it

    presenter.Show();
    QString nameShown = QStringLiteral("?");
    WhileModal(dialog, [&] {
      nameShown = Control<QLineEdit>(&dialog, "edFileName")->text();
      Click(&dialog, "btnCancel");
    });
    dialog.Run();
    QVERIFY(nameShown.isEmpty());
  }

  // New File: each choice refills the other list; OK reports the first
  // missing entry and closes only when everything is filled in.
  void newFileOkChecksInOrderAndClosesWhenComplete() {
    std::ofstream(Dir() + "/Shop.dat").close();
    std::ofstream(Dir() + "/Warehouse.pjx").close();
    TNewFilePresenter presenter(Dir(), sink_);
    TNewFileDialog dialog(presenter);
    presenter.Show();
    QStringList panelsAtGrade3, gradesFor400;
    int gradeAfterPanel = 0;
    bool nameCleared = false, nameFocused = false;
    WhileModal(dialog, [&] {
      auto* cbPanelType = Control<QComboBox>(&dialog, "cbPanelType");
      auto* cbGrade = Control<QComboBox>(&dialog, "cbGrade");
      auto* edFileName = Control<QLineEdit>(&dialog, "edFileName");
      Click(&dialog, "btnOK");
      Choose(cbGrade, "Grade 3");
      panelsAtGrade3 = Items(cbPanelType);
      QTest::keyClicks(cbPanelType, "O");  // typing into the panel list is discarded
      Click(&dialog, "btnOK");
      Choose(cbPanelType, "Orvane 400");
      gradesFor400 = Items(cbGrade);
      gradeAfterPanel = cbGrade->currentIndex();
      Click(&dialog, "btnOK");
      Choose(cbGrade, "Grade 2");
      Click(&dialog, "btnOK");
      QTest::keyClicks(edFileName, "Shop");
      Click(&dialog, "btnOK");  // Shop.dat exists
      nameCleared = edFileName->text().isEmpty();
      nameFocused = dialog.focusWidget() == edFileName;
      QTest::keyClicks(edFileName, "WAREHOUSE");
      Click(&dialog, "btnOK");  // one file with Warehouse on a Windows disk
      QTest::keyClicks(edFileName, "Shop 2");
      Click(&dialog, "btnOK");
    });
    dialog.Run();

    QCOMPARE(panelsAtGrade3, (QStringList{"Orvane 300 Metal", "Orvane 400", "Orvane 500", "Orvane 600",
                                          "Orvane 700"}));
    QCOMPARE(gradesFor400, (QStringList{"Grade 1", "Grade 2", "Grade 3"}));
    QCOMPARE(gradeAfterPanel, -1);
    QCOMPARE(sink_.errors, (Texts{"Choose panel type", "Choose panel type", "Select system grade",
                                  "File name Required"}));
    QCOMPARE(sink_.warnings, (Texts{"File name \"Shop\" already exists",
                                    "File name \"WAREHOUSE\" already exists as \"Warehouse\": names that differ "
                                    "only in capitals are the same project"}));
    QVERIFY(nameCleared);
    QVERIFY(nameFocused);
    QCOMPARE(presenter.Result(), TModalResult::OK);
    QCOMPARE(presenter.PanelTypeText(), std::string("Orvane 400"));
    QCOMPARE(presenter.GradeIndex(), 1);
    QCOMPARE(presenter.FileName(), std::string("Shop 2"));
  }

  // System Files: one row per index line; OK and a double click open the
  // selected row, OK without a selection does nothing.
  void systemFilesOpensTheSelectedRow() {
    WriteIndex();
    TSystemFilesPresenter presenter(Dir(), sink_);
    TSystemFilesDialog dialog(presenter);
    QVERIFY(presenter.Show());
    QStringList headings, first, second;
    bool openWithoutSelection = false;
    WhileModal(dialog, [&] {
      auto* lvFiles = Control<QTreeWidget>(&dialog, "lvFiles");
      for (int c = 0; c < lvFiles->columnCount(); ++c) headings << lvFiles->headerItem()->text(c);
      first = Cells(lvFiles, 0);
      second = Cells(lvFiles, 1);
      Click(&dialog, "btnOK");
      openWithoutSelection = dialog.isVisible();
      ClickRow(lvFiles, 1);
      Click(&dialog, "btnOK");
    });
    dialog.Run();
    QCOMPARE(headings, (QStringList{"Panel Type", "File Name", "Site Reference", "Date Created"}));
    QCOMPARE(first, (QStringList{"Orvane 300 Metal", "Shop", "Unit 4", "01/02/2007"}));
    QCOMPARE(second, (QStringList{"Orvane 400", "Office", "Main Street", "03/04/2008"}));
    QVERIFY(openWithoutSelection);
    QCOMPARE(presenter.Result(), TModalResult::OK);
    QCOMPARE(presenter.PanelTypeName(), std::string("Orvane 400"));
    QCOMPARE(presenter.FileName(), std::string("Office"));
    QCOMPARE(presenter.SiteRef(), std::string("Main Street"));

    QVERIFY(presenter.Show());
    WhileModal(dialog, [&] { ClickRow(Control<QTreeWidget>(&dialog, "lvFiles"), 0, true); });
    dialog.Run();
    QCOMPARE(presenter.Result(), TModalResult::OK);
    QCOMPARE(presenter.FileName(), std::string("Shop"));
  }

  // System Files: Delete removes the row and its project; New closes with New.
  void systemFilesDeletesTheSelectedProject() {
    WriteIndex();
    std::ofstream(Dir() + "/Shop.dat") << "d";
    std::ofstream(Dir() + "/Shop.pjx") << "p";
    TSystemFilesPresenter presenter(Dir(), sink_);
    TSystemFilesDialog dialog(presenter);
    QVERIFY(presenter.Show());
    int rowsLeft = 0;
    QString left;
    WhileModal(dialog, [&] {
      auto* lvFiles = Control<QTreeWidget>(&dialog, "lvFiles");
      ClickRow(lvFiles, 0);
      Click(&dialog, "btnDelete");
      rowsLeft = lvFiles->topLevelItemCount();
      left = lvFiles->topLevelItem(0)->text(1);
      Click(&dialog, "btnNew");
    });
    dialog.Run();
    QCOMPARE(rowsLeft, 1);
    QCOMPARE(left, QStringLiteral("Office"));
    QCOMPARE(presenter.Result(), TModalResult::New);
    QVERIFY(!QFile::exists(dir_->filePath("Shop.dat")));
    QVERIFY(!QFile::exists(dir_->filePath("Shop.pjx")));
    QCOMPARE(TFileIndex(Dir()).ReadLines(), (Texts{"Orvane 400;Office;Main Street;03/04/2008"}));
  }

 private:
  std::string Dir() const { return dir_->path().toStdString(); }
  void WriteIndex() const {
    std::ofstream(Dir() + "/" + IndexFileName, std::ios::binary)
        << "Orvane 300 Metal;Shop;Unit 4;01/02/2007\r\nOrvane 400;Office;Main Street;03/04/2008\r\n";
  }

  std::unique_ptr<QTemporaryDir> dir_;
  RecordingSink sink_;
};

}  // namespace voltaris

QTEST_MAIN(voltaris::FileDialogsTest)
#include "file_dialogs_test.moc"
