// A picture of the program's own art: a small SVG drawing read once and
// drawn with QPainter at any size, so that a tile, a toolbar button and a
// printed page all get the vector drawing, and no SVG library is needed
// (there is none for the Windows build).
//
// What it reads is the part of SVG the art in resources/ is drawn with:
// rect (with rx, ry), circle, ellipse, path (every command, absolute and
// relative), text (one line: font family, size and weight, text-anchor),
// groups with a transform (translate, scale, rotate), linear and radial
// gradients (with their focal point, no gradientTransform) referred to as
// url(#id), and the attributes fill, fill-opacity, stroke, stroke-width,
// stroke-linecap, stroke-linejoin and stroke-dasharray, inherited from a
// group as SVG inherits them. Paths fill by SVG's nonzero rule. Anything
// else (a style attribute, a filter, a pattern, an image) is left undrawn.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QGradient>
#include <QHash>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <memory>
#include <vector>

class QPainter;

namespace voltaris {

class TVectorPicture {
 public:
  // Reads an SVG document. A picture that cannot be read is not valid and
  // `error` (when given) says why.
  static TVectorPicture FromSvg(const QByteArray& svg, QString* error = nullptr);
  // Reads the SVG file at `path` (a resource path too).
  static TVectorPicture FromFile(const QString& path, QString* error = nullptr);

  bool IsValid() const { return valid_; }
  // The drawing's own coordinates: the viewBox, or 0 0 width height.
  QRectF ViewBox() const { return viewBox_; }

  // Draws the picture stretched to fill `target`, in the painter's current
  // coordinates; the painter's state is as it was afterwards.
  void Render(QPainter& painter, const QRectF& target) const;

  // How a shape is filled or stroked: not at all, with a colour, or with
  // the gradient of that id.
  struct TPaint {
    enum class TKind { None, Colour, Gradient };
    TKind Kind = TKind::None;
    QColor Colour;
    QString GradientId;
  };

  // One thing drawn, in the order of the document.
  struct TShape {
    QPainterPath Path;  // the outline; empty for text
    // A rounded rectangle is drawn as one, so that its dashes start where
    // a painter starts them.
    QRectF RoundedRect;
    qreal Rx = 0;
    qreal Ry = 0;
    QTransform Transform;
    TPaint Fill;
    TPaint Stroke;
    qreal FillOpacity = 1;
    QPen Pen;  // width, caps, joins and dashes of the stroke
    QString Text;
    QFont Font;
    QPointF TextAt;  // where the baseline starts, before the anchor
    enum class TAnchor { Start, Middle, End };
    TAnchor Anchor = TAnchor::Start;
  };

 private:
  QBrush BrushOf(const TPaint& paint, qreal opacity) const;

  bool valid_ = false;
  QRectF viewBox_;
  std::vector<TShape> shapes_;
  QHash<QString, std::shared_ptr<QGradient>> gradients_;

  friend class TSvgReader;
};

}  // namespace voltaris
