// The window's project commands: a project named on the command line, the
// arguments that cannot be opened, Save As from the File menu, the word in
// the status bar after a save, and Recent Projects. With VOLTARIS_SHOTS set
// to a folder, the File menu, Recent Projects and the Save As dialog are
// also saved there as pictures.
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <QTreeWidget>

#include "designer/ui/project_name_dialog.h"
#include "designer/ui/system_files_dialog.h"
#include "main_window_support.h"
#include "storage/project_file_argument.h"

namespace voltaris {

namespace {
const QString Examples = QStringLiteral(VOLTARIS_EXAMPLES);

std::string Local(const QString& path) { return path.toLocal8Bit().toStdString(); }

// Keeps a picture of `widget` when pictures are asked for.
void Shot(QWidget* widget, const char* name) {
  const QString folder = qEnvironmentVariable("VOLTARIS_SHOTS");
  if (!folder.isEmpty()) widget->grab().save(folder + "/" + name + ".png");
}
}  // namespace

using namespace testing;

class ProjectFilesWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  void anArgumentOpensThatProjectFromItsFolder() {
    Session s;
    const QString folder = s.dir.path() + "/Elsewhere";
    QDir().mkpath(folder);
    for (const char* file : {"Warehouse.dat", "Warehouse.pjx"})
      QVERIFY(QFile::copy(Examples + "/" + file, folder + "/" + file));
    s.window->StartUp(ProjectFileFromArguments({Local(folder + "/Warehouse.pjx")}));
    s.Settle();
    QCOMPARE(s.Designer().Session().FileName, std::string("Warehouse"));
    QVERIFY(Title(*s.window).contains("Warehouse"));
    QVERIFY(s.Designer().ProjectOpen);
    // Opening and saving it make no index there.
    s.Action("mnuSave")->trigger();
    s.Settle();
    QVERIFY(!QFile::exists(folder + "/Accounts.db"));
    QVERIFY(s.window->statusBar()->currentMessage().startsWith("Saved Warehouse at "));
  }

  void aBadArgumentIsToldThenTheProgramStartsAsWithout_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << QStringList{"Data/Gone.pjx"} << "the file is not there";
    QTest::newRow("not a project") << QStringList{"Data/Lone.dat"} << "is not a project file";
    QTest::newRow("no figures beside it") << QStringList{"Data/Alone.pjx"} << "Alone.dat is not beside it";
    QTest::newRow("unsafe name") << QStringList{"Data/Bad;Name.pjx"} << "may hold only letters";
    QTest::newRow("two files") << QStringList{"Data/Broken.pjx", "Data/Broken.pjx"} << "one project at a time";
    QTest::newRow("does not load") << QStringList{"Data/Broken.pjx"} << "Broken.pjx";
  }

  void aBadArgumentIsToldThenTheProgramStartsAsWithout() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    Session s;
    for (const char* file : {"Lone.dat", "Alone.pjx", "Bad;Name.pjx", "Broken.pjx", "Broken.dat"}) {
      QFile out(s.DataPath(file));
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write("not a project");
    }
    std::vector<std::string> given;
    for (const QString& argument : arguments) given.push_back(Local(s.dir.path() + "/" + argument));
    QString told;
    AnswerMessage(QMessageBox::Ok, &told);
    bool newFileShown = false;
    // No index in the data folder: the usual start is New.
    WhenShown<TNewFileDialog>([&](TNewFileDialog* dialog) {
      newFileShown = told.contains(reason);
      dialog->reject();
    });
    s.window->StartUp(ProjectFileFromArguments(given));
    QVERIFY2(told.contains(reason), qPrintable(told));
    QVERIFY(newFileShown);
    QVERIFY(!s.Designer().ProjectOpen);
  }

  // System Files: Duplicate and Rename ask the new name in the name dialog
  // and show the rows the index then holds.
  void systemFilesDuplicatesAndRenamesTheSelectedProject() {
    Session s;
    for (const char* file : {"CornerShop.dat", "CornerShop.pjx", "Warehouse.dat", "Warehouse.pjx", "Accounts.db"})
      QVERIFY(QFile::copy(Examples + "/" + file, s.DataPath(file)));
    QStringList duplicated, renamed;
    QString duplicateTitle;
    WhenShown<TSystemFilesDialog>([&](TSystemFilesDialog* dialog) {
      auto* list = Control<QTreeWidget>(dialog, "lvFiles");
      ClickRow(list, 0);
      WhenShown<TProjectNameDialog>([&](TProjectNameDialog* name) {
        duplicateTitle = name->windowTitle();
        TypeOver(Control<QLineEdit>(name, "edFileName"), "Corner2");
        Click(name, "btnOK");
      });
      Click(dialog, "btnDuplicate");
      duplicated = Cells(list, 2);
      ClickRow(list, 1);
      WhenShown<TProjectNameDialog>([&](TProjectNameDialog* name) {
        TypeOver(Control<QLineEdit>(name, "edSiteRef"), "Dock Road");
        TypeOver(Control<QLineEdit>(name, "edFileName"), "DockRoad");
        Click(name, "btnOK");
      });
      Click(dialog, "btnRename");
      renamed = Cells(list, 1);
      Shot(dialog, "system-files");
      Click(dialog, "btnCancel");
    });
    s.Action("mnuLoad")->trigger();
    QCOMPARE(duplicateTitle, QString("Duplicate CornerShop"));
    QCOMPARE(duplicated.value(1), QString("Corner2"));
    QCOMPARE(renamed.value(1), QString("DockRoad"));
    QCOMPARE(renamed.value(2), QString("Dock Road"));
    QVERIFY(QFile::exists(s.DataPath("Corner2.pjx")) && QFile::exists(s.DataPath("DockRoad.dat")));
    QVERIFY(!QFile::exists(s.DataPath("Warehouse.dat")));
  }

  void saveAsFromTheFileMenuGoesOnWithTheNewProject() {
    Session s;
    s.New("Orvane 200", 2, "Shop", "Unit 4");
    s.Action("mnuSave")->trigger();
    s.Settle();
    QVERIFY(s.window->statusBar()->currentMessage().startsWith("Saved Shop at "));
    QCOMPARE(s.Action("mnuSaveAs")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    QString title;
    WhenShown<TProjectNameDialog>([&](TProjectNameDialog* dialog) {
      title = dialog->windowTitle();
      QCOMPARE(Control<QLineEdit>(dialog, "edSiteRef")->text(), QString("Unit 4"));
      TypeOver(Control<QLineEdit>(dialog, "edSiteRef"), "Unit 5;");
      TypeOver(Control<QLineEdit>(dialog, "edFileName"), "Shop/2");
      Shot(dialog, "save-as-dialog");
      Click(dialog, "btnOK");
    });
    s.Action("mnuSaveAs")->trigger();
    s.Settle();
    QCOMPARE(title, QString("Save As"));
    QCOMPARE(s.Designer().Session().FileName, std::string("Shop2"));
    QCOMPARE(s.Designer().Session().SiteRef, std::string("Unit 5"));
    QVERIFY(Title(*s.window).contains("Unit 5"));
    QVERIFY(QFile::exists(s.DataPath("Shop2.dat")) && QFile::exists(s.DataPath("Shop.dat")));
    QVERIFY(s.window->statusBar()->currentMessage().startsWith("Saved Shop2 at "));

    // Recent Projects: the latest first; one whose files went is greyed out with its reason.
    QVERIFY(QFile::remove(s.DataPath("Shop2.pjx")));
    auto* file = s.window->menuBar()->findChild<QMenu*>("mnuFile");
    auto* recent = s.window->findChild<QMenu*>("mnuRecent");
    QVERIFY(file && recent);
    file->popup(s.window->mapToGlobal(QPoint(0, 20)));
    QTRY_VERIFY(file->isVisible());
    Shot(file, "file-menu");
    recent->popup(file->mapToGlobal(QPoint(file->width(), 0)));
    QTRY_VERIFY(recent->isVisible());
    Shot(recent, "recent-projects");
    const QList<QAction*> items = recent->actions();
    QCOMPARE(items.size(), 2);
    QVERIFY(items[0]->text().startsWith("Shop2  (Unit 5)"));
    QVERIFY2(items[0]->text().endsWith("Shop2.pjx is not there"), qPrintable(items[0]->text()));
    QVERIFY(!items[0]->isEnabled());
    QVERIFY(items[1]->text().startsWith("Shop  (Unit 4)"));
    QVERIFY(items[1]->isEnabled());
    recent->hide();
    file->hide();
    items[1]->trigger();
    s.Settle();
    QCOMPARE(s.Designer().Session().FileName, std::string("Shop"));
  }
};

}  // namespace voltaris

QTEST_MAIN(voltaris::ProjectFilesWindowTest)
#include "project_files_window_test.moc"
