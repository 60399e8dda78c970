// The designer program: shows the main window, then opens a project on the
// first turn of the event loop (the one named on the command line, or Load
// when the project index exists, New otherwise), and ends when the main
// window closes.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <string>
#include <vector>

#include "designer/project_file_argument.h"
#include "designer/ui/main_window.h"
#include "designer/ui/qt_settings_store.h"
#ifdef _WIN32
#include "designer/registry_settings_store.h"
#endif

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
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
  // `voltaris [FILE.pjx]`: checked here, reported and opened by the window.
  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1))
    arguments.push_back(argument.toLocal8Bit().toStdString());
  const voltaris::TProjectFileChoice choice = voltaris::ProjectFileFromArguments(arguments);
  QTimer::singleShot(0, &window, [&window, choice] { window.StartUp(choice); });
  return app.exec();
}
