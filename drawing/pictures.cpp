#include "drawing/pictures.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QPainter>

#include "drawing/vector_picture.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {

// The resource path of a picture; names are matched without regard to case,
// as the pictures are named in upper case and the model asks in mixed case.
QString ResourcePath(const QString& folder, const QString& name) {
  const QString exact = folder + "/" + name;
  if (QFile::exists(exact)) return exact;
  const QStringList entries = QDir(folder).entryList(QDir::Files);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return folder + "/" + entry;
  }
  return {};
}

// One drawing per picture, read once and kept for the life of the program;
// null when there is no such picture or it cannot be read.
const TVectorPicture* Renderer(const QString& folder, const std::string& name) {
  static QHash<QString, TVectorPicture> cache;
  const QString key = folder + "/" + ToQString(name);
  auto found = cache.constFind(key);
  if (found == cache.constEnd()) {
    const QString path = ResourcePath(folder, ToQString(name));
    found = cache.insert(key, path.isEmpty() ? TVectorPicture() : TVectorPicture::FromFile(path));
  }
  return found->IsValid() ? &found.value() : nullptr;
}

}  // namespace

QPixmap Picture(const QString& folder, const std::string& name, QSize size, qreal ratio) {
  static QHash<QString, QPixmap> cache;
  const QString key =
      QString("%1/%2@%3x%4x%5").arg(folder, ToQString(name)).arg(size.width()).arg(size.height()).arg(ratio);
  auto found = cache.constFind(key);
  if (found != cache.constEnd()) return found.value();
  QPixmap pixmap;
  if (const TVectorPicture* renderer = Renderer(folder, name); renderer && !size.isEmpty()) {
    pixmap = QPixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer->Render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  cache.insert(key, pixmap);
  return pixmap;
}

void DrawPicture(QPainter& painter, const QString& folder, const std::string& name, const QRectF& target) {
  if (const TVectorPicture* renderer = Renderer(folder, name); renderer && !target.isEmpty())
    renderer->Render(painter, target);
}

QIcon PictureIcon(const QString& path, std::initializer_list<int> sizes, qreal ratio) {
  const QString folder = path.section('/', 0, -2);
  const std::string name = ToStdString(path.section('/', -1));
  QIcon icon;
  for (int size : sizes) icon.addPixmap(Picture(folder, name, QSize(size, size), ratio));
  return icon;
}

}  // namespace voltaris
