// The New File and System Files dialogs driven as a user drives them: keys,
// choices and clicks while the dialogs run modally.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <memory>

#include "catalogue/catalogue.h"
#include "designer/file_index.h"
#include "designer/new_file_presenter.h"
#include "designer/system_files_presenter.h"
#include "designer/ui/new_file_dialog.h"
#include "designer/ui/system_files_dialog.h"
#include "dialog_test_support.h"

namespace voltaris {

using namespace testing;

namespace {

void WriteFile(const QString& path, const std::string& bytes) {
  std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

}  // namespace

class FileDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    sink_ = RecordingSink{};
  }

  // New File: the key filters of both text boxes, typed and pasted.
  void newFileFiltersWhatIsTypedAndPasted() {
    TNewFilePresenter presenter(dir_->path().toStdString(), sink_);
    TNewFileDialog dialog(presenter);
    presenter.Show();
    QString siteRef, typedName, afterBackspace, pastedName;
    QWidget* focused = nullptr;
    WhileModal(dialog, [&] {
      focused = dialog.focusWidget();
      auto* edSiteRef = Control<QLineEdit>(&dialog, "edSiteRef");
      auto* edFileName = Control<QLineEdit>(&dialog, "edFileName");
      QTest::keyClicks(edSiteRef, "Unit;4");
      siteRef = edSiteRef->text();
      QTest::keyClicks(edFileName, "a;b/c");
      typedName = edFileName->text();
      QTest::keyClick(edFileName, Qt::Key_Backspace);
      afterBackspace = edFileName->text();
      QApplication::clipboard()->setText(QStringLiteral("x;y.z"));
      QTest::keyClick(edFileName, Qt::Key_V, Qt::ControlModifier);
      pastedName = edFileName->text();
      Click(&dialog, "btnCancel");
    });
    dialog.Run();
    QCOMPARE(focused, Control<QLineEdit>(&dialog, "edSiteRef"));
    QCOMPARE(siteRef, QStringLiteral("Unit4"));
    QCOMPARE(typedName, QStringLiteral("abc"));
    QCOMPARE(afterBackspace, QStringLiteral("abc"));  // backspace is a refused key too
    QCOMPARE(pastedName, QStringLiteral("abcxyz"));
    QCOMPARE(presenter.FileName(), std::string("abcxyz"));
    QCOMPARE(presenter.SiteRef(), std::string("Unit4"));
  }

  // New File: each choice refills the other list; OK reports the first
  // missing entry and closes only when everything is filled in.
  void newFileOkChecksInOrderAndClosesWhenComplete() {
    WriteFile(dir_->filePath("Shop.dat"), "");
    TNewFilePresenter presenter(dir_->path().toStdString(), sink_);
    TNewFileDialog dialog(presenter);
    presenter.SetCancelResult(TModalResult::No);
    presenter.Show();
    QStringList panelsAtGrade3, gradesFor400;
    int gradeAfterPanel = 0;
    Texts errorsSeen;
    bool nameCleared = false, nameFocused = false, openAfterWarning = false;
    WhileModal(dialog, [&] {
      auto* cbPanelType = Control<QComboBox>(&dialog, "cbPanelType");
      auto* cbGrade = Control<QComboBox>(&dialog, "cbGrade");
      auto* edFileName = Control<QLineEdit>(&dialog, "edFileName");
      QTest::keyClicks(Control<QLineEdit>(&dialog, "edSiteRef"), "Unit 4");
      Click(&dialog, "btnOK");  // no panel type
      Choose(cbGrade, "Grade 3");
      panelsAtGrade3 = Items(cbPanelType);
      QTest::keyClicks(cbPanelType, "O");  // typing into the panel list is discarded
      Click(&dialog, "btnOK");             // still no panel type
      Choose(cbPanelType, "Orvane 400");
      gradesFor400 = Items(cbGrade);
      gradeAfterPanel = cbGrade->currentIndex();
      Click(&dialog, "btnOK");  // the panel choice cleared the grade
      Choose(cbGrade, "Grade 2");
      Click(&dialog, "btnOK");  // no file name
      errorsSeen = sink_.errors;
      QTest::keyClicks(edFileName, "Shop");
      Click(&dialog, "btnOK");  // Shop.dat exists
      nameCleared = edFileName->text().isEmpty();
      nameFocused = dialog.focusWidget() == edFileName;
      openAfterWarning = dialog.isVisible();
      QTest::keyClicks(edFileName, "Shop 2");
      Click(&dialog, "btnOK");
    });
    dialog.Run();

    QCOMPARE(panelsAtGrade3, (QStringList{"Orvane 300 Metal", "Orvane 400", "Orvane 500", "Orvane 600",
                                          "Orvane 700"}));
    QCOMPARE(gradesFor400, (QStringList{"Grade 1", "Grade 2", "Grade 3"}));
    QCOMPARE(gradeAfterPanel, -1);
    QCOMPARE(errorsSeen, (Texts{"Choose panel type", "Choose panel type", "Select system grade",
                                "File name Required"}));
    QCOMPARE(sink_.warnings, (Texts{"File name \"Shop\" already exists"}));
    QVERIFY(nameCleared);
    QVERIFY(nameFocused);
    QVERIFY(openAfterWarning);

    QCOMPARE(presenter.Result(), TModalResult::OK);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(presenter.SiteRef(), std::string("Unit 4"));
    QCOMPARE(presenter.PanelTypeText(), std::string("Orvane 400"));
    QCOMPARE(presenter.GradeIndex(), 1);
    QCOMPARE(presenter.FileName(), std::string("Shop 2"));
    QCOMPARE(CurrentPanelType, 10);
  }

  // New File: no close box; Cancel and Escape give the Cancel button's
  // result and restore the catalogue's filter.
  void newFileCancelRestoresTheFilter() {
    TNewFilePresenter presenter(dir_->path().toStdString(), sink_);
    TNewFileDialog dialog(presenter);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Open New File"));

    CurrentGrade = 2;
    CurrentPanelType = 7;
    presenter.SetCancelResult(TModalResult::Cancel);
    presenter.Show();
    WhileModal(dialog, [&] {
      Choose(Control<QComboBox>(&dialog, "cbGrade"), "Grade 3");
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    dialog.Run();
    QCOMPARE(presenter.Result(), TModalResult::Cancel);
    QCOMPARE(CurrentGrade, 2);
    QCOMPARE(CurrentPanelType, 7);

    // A second showing starts afresh: empty boxes, nothing chosen.
    presenter.SetCancelResult(TModalResult::No);
    presenter.Show();
    QString name;
    int panel = 0, panels = 0;
    WhileModal(dialog, [&] {
      name = Control<QLineEdit>(&dialog, "edFileName")->text();
      panel = Control<QComboBox>(&dialog, "cbPanelType")->currentIndex();
      panels = Control<QComboBox>(&dialog, "cbPanelType")->count();
      Click(&dialog, "btnCancel");
    });
    dialog.Run();
    QCOMPARE(presenter.Result(), TModalResult::No);
    QVERIFY(name.isEmpty());
    QCOMPARE(panel, -1);
    QCOMPARE(panels, 9);
  }

  // System Files: one row per index line, OK with the selected row.
  void systemFilesOpensTheSelectedRow() {
    WriteIndex();
    TSystemFilesPresenter presenter(dir_->path().toStdString(), sink_);
    TSystemFilesDialog dialog(presenter);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("System Files"));
    QVERIFY(presenter.Show());
    QStringList headings, first, second;
    int rows = 0;
    bool openWithoutSelection = false;
    WhileModal(dialog, [&] {
      auto* lvFiles = Control<QTreeWidget>(&dialog, "lvFiles");
      for (int c = 0; c < lvFiles->columnCount(); ++c) headings << lvFiles->headerItem()->text(c);
      rows = lvFiles->topLevelItemCount();
      first = Cells(lvFiles, 0);
      second = Cells(lvFiles, 1);
      Click(&dialog, "btnOK");  // nothing selected: nothing happens
      openWithoutSelection = dialog.isVisible();
      ClickRow(lvFiles, 1);
      Click(&dialog, "btnOK");
    });
    dialog.Run();
    QCOMPARE(headings, (QStringList{"Panel Type", "File Name", "Site Reference", "Date Created"}));
    QCOMPARE(rows, 2);
    QCOMPARE(first, (QStringList{"Orvane 300 Metal", "Shop", "Unit 4", "01/02/2007"}));
    QCOMPARE(second, (QStringList{"Orvane 400", "Office", "Main Street", "03/04/2008"}));
    QVERIFY(openWithoutSelection);
    QCOMPARE(presenter.Result(), TModalResult::OK);
    QCOMPARE(presenter.PanelTypeName(), std::string("Orvane 400"));
    QCOMPARE(presenter.FileName(), std::string("Office"));
    QCOMPARE(presenter.SiteRef(), std::string("Main Street"));

    // A double click on a row opens it as OK does.
    QVERIFY(presenter.Show());
    WhileModal(dialog, [&] { ClickRow(Control<QTreeWidget>(&dialog, "lvFiles"), 0, true); });
    dialog.Run();
    QCOMPARE(presenter.Result(), TModalResult::OK);
    QCOMPARE(presenter.FileName(), std::string("Shop"));
    QVERIFY(sink_.errors.empty());
  }

  // System Files: Delete removes the row and its project; New closes with New.
  void systemFilesDeletesTheSelectedProject() {
    WriteIndex();
    WriteFile(dir_->filePath("Shop.dat"), "d");
    WriteFile(dir_->filePath("Shop.pjx"), "p");
    TSystemFilesPresenter presenter(dir_->path().toStdString(), sink_);
    TSystemFilesDialog dialog(presenter);
    QVERIFY(presenter.Show());
    QStringList left;
    int rowsLeft = 0, selectedLeft = 0;
    WhileModal(dialog, [&] {
      auto* lvFiles = Control<QTreeWidget>(&dialog, "lvFiles");
      ClickRow(lvFiles, 0);
      Click(&dialog, "btnDelete");
      rowsLeft = lvFiles->topLevelItemCount();
      left = Cells(lvFiles, 0);
      selectedLeft = static_cast<int>(lvFiles->selectedItems().size());
      Click(&dialog, "btnNew");
    });
    dialog.Run();
    QCOMPARE(rowsLeft, 1);
    QCOMPARE(left.at(1), QStringLiteral("Office"));
    QCOMPARE(selectedLeft, 0);
    QCOMPARE(presenter.Result(), TModalResult::New);
    QVERIFY(!QFile::exists(dir_->filePath("Shop.dat")));
    QVERIFY(!QFile::exists(dir_->filePath("Shop.pjx")));
    QCOMPARE(TFileIndex(dir_->path().toStdString()).ReadLines(),
             (Texts{"Orvane 400;Office;Main Street;03/04/2008"}));
  }

 private:
  void WriteIndex() {
    WriteFile(dir_->filePath(IndexFileName),
              "Orvane 300 Metal;Shop;Unit 4;01/02/2007\r\nOrvane 400;Office;Main Street;03/04/2008\r\n");
  }

  std::unique_ptr<QTemporaryDir> dir_;
  RecordingSink sink_;
};

}  // namespace voltaris

QTEST_MAIN(voltaris::FileDialogsTest)
#include "file_dialogs_test.moc"
