// The designer program: shows the main window, then opens a project on the
// first turn of the event loop (the one named on the command line, or Load
// when the project index exists, New otherwise), and ends when the main
// window closes. On Windows it first makes its working folder ready
// (Documents\Voltaris, or the folder VOLTARIS_HOME names) and runs there,
// as the package's launcher does on Linux.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <string>
#include <vector>

#include "designer/ui/main_window.h"
#include "designer/ui/qt_settings_store.h"
#include "storage/project_file_argument.h"
#ifdef _WIN32
#include <QMessageBox>
#include <QStandardPaths>

#include "storage/registry_settings_store.h"
#include "storage/working_folder.h"
#include "ui/plain_message.h"
#endif

namespace {

#ifdef _WIN32
// Moves to the user's working folder, made ready with the examples and the
// palette installed beside the program; false (and the user told why) when
// it cannot be made.
bool EnterWorkingFolder() {
  QString home = qEnvironmentVariable("VOLTARIS_HOME");
  if (home.isEmpty()) home = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/Voltaris";
  // The installer puts them in share\voltaris beside the program's bin folder.
  const QDir installed(QCoreApplication::applicationDirPath() + "/../share/voltaris");
  const std::string error = voltaris::PrepareWorkingFolder(home.toStdWString(),
                                                           installed.filePath("examples").toStdWString(),
                                                           installed.filePath("Colors.dat").toStdWString());
  if (!error.empty() || !QDir::setCurrent(home)) {
    voltaris::PlainMessage(QMessageBox::Critical, nullptr, "Voltaris",
                           QString("Cannot prepare the working folder %1.\n%2")
                               .arg(QDir::toNativeSeparators(home), QString::fromLocal8Bit(error)));
    return false;
  }
  return true;
}
#endif

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // `voltaris [FILE.pjx]`: checked here, from the folder the command was
  // given in, and reported and opened by the window.
  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1))
    arguments.push_back(argument.toLocal8Bit().toStdString());
  const voltaris::TProjectFileChoice choice = voltaris::ProjectFileFromArguments(arguments);
#ifdef _WIN32
  if (!EnterWorkingFolder()) return 1;
#endif
    // The defaults: in the registry on Windows, with the registry's own value
    // types; in an INI file elsewhere.
#ifdef _WIN32
  voltaris::TRegistrySettingsStore store;
#else
  voltaris::TQtSettingsStore store;
#endif
  // The projects live in the Data folder of the directory the program starts in.
  voltaris::TMainWindow window(store, QDir::currentPath().toLocal8Bit().toStdString());
  QApplication::setWindowIcon(window.windowIcon());  // the dialogs show it too
  QObject::connect(&window, &voltaris::TMainWindow::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
  window.show();
  QTimer::singleShot(0, &window, [&window, choice] { window.StartUp(choice); });
  return app.exec();
}
