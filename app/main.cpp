// The designer program: shows the main window, then opens a project (Load
// when the project index exists, New otherwise) on the first turn of the
// event loop, and ends when the main window closes.
#include <QApplication>
#include <QDir>
#include <QTimer>

#include "designer/ui/main_window.h"
#include "designer/ui/qt_settings_store.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  voltaris::TQtSettingsStore store;
  // The projects live in the Data folder of the directory the program starts in.
  voltaris::TMainWindow window(store, QDir::currentPath().toLocal8Bit().toStdString());
  QApplication::setWindowIcon(window.windowIcon());  // the dialogs show it too
  QObject::connect(&window, &voltaris::TMainWindow::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
  window.show();
  QTimer::singleShot(0, &window, [&window] { window.StartUp(); });
  return app.exec();
}
