#include "drawing/windows_icon.h"

#include <QBuffer>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QtEndian>

#include "drawing/pictures.h"

namespace voltaris {

namespace {

void Append16(QByteArray& out, quint16 value) {
  const quint16 little = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&little), 2);
}

void Append32(QByteArray& out, quint32 value) {
  const quint32 little = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&little), 4);
}

}  // namespace

QByteArray WindowsIcon() {
  QList<QByteArray> images;
  for (int size : WindowsIconSizes) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    Picture(":", "icon", QSize(size, size), 1.0).toImage().save(&buffer, "PNG");
    images.append(png);
  }
  // The file's header, then one 16-byte entry per image, then the images.
  QByteArray out;
  Append16(out, 0);  // reserved
  Append16(out, 1);  // an icon, not a cursor
  Append16(out, quint16(images.size()));
  quint32 offset = 6 + 16 * quint32(images.size());
  const QList<int> sizes(WindowsIconSizes);
  for (qsizetype i = 0; i < images.size(); ++i) {
    const QByteArray& png = images[i];
    const char side = char(sizes[i] >= 256 ? 0 : sizes[i]);  // 0 stands for 256
    out.append(side).append(side);
    out.append(char(0)).append(char(0));  // no palette, reserved
    Append16(out, 1);                     // colour planes
    Append16(out, 32);                    // bits per pixel
    Append32(out, quint32(png.size()));
    Append32(out, offset);
    offset += quint32(png.size());
  }
  for (const QByteArray& png : images) out.append(png);
  return out;
}

}  // namespace voltaris
