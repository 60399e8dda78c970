// The program's pictures (devices, status lights, toolbar, icon), compiled
// in as vector drawings and drawn into pixmaps once per size.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <initializer_list>
#include <string>

class QPainter;

namespace voltaris {

// The picture `name` of a resource folder (":/devices", ":/status"), its
// name matched without regard to case, drawn at `size` for a screen of pixel
// ratio `ratio`; a null pixmap when there is no such picture. Drawn once,
// then reused: a large design repaints hundreds of tiles at a time.
QPixmap Picture(const QString& folder, const std::string& name, QSize size, qreal ratio);

// Draws the picture `name` of a resource folder as the vector drawing it
// is, filling `target`; nothing when there is no such picture.
void DrawPicture(QPainter& painter, const QString& folder, const std::string& name, const QRectF& target);

// An icon with the picture at `path` drawn at each of `sizes`.
QIcon PictureIcon(const QString& path, std::initializer_list<int> sizes, qreal ratio);

}  // namespace voltaris
