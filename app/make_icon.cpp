// Writes the program's icon (resources/icon.svg) as a Windows icon file,
// drawn at the sizes Windows asks for, each kept as a PNG inside the file:
//   voltaris-icon packaging/windows/voltaris.ico
// The Windows build compiles that file into the programs; a test checks it
// still shows what icon.svg draws.
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

#include "drawing/tile_painter.h"
#include "drawing/windows_icon.h"

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: voltaris-icon FILE.ico\n");
    return 2;
  }
  voltaris::InitPictureResources();
  QSaveFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::WriteOnly) || file.write(voltaris::WindowsIcon()) < 0 || !file.commit()) {
    std::fprintf(stderr, "voltaris-icon: cannot write %s: %s\n", argv[1], qPrintable(file.errorString()));
    return 1;
  }
  return 0;
}
