// The window after a designer that died with unsaved changes: the question
// before the usual first dialog and its three answers; and a second window
// on a project the first holds, opened read-only. With VOLTARIS_SHOTS
// set to a folder, the question and the recovered window are saved there as
// pictures.
#include <QFile>
#include <QPushButton>

#include <QTreeWidget>

#include "designer/ui/system_files_dialog.h"
#include "main_window_support.h"
#include "storage/recovery.h"

namespace voltaris {

using namespace testing;

namespace {
void Shot(QWidget* widget, const char* name) {
  const QString folder = qEnvironmentVariable("VOLTARIS_SHOTS");
  if (!folder.isEmpty()) widget->grab().save(folder + "/" + name + ".png");
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

class RecoveryWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  void recoverShowsTheChangeModifiedWithTheFilesUntouched() {
    Session s;
    size_t tiles = 0;
    Crash(s, tiles);
    const QByteArray dat = FileBytes(s.DataPath("Shop.dat"));
    QString question;
    Answer("btnRecover", &question);
    Restart(s);
    QVERIFY2(question.startsWith("Voltaris was not closed properly. Recover the unsaved changes to Shop from "),
             qPrintable(question));
    QVERIFY(s.Designer().ProjectOpen);
    QCOMPARE(s.Designer().Canvas().Tiles().size(), tiles);
    QVERIFY(s.window->isWindowModified());
    QVERIFY(Title(*s.window).contains("Unit 4"));
    QCOMPARE(FileBytes(s.DataPath("Shop.dat")), dat);
    QVERIFY(s.window->CanvasView().WidgetOf(s.Last()));  // the recovered keypad is on the canvas
    Shot(s.window.get(), "recovered_window");
  }

  void discardRemovesTheCopyAndLaterKeepsItBeforeTheUsualDialog() {
    for (const char* button : {"btnLater", "btnDiscard"}) {
      Session s;
      size_t tiles = 0;
      Crash(s, tiles);
      Answer(button);
      bool systemFiles = false;
      WhenShown<TSystemFilesDialog>([&systemFiles](TSystemFilesDialog* dialog) {
        systemFiles = true;
        dialog->reject();
      });
      Restart(s);
      QTRY_VERIFY(systemFiles);
      const bool kept = !RecoveryFolders(s.Designer().RecoveryRoot()).empty();
      QCOMPARE(kept, QByteArray(button) == "btnLater");
    }
  }

  // A save killed between its last two renames: the next start finishes it
  // and says so in a warning before anything else, and the project's files
  // then hold the changes (so no recovery question follows).
  void aSaveCutOffIsFinishedAtTheNextStartAndSaidSo() {
    Session s;
    size_t tiles = 0;
    Crash(s, tiles);
    const TRecoveryCopy copy = ReadRecoveryCopy(RecoveryFolders(RecoveryRoot(s.dir.path().toStdString())).front());
    auto path = [&s](const char* name) { return s.DataPath(name).toStdString(); };
    QVERIFY(QFile::rename(s.DataPath("Shop.dat"), s.DataPath("Shop.dat.old")));
    QVERIFY(QFile::rename(s.DataPath("Shop.pjx"), s.DataPath("Shop.pjx.old")));
    TStream(copy.Bytes.Dat).SaveToFile(path("Shop.dat"));
    TStream(copy.Bytes.Pjx).SaveToFile(path("Shop.pjx.new"));
    const std::string stamp = SaveStampText(TSaveStamp::Of(copy.Bytes));
    TStream(TBytes(stamp.begin(), stamp.end())).SaveToFile(path("Shop.saving"));
    QString warning;
    WhenShown<QMessageBox>([&warning](QMessageBox* box) {
      warning = box->text();
      Shot(box, "cut_save_finished");
      QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    WhenShown<TSystemFilesDialog>([](TSystemFilesDialog* dialog) { dialog->reject(); });
    Restart(s);
    QTRY_COMPARE(warning, QString("Voltaris stopped while it was saving Shop. The saved files were complete, and the "
                                  "save has now been finished."));
    QVERIFY(!QFile::exists(s.DataPath("Shop.pjx.new")));
    QCOMPARE(FileBytes(s.DataPath("Shop.pjx")),
             QByteArray(reinterpret_cast<const char*>(copy.Bytes.Pjx.data()), static_cast<int>(copy.Bytes.Pjx.size())));
    QVERIFY(RecoveryFolders(s.Designer().RecoveryRoot()).empty());
  }

  void aSecondWindowOpensReadOnlyAndRefusesSave() {
    Session s;
    s.New("Orvane 200", 2);
    s.Action("mnuSave")->trigger();
    s.Settle();
    const QByteArray dat = FileBytes(s.DataPath("Shop.dat"));
    TMainWindow second(s.store, s.dir.path().toLocal8Bit().toStdString());
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    QString question, refusal;
    WhenShown<TSystemFilesDialog>([](TSystemFilesDialog* dialog) {
      ClickRow(Control<QTreeWidget>(dialog, "lvFiles"), 0);
      Click(dialog, "btnOK");
    });
    WhenShown<QMessageBox>(
        [&question](QMessageBox* box) {
          question = box->text();
          QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        },
        "ConfirmQuestion");
    second.Designer().Session().LoadProject();
    QVERIFY2(question.startsWith("Shop is open in another designer: "), qPrintable(question));
    QVERIFY(second.Designer().ProjectOpen);
    second.FlushRefresh();
    QVERIFY2(second.windowTitle().contains("(read-only)"), qPrintable(second.windowTitle()));
    Shot(&second, "read_only_window");
    AnswerMessage(QMessageBox::Ok, &refusal);
    Control<QAction>(&second, "mnuSave")->trigger();
    QTRY_VERIFY(!refusal.isEmpty());
    QVERIFY2(refusal.startsWith("Shop is open read-only: "), qPrintable(refusal));
    QCOMPARE(FileBytes(s.DataPath("Shop.dat")), dat);
  }

 private:
  // New, Save, place a keypad: then the program dies (no Exit, no close).
  static void Crash(Session& s, size_t& tiles) {
    s.New("Orvane 200", 2);
    s.Action("mnuSave")->trigger();
    s.Place(1, {300, 300});
    s.Designer().RecoveryWriter().Flush();
    QVERIFY(s.Designer().Session().Modified());
    QVERIFY(!RecoveryFolders(s.Designer().RecoveryRoot()).empty());
    tiles = s.Designer().Canvas().Tiles().size();
    s.window.reset();
  }
  // A new window on the same folder, started as the program starts.
  static void Restart(Session& s) {
    s.window = std::make_unique<TMainWindow>(s.store, s.dir.path().toLocal8Bit().toStdString());
    s.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
    s.window->StartUp();
    s.Settle();
  }
  static void Answer(const char* button, QString* text = nullptr) {
    WhenShown<QMessageBox>(
        [button, text](QMessageBox* box) {
          if (text) *text = box->text();
          Shot(box, "recovery_question");
          QTest::mouseClick(Control<QPushButton>(box, button), Qt::LeftButton);
        },
        "RecoveryQuestion");
  }
};

}  // namespace voltaris

QTEST_MAIN(voltaris::RecoveryWindowTest)
#include "recovery_window_test.moc"
