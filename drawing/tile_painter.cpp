#include "drawing/tile_painter.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QStaticText>
#include <algorithm>

#include "drawing/pictures.h"
#include "ui/qt_text.h"

static void InitDesignerResources() { Q_INIT_RESOURCE(resources); }

namespace voltaris {

namespace {

void DrawPictureAt(QPainter& painter, const QString& folder, const std::string& name, const QRect& target,
                   TPictureMode pictures) {
  if (pictures.Vector) {
    DrawPicture(painter, folder, name, QRectF(target));
    return;
  }
  const QPixmap picture = Picture(folder, name, target.size(), pictures.PixelRatio);
  if (!picture.isNull()) painter.drawPixmap(target.topLeft(), picture);
}

}  // namespace

void InitPictureResources() { InitDesignerResources(); }

void PaintTile(QPainter& painter, const TTileLook& look, QPointF at, const QFont& font, TPictureMode pictures) {
  painter.save();
  painter.translate(at);
  const int w = look.Width;
  const int h = look.Height;
  painter.fillRect(QRect(0, 0, w, h), ToQColor(look.Color));

  if (!look.Picture.empty()) DrawPictureAt(painter, ":/devices", look.Picture, QRect(0, 0, w, h), pictures);
  if (!look.StatusImage.empty())
    DrawPictureAt(painter, ":/status", look.StatusImage, QRect(w - 18, h - 18, 14, 14), pictures);

  if (!look.Caption.empty()) {
    // The supply's label across its top, on a pale band so that it reads
    // over the picture, cut short with an ellipsis where it is too long.
    QFont small = font;
    small.setPointSizeF(std::max(6.0, font.pointSizeF() - 2));
    painter.setFont(small);
    const QFontMetrics metrics(small);
    const QRect band(0, 0, w, metrics.height() + 2);
    painter.fillRect(band, QColor(255, 255, 255, 215));
    painter.setPen(Qt::black);
    painter.drawText(band.adjusted(2, 0, -2, 0), Qt::AlignCenter,
                     metrics.elidedText(ToQString(look.Caption), Qt::ElideRight, w - 4));
  }
  if (look.NetworkBlock) {
    // The block's outline, then its labels.
    painter.setPen(QColor(150, 140, 120));
    painter.drawRect(0, 0, w - 1, h - 1);
    painter.setPen(Qt::black);
    // The block is narrow: the labels in the tile's own type share the
    // largest size at which the widest of them still fits.
    QFont own = font;
    const int room = w - 2;
    auto widest = [&](const QFont& type) {
      int result = 0;
      for (const TTileLabel& label : look.Labels) {
        if (label.Visible && label.PointSize == 0) {
          result = std::max(result, label.Left + QFontMetrics(type).horizontalAdvance(ToQString(label.Text)));
        }
      }
      return result;
    };
    while (widest(own) > room && own.pointSizeF() > 6) own.setPointSizeF(own.pointSizeF() - 0.5);
    for (const TTileLabel& label : look.Labels) {
      if (!label.Visible || label.Text.empty()) continue;
      QFont type = own;
      if (label.PointSize > 0) type.setPointSize(label.PointSize);
      type.setBold(label.Bold);
      painter.setFont(type);
      painter.drawText(QRect(label.Left, label.Top, room - label.Left, h - label.Top), Qt::AlignLeft | Qt::AlignTop,
                       ToQString(label.Text));
    }
  }
  painter.restore();
}

namespace {

// The laid-out label of a run, for painting on screen: a canvas shows the
// same few lengths in the same type many times over, and laying the text
// out again on every repaint costs more than drawing it.
struct TLaidOutLabels {
  QFont Font;
  QHash<QString, QStaticText> Texts;
};
TLaidOutLabels* laidOutLabels = nullptr;

const QStaticText& LaidOutLabel(const std::string& label, const QFont& font) {
  if (!laidOutLabels) {
    // Laid-out text holds on to the application's fonts: it goes with the
    // application, not after it.
    laidOutLabels = new TLaidOutLabels;
    qAddPostRoutine([] {
      delete laidOutLabels;
      laidOutLabels = nullptr;
    });
  }
  auto& texts = laidOutLabels->Texts;
  if (font != laidOutLabels->Font || texts.size() > 1000) {
    texts.clear();
    laidOutLabels->Font = font;
  }
  const QString text = ToQString(label);
  auto found = texts.find(text);
  if (found == texts.end()) {
    QStaticText staticText(text);
    staticText.setTextFormat(Qt::PlainText);
    staticText.setPerformanceHint(QStaticText::AggressiveCaching);
    staticText.prepare(QTransform(), font);
    found = texts.insert(text, staticText);
  }
  return *found;
}

}  // namespace

void PaintWire(QPainter& painter, const TWire& wire) {
  const QRect bounds(wire.Left, wire.Top, wire.Width, wire.Height);
  painter.save();
  // The line stays inside the run's rectangle by its construction; it is
  // clipped only should an end lie outside (a clip per run is costly).
  const QRect inside(0, 0, wire.Width, wire.Height);
  const bool clipLine = !inside.contains(wire.X1, wire.Y1) || !inside.contains(wire.X2, wire.Y2);
  if (clipLine) painter.setClipRect(bounds, Qt::IntersectClip);
  painter.setPen(QPen(ToQColor(wire.Pen), 1));
  painter.drawLine(wire.Left + wire.X1, wire.Top + wire.Y1, wire.Left + wire.X2, wire.Top + wire.Y2);
  if (!wire.Label.empty()) {
    // The label from its corner to the rectangle's, cut off at its edges.
    const QPoint at(wire.Left + wire.LabelX, wire.Top + wire.LabelY);
    const QRect room(at, bounds.bottomRight());
    if (painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster) {
      const QStaticText& text = LaidOutLabel(wire.Label, painter.font());
      const bool fits = QRectF(room).contains(QRectF(QPointF(at), text.size()));
      if (!fits && !clipLine) painter.setClipRect(room, Qt::IntersectClip);
      painter.drawStaticText(at, text);
    } else {
      // Paper and PDF: the text itself, sharp at any scale.
      if (!clipLine) painter.setClipRect(bounds, Qt::IntersectClip);
      painter.drawText(room, Qt::AlignLeft | Qt::AlignTop, ToQString(wire.Label));
    }
  }
  painter.restore();
}

}  // namespace voltaris
