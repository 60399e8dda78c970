#include "drawing/vector_picture.h"

#include <QFile>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QSet>
#include <QXmlStreamReader>
#include <QtMath>
#include <cmath>
#include <optional>

namespace voltaris {

namespace {

// The presentation attributes as a group hands them down to what it holds.
struct TStyle {
  TVectorPicture::TPaint Fill{TVectorPicture::TPaint::TKind::Colour, QColor(Qt::black), {}};
  TVectorPicture::TPaint Stroke;
  qreal FillOpacity = 1;
  qreal StrokeWidth = 1;
  Qt::PenCapStyle Cap = Qt::FlatCap;
  Qt::PenJoinStyle Join = Qt::MiterJoin;
  QList<qreal> Dashes;
  QString FontFamily = "sans-serif";
  qreal FontSize = 16;
  int FontWeight = QFont::Normal;
  TVectorPicture::TShape::TAnchor Anchor = TVectorPicture::TShape::TAnchor::Start;
  QTransform Transform;
};

// Reads the numbers of an attribute such as a path's data, a list of
// points or a transform's arguments: separated by white space or commas,
// a sign or a second decimal point starting the next one.
class TNumberReader {
 public:
  explicit TNumberReader(QStringView text) : text_(text) {}

  void SkipSeparators() {
    while (pos_ < text_.size() && (text_[pos_].isSpace() || text_[pos_] == ',')) ++pos_;
  }
  bool AtEnd() {
    SkipSeparators();
    return pos_ >= text_.size();
  }
  QChar Peek() {
    SkipSeparators();
    return pos_ < text_.size() ? text_[pos_] : QChar();
  }
  QChar Take() { return pos_ < text_.size() ? text_[pos_++] : QChar(); }
  bool NextIsNumber() {
    const QChar c = Peek();
    return c.isDigit() || c == '-' || c == '+' || c == '.';
  }
  std::optional<qreal> Number() {
    SkipSeparators();
    const qsizetype start = pos_;
    if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) ++pos_;
    bool point = false;
    bool digits = false;
    while (pos_ < text_.size()) {
      const QChar c = text_[pos_];
      if (c.isDigit()) {
        digits = true;
      } else if (c == '.' && !point) {
        point = true;
      } else {
        break;
      }
      ++pos_;
    }
    if (digits && pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      qsizetype exponent = pos_ + 1;
      if (exponent < text_.size() && (text_[exponent] == '-' || text_[exponent] == '+')) ++exponent;
      if (exponent < text_.size() && text_[exponent].isDigit()) {
        pos_ = exponent;
        while (pos_ < text_.size() && text_[pos_].isDigit()) ++pos_;
      }
    }
    if (!digits) {
      pos_ = start;
      return std::nullopt;
    }
    bool ok = false;
    const qreal value = text_.mid(start, pos_ - start).toDouble(&ok);
    if (!ok) return std::nullopt;
    return value;
  }
  // An arc's flag: a single 0 or 1, which may stand right before the next number.
  std::optional<bool> Flag() {
    const QChar c = Peek();
    if (c != '0' && c != '1') return std::nullopt;
    ++pos_;
    return c == '1';
  }

 private:
  QStringView text_;
  qsizetype pos_ = 0;
};

qreal Number(QStringView text, qreal fallback = 0) {
  TNumberReader reader(text);
  return reader.Number().value_or(fallback);
}

// An opacity or a gradient offset, given as a number or a percentage, kept within 0 to 1.
qreal Fraction(QStringView text, qreal fallback) {
  const QStringView trimmed = text.trimmed();
  if (trimmed.isEmpty()) return fallback;
  qreal value = Number(trimmed, fallback);
  if (trimmed.endsWith('%')) value /= 100;
  return qBound<qreal>(0, value, 1);
}

QColor ColourOf(QStringView text) { return QColor::fromString(text.trimmed()); }

// A fill or stroke: none, a colour, or url(#id).
std::optional<TVectorPicture::TPaint> PaintOf(QStringView text) {
  using TKind = TVectorPicture::TPaint::TKind;
  const QStringView value = text.trimmed();
  if (value == u"none") return TVectorPicture::TPaint{TKind::None, {}, {}};
  if (value.startsWith(u"url(")) {
    const qsizetype hash = value.indexOf('#');
    const qsizetype close = value.indexOf(')');
    if (hash < 0 || close < hash) return std::nullopt;
    return TVectorPicture::TPaint{TKind::Gradient, {}, value.mid(hash + 1, close - hash - 1).trimmed().toString()};
  }
  const QColor colour = ColourOf(value);
  if (!colour.isValid()) return std::nullopt;
  return TVectorPicture::TPaint{TKind::Colour, colour, {}};
}

// transform="rotate(12 47 22) scale(0.5) ...", composed left to right.
QTransform TransformOf(QStringView text) {
  QTransform result;
  qsizetype pos = 0;
  while (pos < text.size()) {
    const qsizetype open = text.indexOf('(', pos);
    const qsizetype close = text.indexOf(')', open);
    if (open < 0 || close < 0) break;
    const QString name = text.mid(pos, open - pos).trimmed().toString().remove(',').trimmed();
    TNumberReader reader(text.mid(open + 1, close - open - 1));
    QList<qreal> args;
    while (auto value = reader.Number()) args.append(*value);
    QTransform step;
    if (name == "translate" && !args.isEmpty()) {
      step.translate(args[0], args.size() > 1 ? args[1] : 0);
    } else if (name == "scale" && !args.isEmpty()) {
      step.scale(args[0], args.size() > 1 ? args[1] : args[0]);
    } else if (name == "rotate" && !args.isEmpty()) {
      const qreal cx = args.size() > 2 ? args[1] : 0;
      const qreal cy = args.size() > 2 ? args[2] : 0;
      step.translate(cx, cy);
      step.rotate(args[0]);
      step.translate(-cx, -cy);
    }
    // Qt multiplies row vectors: the step nearer the shape is applied first.
    result = step * result;
    pos = close + 1;
  }
  return result;
}

// Adds an SVG elliptical arc from the path's current point to `to`, by the
// centre form of the arc (the SVG's implementation notes, F.6.5).
void ArcTo(QPainterPath& path, qreal rx, qreal ry, qreal rotation, bool large, bool sweep, QPointF to) {
  const QPointF from = path.currentPosition();
  rx = std::abs(rx);
  ry = std::abs(ry);
  if (from == to) return;
  if (rx == 0 || ry == 0) {
    path.lineTo(to);
    return;
  }
  const qreal phi = qDegreesToRadians(rotation);
  const qreal cosPhi = std::cos(phi);
  const qreal sinPhi = std::sin(phi);
  const qreal dx = (from.x() - to.x()) / 2;
  const qreal dy = (from.y() - to.y()) / 2;
  const qreal x1 = cosPhi * dx + sinPhi * dy;
  const qreal y1 = -sinPhi * dx + cosPhi * dy;
  // Radii too small to reach are scaled up until they just do.
  const qreal lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
  if (lambda > 1) {
    rx *= std::sqrt(lambda);
    ry *= std::sqrt(lambda);
  }
  const qreal numerator = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
  const qreal denominator = rx * rx * y1 * y1 + ry * ry * x1 * x1;
  qreal factor = denominator == 0 ? 0 : std::sqrt(std::max<qreal>(0, numerator / denominator));
  if (large == sweep) factor = -factor;
  const qreal cx1 = factor * rx * y1 / ry;
  const qreal cy1 = -factor * ry * x1 / rx;
  const QPointF centre(cosPhi * cx1 - sinPhi * cy1 + (from.x() + to.x()) / 2,
                       sinPhi * cx1 + cosPhi * cy1 + (from.y() + to.y()) / 2);
  const auto angle = [](qreal ux, qreal uy, qreal vx, qreal vy) {
    return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
  };
  const qreal theta = angle(1, 0, (x1 - cx1) / rx, (y1 - cy1) / ry);
  qreal delta = angle((x1 - cx1) / rx, (y1 - cy1) / ry, (-x1 - cx1) / rx, (-y1 - cy1) / ry);
  if (!sweep && delta > 0) delta -= 2 * M_PI;
  if (sweep && delta < 0) delta += 2 * M_PI;
  // Qt's angles turn the other way round from SVG's, whose y axis points down.
  QPainterPath arc;
  const QRectF ellipse(-rx, -ry, 2 * rx, 2 * ry);
  arc.arcMoveTo(ellipse, -qRadiansToDegrees(theta));
  arc.arcTo(ellipse, -qRadiansToDegrees(theta), -qRadiansToDegrees(delta));
  QTransform place;
  place.translate(centre.x(), centre.y());
  place.rotateRadians(phi);
  const QPainterPath placed = place.map(arc);
  // The arc's own first point is the current point: join its curves on.
  for (int i = 1; i < placed.elementCount(); ++i) {
    const QPainterPath::Element e = placed.elementAt(i);
    if (e.type == QPainterPath::CurveToElement) {
      path.cubicTo(e, placed.elementAt(i + 1), placed.elementAt(i + 2));
      i += 2;
    } else {
      path.lineTo(e);
    }
  }
  // The end point exactly as the data gives it.
  if (path.currentPosition() != to) path.lineTo(to);
}

// A path's d attribute; it stops at the first thing it cannot read, as SVG
// renders a path up to its first error.
QPainterPath PathOf(QStringView data) {
  QPainterPath path;
  TNumberReader reader(data);
  QChar command;
  QPointF current;
  QPointF start;
  QPointF lastControl;
  QChar lastCommand;
  while (!reader.AtEnd()) {
    if (!reader.NextIsNumber()) {
      command = reader.Take();
    } else if (command.isNull()) {
      break;
    }
    const bool relative = command.isLower();
    const QPointF origin = relative ? current : QPointF();
    const QChar upper = command.toUpper();
    auto number = [&reader]() { return reader.Number(); };
    auto point = [&]() -> std::optional<QPointF> {
      const auto x = number();
      const auto y = number();
      if (!x || !y) return std::nullopt;
      return origin + QPointF(*x, *y);
    };
    if (upper == 'Z') {
      path.closeSubpath();
      current = start;
      lastCommand = upper;
      // A Z takes no numbers: what follows must be a command.
      if (reader.NextIsNumber()) break;
      continue;
    }
    if (upper == 'M') {
      const auto p = point();
      if (!p) break;
      path.moveTo(*p);
      current = start = *p;
      // Numbers after a move's first pair are lines.
      command = relative ? 'l' : 'L';
    } else if (upper == 'L') {
      const auto p = point();
      if (!p) break;
      path.lineTo(*p);
      current = *p;
    } else if (upper == 'H') {
      const auto x = number();
      if (!x) break;
      current.setX(*x + (relative ? current.x() : 0));
      path.lineTo(current);
    } else if (upper == 'V') {
      const auto y = number();
      if (!y) break;
      current.setY(*y + (relative ? current.y() : 0));
      path.lineTo(current);
    } else if (upper == 'C') {
      const auto c1 = point();
      const auto c2 = point();
      const auto p = point();
      if (!c1 || !c2 || !p) break;
      path.cubicTo(*c1, *c2, *p);
      lastControl = *c2;
      current = *p;
    } else if (upper == 'S') {
      const auto c2 = point();
      const auto p = point();
      if (!c2 || !p) break;
      const QPointF c1 = (lastCommand == 'C' || lastCommand == 'S') ? 2 * current - lastControl : current;
      path.cubicTo(c1, *c2, *p);
      lastControl = *c2;
      current = *p;
    } else if (upper == 'Q') {
      const auto c = point();
      const auto p = point();
      if (!c || !p) break;
      path.quadTo(*c, *p);
      lastControl = *c;
      current = *p;
    } else if (upper == 'T') {
      const auto p = point();
      if (!p) break;
      const QPointF c = (lastCommand == 'Q' || lastCommand == 'T') ? 2 * current - lastControl : current;
      path.quadTo(c, *p);
      lastControl = c;
      current = *p;
    } else if (upper == 'A') {
      const auto rx = number();
      const auto ry = number();
      const auto rotation = number();
      const auto large = reader.Flag();
      const auto sweep = reader.Flag();
      const auto p = point();
      if (!rx || !ry || !rotation || !large || !sweep || !p) break;
      if (path.elementCount() == 0) path.moveTo(current);
      ArcTo(path, *rx, *ry, *rotation, *large, *sweep, *p);
      current = *p;
    } else {
      break;
    }
    lastCommand = upper;
  }
  return path;
}

}  // namespace

// Reads the document into the picture's shapes and gradients.
class TSvgReader {
 public:
  explicit TSvgReader(TVectorPicture& picture) : picture_(picture) {}

  QString Read(const QByteArray& svg) {
    if (svg.trimmed().isEmpty()) return "the document is empty";
    QXmlStreamReader xml(svg);
    std::vector<TStyle> styles;
    int skipped = 0;  // depth inside what is not drawn (defs, title, unknown elements)
    bool root = false;
    QString gradientId;
    while (!xml.atEnd()) {
      const QXmlStreamReader::TokenType token = xml.readNext();
      if (token == QXmlStreamReader::EndElement) {
        const QStringView name = xml.name();
        if (name == u"linearGradient" || name == u"radialGradient") gradientId.clear();
        if (skipped > 0) {
          --skipped;
        } else if (!styles.empty()) {
          styles.pop_back();
        }
        continue;
      }
      if (token != QXmlStreamReader::StartElement) continue;
      const QStringView name = xml.name();
      const QXmlStreamAttributes attributes = xml.attributes();
      if (!root) {
        if (name != u"svg") return QString("the document is not an SVG drawing (it starts with <%1>)").arg(name);
        root = true;
        ReadViewBox(attributes);
        styles.push_back(Styled(TStyle{}, attributes));
        continue;
      }
      // Gradients may stand anywhere, inside defs or not; their stops belong to them.
      if (name == u"linearGradient" || name == u"radialGradient") {
        gradientId = ReadGradient(name, attributes);
        ++skipped;
        continue;
      }
      if (name == u"stop") {
        if (!gradientId.isEmpty()) ReadStop(gradientId, attributes);
        ++skipped;
        continue;
      }
      if (skipped > 0 || styles.empty()) {
        ++skipped;
        continue;
      }
      const TStyle style = Styled(styles.back(), attributes);
      if (name == u"g" || name == u"svg") {
        styles.push_back(style);
      } else if (name == u"text") {
        const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
        AddText(style, attributes, text);
        continue;  // readElementText has read the end element
      } else if (const std::optional<QPainterPath> path = Outline(name, attributes)) {
        AddShape(style, *path);
        if (name == u"rect" && !path->isEmpty()) RoundCorners(attributes, picture_.shapes_.back());
        styles.push_back(style);
      } else {
        ++skipped;  // defs, title, desc and what is not drawn
      }
    }
    if (xml.hasError()) return QString("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    if (!root) return "the document is empty";
    if (picture_.viewBox_.isEmpty()) return "the drawing has no size (neither viewBox nor width and height)";
    return {};
  }

 private:
  static QString Value(const QXmlStreamAttributes& attributes, const char* name) {
    return attributes.value(QLatin1String(name)).toString();
  }

  void ReadViewBox(const QXmlStreamAttributes& attributes) {
    TNumberReader reader(attributes.value(QLatin1String("viewBox")));
    const auto x = reader.Number();
    const auto y = reader.Number();
    const auto w = reader.Number();
    const auto h = reader.Number();
    if (x && y && w && h) {
      picture_.viewBox_ = QRectF(*x, *y, *w, *h);
    } else {
      picture_.viewBox_ = QRectF(0, 0, Number(attributes.value(QLatin1String("width"))),
                                 Number(attributes.value(QLatin1String("height"))));
    }
  }

  // The style `parent` hands down, changed by the element's own attributes.
  static TStyle Styled(TStyle style, const QXmlStreamAttributes& attributes) {
    for (const QXmlStreamAttribute& attribute : attributes)
      Apply(style, attribute.name().toString(), attribute.value().toString());
    if (attributes.hasAttribute(QLatin1String("transform")))
      style.Transform = TransformOf(attributes.value(QLatin1String("transform"))) * style.Transform;
    return style;
  }

  static void Apply(TStyle& style, const QString& name, const QString& value) {
    if (name == "fill") {
      if (auto paint = PaintOf(value)) style.Fill = *paint;
    } else if (name == "stroke") {
      if (auto paint = PaintOf(value)) style.Stroke = *paint;
    } else if (name == "fill-opacity") {
      style.FillOpacity = Fraction(value, 1);
    } else if (name == "stroke-width") {
      style.StrokeWidth = std::max<qreal>(0, Number(value, 1));
    } else if (name == "stroke-linecap") {
      style.Cap = value == "round" ? Qt::RoundCap : value == "square" ? Qt::SquareCap : Qt::FlatCap;
    } else if (name == "stroke-linejoin") {
      style.Join = value == "round" ? Qt::RoundJoin : value == "bevel" ? Qt::BevelJoin : Qt::SvgMiterJoin;
    } else if (name == "stroke-dasharray") {
      style.Dashes.clear();
      if (value != "none") {
        TNumberReader reader(value);
        while (auto dash = reader.Number()) style.Dashes.append(*dash);
        // An odd list repeats to make an even one.
        if (style.Dashes.size() % 2 == 1) style.Dashes += style.Dashes;
      }
    } else if (name == "font-family") {
      style.FontFamily = value;
    } else if (name == "font-size") {
      style.FontSize = Number(value, style.FontSize);
    } else if (name == "font-weight") {
      style.FontWeight = value == "bold" || Number(value, 400) >= 600 ? QFont::Bold : QFont::Normal;
    } else if (name == "text-anchor") {
      using TAnchor = TVectorPicture::TShape::TAnchor;
      style.Anchor = value == "middle" ? TAnchor::Middle : value == "end" ? TAnchor::End : TAnchor::Start;
    }
  }

  // A rect's corners as the painter takes them: ry follows rx where only
  // one is given, and neither exceeds half the side.
  static void RoundCorners(const QXmlStreamAttributes& attributes, TVectorPicture::TShape& shape) {
    const QRectF rect = shape.Path.boundingRect();
    const bool hasRx = attributes.hasAttribute(QLatin1String("rx"));
    const bool hasRy = attributes.hasAttribute(QLatin1String("ry"));
    qreal rx = Number(attributes.value(QLatin1String("rx")));
    qreal ry = Number(attributes.value(QLatin1String("ry")));
    if (!hasRx) rx = ry;
    if (!hasRy) ry = rx;
    shape.Rx = qBound<qreal>(0, rx, rect.width() / 2);
    shape.Ry = qBound<qreal>(0, ry, rect.height() / 2);
    if (shape.Rx > 0 && shape.Ry > 0) shape.RoundedRect = rect;
  }

  static std::optional<QPainterPath> Outline(QStringView name, const QXmlStreamAttributes& attributes) {
    const auto number = [&attributes](const char* attribute) {
      return Number(attributes.value(QLatin1String(attribute)));
    };
    QPainterPath path;
    if (name == u"rect") {
      const QRectF rect(number("x"), number("y"), number("width"), number("height"));
      if (rect.isEmpty()) return path;
      path.addRect(rect);  // its corners are rounded when drawn (RoundCorners)
    } else if (name == u"circle") {
      const qreal r = number("r");
      if (r > 0) path.addEllipse(QPointF(number("cx"), number("cy")), r, r);
    } else if (name == u"ellipse") {
      const qreal rx = number("rx");
      const qreal ry = number("ry");
      if (rx > 0 && ry > 0) path.addEllipse(QPointF(number("cx"), number("cy")), rx, ry);
    } else if (name == u"path") {
      path = PathOf(attributes.value(QLatin1String("d")));
    } else {
      return std::nullopt;
    }
    return path;
  }

  static void Stroked(TVectorPicture::TShape& shape, const TStyle& style) {
    shape.Fill = style.Fill;
    shape.Stroke = style.StrokeWidth > 0 ? style.Stroke : TVectorPicture::TPaint{};
    shape.FillOpacity = style.FillOpacity;
    shape.Transform = style.Transform;
    shape.Pen = QPen(Qt::NoBrush, style.StrokeWidth, Qt::SolidLine, style.Cap, style.Join);
    shape.Pen.setMiterLimit(4);  // SVG's default, where Qt's is 2
    // Qt measures dashes in pen widths, SVG in the drawing's units.
    bool dashed = !style.Dashes.isEmpty();
    QList<qreal> dashes;
    for (qreal dash : style.Dashes) {
      if (dash < 0) dashed = false;
      dashes.append(dash / style.StrokeWidth);
    }
    if (dashed && style.StrokeWidth > 0) shape.Pen.setDashPattern(dashes);
  }

  void AddShape(const TStyle& style, QPainterPath path) {
    if (path.isEmpty()) return;
    path.setFillRule(Qt::WindingFill);  // SVG's nonzero rule
    TVectorPicture::TShape shape;
    shape.Path = path;
    Stroked(shape, style);
    picture_.shapes_.push_back(shape);
  }

  void AddText(const TStyle& style, const QXmlStreamAttributes& attributes, const QString& text) {
    if (text.isEmpty() || style.FontSize <= 0) return;
    TVectorPicture::TShape shape;
    Stroked(shape, style);
    shape.Text = text;
    shape.TextAt = QPointF(Number(attributes.value(QLatin1String("x"))), Number(attributes.value(QLatin1String("y"))));
    shape.Anchor = style.Anchor;
    QFont font(style.FontFamily);
    if (style.FontFamily.contains("sans", Qt::CaseInsensitive)) font.setStyleHint(QFont::SansSerif);
    if (style.FontFamily.contains("serif", Qt::CaseInsensitive) && !style.FontFamily.contains("sans"))
      font.setStyleHint(QFont::Serif);
    if (style.FontFamily.contains("mono", Qt::CaseInsensitive)) font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(style.FontSize);  // in the drawing's units: made device points when drawn
    font.setWeight(QFont::Weight(style.FontWeight));
    shape.Font = font;
    picture_.shapes_.push_back(shape);
  }

  QString ReadGradient(QStringView name, const QXmlStreamAttributes& attributes) {
    const QString id = Value(attributes, "id");
    if (id.isEmpty()) return {};
    const auto number = [&attributes](const char* attribute, qreal fallback) {
      const QLatin1String key(attribute);
      return attributes.hasAttribute(key) ? Length(attributes.value(key)) : fallback;
    };
    const bool userSpace = attributes.value(QLatin1String("gradientUnits")) == u"userSpaceOnUse";
    std::shared_ptr<QGradient> gradient;
    if (name == u"linearGradient") {
      gradient = std::make_shared<QLinearGradient>(number("x1", 0), number("y1", 0), number("x2", 1), number("y2", 0));
    } else {
      const qreal cx = number("cx", 0.5);
      const qreal cy = number("cy", 0.5);
      const qreal r = number("r", 0.5);
      gradient = std::make_shared<QRadialGradient>(QPointF(cx, cy), r, QPointF(number("fx", cx), number("fy", cy)));
    }
    gradient->setCoordinateMode(userSpace ? QGradient::LogicalMode : QGradient::ObjectMode);
    picture_.gradients_.insert(id, gradient);
    return id;
  }

  // A length of a gradient, in the drawing's units or as a fraction of the box.
  static qreal Length(QStringView text) {
    const QStringView trimmed = text.trimmed();
    const qreal value = Number(trimmed);
    return trimmed.endsWith('%') ? value / 100 : value;
  }

  void ReadStop(const QString& gradientId, const QXmlStreamAttributes& attributes) {
    const auto found = picture_.gradients_.find(gradientId);
    if (found == picture_.gradients_.end()) return;
    const QString colourText = attributes.hasAttribute(QLatin1String("stop-color")) ? Value(attributes, "stop-color")
                                                                                    : QString("black");
    const QString opacityText = Value(attributes, "stop-opacity");
    QColor colour = ColourOf(colourText);
    if (!colour.isValid()) colour = Qt::black;
    colour.setAlphaF(colour.alphaF() * Fraction(opacityText, 1));
    // A gradient without stops of its own reports Qt's default ones.
    QGradientStops stops;
    if (haveStops_.contains(gradientId)) stops = found.value()->stops();
    haveStops_.insert(gradientId);
    // Offsets never go back: one below the last is taken as the last.
    qreal offset = Fraction(Value(attributes, "offset"), 0);
    if (!stops.isEmpty()) offset = std::max(offset, stops.back().first);
    // Two stops at one offset: the later is nudged on, so that Qt keeps both (a hard edge).
    if (!stops.isEmpty() && offset == stops.back().first) offset = std::min<qreal>(1, offset + 1e-9);
    stops.append({offset, colour});
    found.value()->setStops(stops);
  }

  TVectorPicture& picture_;
  QSet<QString> haveStops_;
};

TVectorPicture TVectorPicture::FromSvg(const QByteArray& svg, QString* error) {
  TVectorPicture picture;
  TSvgReader reader(picture);
  const QString problem = reader.Read(svg);
  if (!problem.isEmpty()) {
    if (error) *error = problem;
    return TVectorPicture();
  }
  picture.valid_ = true;
  return picture;
}

TVectorPicture TVectorPicture::FromFile(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error) *error = QString("%1: %2").arg(path, file.errorString());
    return TVectorPicture();
  }
  QString problem;
  TVectorPicture picture = FromSvg(file.readAll(), &problem);
  if (!picture.IsValid() && error) *error = QString("%1: %2").arg(path, problem);
  return picture;
}

QBrush TVectorPicture::BrushOf(const TPaint& paint, qreal opacity) const {
  switch (paint.Kind) {
    case TPaint::TKind::None:
      return Qt::NoBrush;
    case TPaint::TKind::Colour: {
      QColor colour = paint.Colour;
      colour.setAlphaF(colour.alphaF() * opacity);
      return colour;
    }
    case TPaint::TKind::Gradient: {
      const auto found = gradients_.constFind(paint.GradientId);
      if (found == gradients_.constEnd()) return Qt::NoBrush;  // an unknown paint server draws nothing
      QGradient gradient = *found.value();
      if (opacity < 1) {
        QGradientStops stops = gradient.stops();
        for (auto& stop : stops) stop.second.setAlphaF(stop.second.alphaF() * opacity);
        gradient.setStops(stops);
      }
      return gradient;
    }
  }
  return Qt::NoBrush;
}

void TVectorPicture::Render(QPainter& painter, const QRectF& target) const {
  if (!valid_ || target.isEmpty() || viewBox_.isEmpty()) return;
  painter.save();
  QTransform base = painter.worldTransform();
  base.translate(target.x(), target.y());
  base.scale(target.width() / viewBox_.width(), target.height() / viewBox_.height());
  base.translate(-viewBox_.x(), -viewBox_.y());
  for (const TShape& shape : shapes_) {
    painter.setWorldTransform(shape.Transform * base);
    QPen pen = shape.Pen;
    const QBrush strokeBrush = BrushOf(shape.Stroke, 1);
    if (strokeBrush.style() == Qt::NoBrush) {
      pen = Qt::NoPen;
    } else {
      pen.setBrush(strokeBrush);
    }
    const QBrush fill = BrushOf(shape.Fill, shape.FillOpacity);
    if (shape.Text.isEmpty()) {
      painter.setPen(pen);
      painter.setBrush(fill);
      if (shape.RoundedRect.isEmpty()) {
        painter.drawPath(shape.Path);
      } else {
        painter.drawRoundedRect(shape.RoundedRect, shape.Rx, shape.Ry);
      }
      continue;
    }
    if (fill.style() == Qt::NoBrush) continue;
    // The font's size is in the drawing's units. The text is laid out at
    // 100 pixels and scaled down, so that small text keeps the shapes and
    // spacing of its outlines instead of snapping to a small size's pixels.
    const qreal scale = shape.Font.pointSizeF() / 100;
    QFont font = shape.Font;
    font.setPixelSize(100);
    painter.setFont(font);
    painter.setPen(QPen(fill, 0));
    const qreal width = QFontMetricsF(font, painter.device()).horizontalAdvance(shape.Text) * scale;
    QPointF at = shape.TextAt;
    if (shape.Anchor == TShape::TAnchor::Middle) at.rx() -= width / 2;
    if (shape.Anchor == TShape::TAnchor::End) at.rx() -= width;
    painter.translate(at);
    painter.scale(scale, scale);
    painter.drawText(QPointF(0, 0), shape.Text);
  }
  painter.restore();
}

}  // namespace voltaris
