#include "document/ui/document_painter.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <string>

#include "catalogue/format.h"
#include "drawing/pictures.h"
#include "drawing/tile_painter.h"
#include "model/status.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {

// The type of the canvas's tiles and cable-length labels.
constexpr qreal CanvasPointSize = 8;

// The report's type: the platform's fixed font, or where that is not fixed
// after all the first installed family that is (as the report window does).
QFont FixedPitchFont() {
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setStyleHint(QFont::TypeWriter);
  if (!QFontInfo(fixed).fixedPitch()) {
    for (const QString& family : QFontDatabase::families()) {
      if (!QFontDatabase::isFixedPitch(family)) continue;
      fixed.setFamily(family);
      break;
    }
  }
  return fixed;
}

// One run of the layout over the whole document: without a painter it only
// measures (how many pages), with one it paints.
class TLayout {
 public:
  TLayout(QPagedPaintDevice& device, QPainter* painter, int pages)
      : device_(device), painter_(painter), pages_(pages), pt_(device.logicalDpiY() / 72.0) {
    width_ = device.width();
    bottom_ = device.height() - Pt(26);  // room for the footer
    body_ = Font(10);
    small_ = Font(7.5);
    mono_ = FixedPitchFont();
    mono_.setPointSizeF(8);
  }

  int Run(const TDocument& document) {
    footer_ = ToQString(document.FooterText);
    page_ = 1;
    y_ = 0;
    for (const TDocBlock& block : document.Blocks) Lay(block);
    Footer();
    return page_;
  }

 private:
  qreal Pt(qreal points) const { return points * pt_; }

  QFont Font(qreal points, bool bold = false) const {
    QFont font = QGuiApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
  }

  QFontMetricsF Metrics(const QFont& font) const { return QFontMetricsF(font, &device_); }

  qreal TextHeight(const QFont& font, qreal width, const QString& text) const {
    if (text.isEmpty()) return Metrics(font).height();
    return Metrics(font).boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap | Qt::AlignLeft, text).height();
  }

  void Text(const QFont& font, const QRectF& rect, const QString& text, int flags = Qt::AlignLeft | Qt::AlignTop) {
    if (!painter_ || text.isEmpty()) return;
    painter_->setFont(font);
    painter_->setPen(Qt::black);
    painter_->drawText(rect, flags | Qt::TextWordWrap, text);
  }

  void NewPage() {
    Footer();
    if (painter_ && !device_.newPage()) throw std::runtime_error("the printer could not start a new page");
    ++page_;
    y_ = 0;
  }

  // Starts a new page unless `height` still fits on this one (or the page is
  // empty, where nothing would gain from one).
  void Need(qreal height) {
    if (y_ > 0 && y_ + height > bottom_) NewPage();
  }

  void Footer() {
    if (!painter_) return;
    const qreal top = device_.height() - Pt(18);
    painter_->setPen(QPen(Qt::gray, Pt(0.5)));
    painter_->drawLine(QPointF(0, top - Pt(4)), QPointF(width_, top - Pt(4)));
    const QRectF line(0, top, width_, Pt(14));
    Text(small_, line, footer_, Qt::AlignLeft | Qt::AlignVCenter);
    Text(small_, line, QString("Page %1 of %2").arg(page_).arg(pages_), Qt::AlignRight | Qt::AlignVCenter);
  }

  void Lay(const TDocBlock& block) {
    switch (block.Kind) {
      case TDocBlockKind::Title:
        Heading(block.Text, Font(18, true), Pt(8));
        break;
      case TDocBlockKind::Heading:
        Heading(block.Text, Font(14, true), Pt(6));
        break;
      case TDocBlockKind::KeyValues:
        KeyValues(block);
        break;
      case TDocBlockKind::Verdict:
        Verdict(block);
        break;
      case TDocBlockKind::Table:
        Table(block.Table);
        break;
      case TDocBlockKind::Preformatted:
        Preformatted(block.Lines, block.Runs);
        break;
      case TDocBlockKind::Drawing:
        Drawing(block.Drawing);
        break;
      case TDocBlockKind::Signature:
        Signature(block);
        break;
      case TDocBlockKind::PageBreak:
        if (y_ > 0) NewPage();
        break;
    }
  }

  void Heading(const std::string& text, const QFont& font, qreal after) {
    const QString shown = ToQString(text);
    const qreal before = y_ > 0 ? Pt(10) : 0;
    const qreal height = TextHeight(font, width_, shown);
    // A heading stays with some of what follows it.
    Need(before + height + Pt(40));
    if (y_ > 0) y_ += before;
    Text(font, QRectF(0, y_, width_, height), shown);
    y_ += height + after;
  }

  void KeyValues(const TDocBlock& block) {
    const qreal keyWidth = Pt(120);
    const qreal valueWidth = width_ - keyWidth;
    const QFont key = Font(10, true);
    if (block.KeepTogether) {
      qreal total = 0;
      for (const auto& [name, value] : block.Pairs)
        total += std::max(TextHeight(key, keyWidth, ToQString(name)), TextHeight(body_, valueWidth, ToQString(value))) +
                 Pt(3);
      if (total <= bottom_) Need(total);
    }
    for (const auto& [name, value] : block.Pairs) {
      const QString shown = ToQString(value);
      const qreal height = std::max(TextHeight(key, keyWidth, ToQString(name)), TextHeight(body_, valueWidth, shown));
      Need(height);
      Text(key, QRectF(0, y_, keyWidth - Pt(6), height), ToQString(name));
      Text(body_, QRectF(keyWidth, y_, valueWidth, height), shown);
      y_ += height + Pt(3);
    }
    y_ += Pt(6);
  }

  void Verdict(const TDocBlock& block) {
    const QFont font = Font(24, true);
    const QString shown = ToQString(block.Text);
    const qreal light = Pt(22);
    const qreal height = std::max(light, TextHeight(font, width_ - light - Pt(10), shown));
    Need(height + Pt(12));
    y_ += Pt(6);
    if (painter_) {
      if (const char* name = StatusImageName(block.Status))
        DrawPicture(*painter_, ":/status", name, QRectF(0, y_ + (height - light) / 2, light, light));
    }
    Text(font, QRectF(light + Pt(10), y_, width_ - light - Pt(10), height), shown, Qt::AlignLeft | Qt::AlignVCenter);
    y_ += height + Pt(12);
  }

  // Columns share the width by what their cells need, each at least as wide
  // as its longest word; cells wrap at word ends.
  std::vector<qreal> ColumnWidths(const TDocTable& table, const QFont& header, const QFont& cell,
                                  bool* fits = nullptr) const {
    const size_t count = table.Columns.size();
    std::vector<qreal> want(count, 0), least(count, 0);
    // Measured with one set of metrics per type: a long table has thousands of cells.
    const QFontMetricsF headerMetrics = Metrics(header);
    const QFontMetricsF cellMetrics = Metrics(cell);
    auto measure = [&](size_t column, const QFontMetricsF& metrics, const std::string& text) {
      const QString shown = ToQString(text);
      want[column] = std::max(want[column], std::min(metrics.horizontalAdvance(shown), Pt(90)));
      // A figure and its unit stay on one line; other text breaks at its words.
      const bool figure = shown.size() <= 15 &&
                          std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.isDigit(); });
      for (const QString& word : figure ? QStringList{shown} : shown.split(' ', Qt::SkipEmptyParts))
        least[column] = std::max(least[column], metrics.horizontalAdvance(word));
    };
    for (size_t c = 0; c < count; ++c) measure(c, headerMetrics, table.Columns[c]);
    for (const auto& row : table.Rows)
      for (size_t c = 0; c < count && c < row.size(); ++c) measure(c, cellMetrics, row[c]);
    const qreal pad = Pt(6);
    std::vector<qreal> widths(count);
    qreal total = 0, spare = 0;
    for (size_t c = 0; c < count; ++c) {
      widths[c] = least[c] + pad;
      total += widths[c];
      spare += std::max<qreal>(0, want[c] - least[c]);
    }
    // What is left goes to the columns that would use it, in proportion.
    const qreal left = width_ - total;
    for (size_t c = 0; c < count; ++c) {
      const qreal extra = std::max<qreal>(0, want[c] - least[c]);
      widths[c] += left > 0 && spare > 0 ? std::min(extra, left * extra / spare) : 0;
    }
    total = 0;
    for (qreal w : widths) total += w;
    // Boxes filled in on site (a column empty in every row) share what is
    // still left, so there is room to write in them.
    std::vector<size_t> boxes;
    for (size_t c = 0; c < count && !table.Rows.empty(); ++c) {
      if (std::all_of(table.Rows.begin(), table.Rows.end(),
                      [c](const auto& row) { return c >= row.size() || row[c].empty(); }))
        boxes.push_back(c);
    }
    if (total < width_ && !boxes.empty()) {
      for (size_t c : boxes) widths[c] += (width_ - total) / static_cast<qreal>(boxes.size());
      total = width_;
    }
    if (fits) *fits = total <= width_ + 0.5;
    if (total > width_)
      for (qreal& w : widths) w *= width_ / total;
    return widths;
  }

  void Table(const TDocTable& table) {
    if (table.Columns.empty()) return;
    // A table too wide for the page in the usual type takes a smaller one
    // before any column is made narrower than its longest word or figure.
    QFont header = Font(7.5, true);
    QFont cell = small_;
    bool fits = true;
    std::vector<qreal> widths = ColumnWidths(table, header, cell, &fits);
    for (qreal points = 7; !fits && points >= 5.5; points -= 0.5) {
      header = Font(points, true);
      cell = Font(points);
      widths = ColumnWidths(table, header, cell, &fits);
    }
    const qreal pad = Pt(3);
    auto rowHeight = [&](const std::vector<std::string>& row, const QFont& font) {
      const QFontMetricsF metrics = Metrics(font);
      qreal height = 0;
      for (size_t c = 0; c < widths.size() && c < row.size(); ++c) {
        const QString shown = ToQString(row[c]);
        // A cell on one line is as high as a line; only one that wraps is laid out.
        const bool oneLine = !shown.contains('\n') && metrics.horizontalAdvance(shown) <= widths[c] - 2 * pad;
        height = std::max(height, oneLine ? metrics.height() : TextHeight(font, widths[c] - 2 * pad, shown));
      }
      return height + 2 * pad;
    };
    auto paintRow = [&](const std::vector<std::string>& row, const QFont& font, qreal height, bool shaded) {
      if (!painter_) return;
      qreal x = 0;
      if (shaded)
        painter_->fillRect(QRectF(0, y_, std::accumulate(widths.begin(), widths.end(), qreal(0)), height),
                           QColor(230, 230, 230));
      painter_->setPen(QPen(Qt::gray, Pt(0.5)));
      for (size_t c = 0; c < widths.size(); ++c) {
        painter_->drawRect(QRectF(x, y_, widths[c], height));
        if (c < row.size())
          Text(font, QRectF(x + pad, y_ + pad, widths[c] - 2 * pad, height - 2 * pad), ToQString(row[c]));
        x += widths[c];
        painter_->setPen(QPen(Qt::gray, Pt(0.5)));
      }
    };
    const qreal headerHeight = rowHeight(table.Columns, header);
    Need(headerHeight + rowHeight(table.Rows.empty() ? table.Columns : table.Rows.front(), cell));
    paintRow(table.Columns, header, headerHeight, true);
    y_ += headerHeight;
    for (const auto& row : table.Rows) {
      const qreal height = rowHeight(row, cell);
      if (y_ + height > bottom_) {
        // The header again at the top of the next page.
        NewPage();
        paintRow(table.Columns, header, headerHeight, true);
        y_ += headerHeight;
      }
      paintRow(row, cell, height, false);
      y_ += height;
    }
    y_ += Pt(8);
  }

  void Preformatted(const TStringList& lines, const std::vector<size_t>& runs) {
    const QFontMetricsF metrics = Metrics(mono_);
    const qreal lineHeight = metrics.lineSpacing();
    const int columns = std::max(20, static_cast<int>(width_ / metrics.horizontalAdvance(QChar('M'))));
    // A run that fits on a page starts on a new one rather than be split.
    std::vector<size_t> runStarts;
    for (size_t start = 0, k = 0; k < runs.size(); start += runs[k++]) runStarts.push_back(start);
    size_t nextRun = 0;
    for (size_t index = 0; index < lines.size(); ++index) {
      const std::string& line = lines[index];
      if (nextRun < runStarts.size() && runStarts[nextRun] == index) {
        qreal height = 0;
        for (size_t k = index; k < std::min(lines.size(), index + runs[nextRun]); ++k) {
          // The pieces a line is broken into, at most one per page width.
          const size_t pieces = 1 + lines[k].size() / static_cast<size_t>(columns);
          height += lineHeight * static_cast<qreal>(pieces);
        }
        if (height <= bottom_) Need(height);
        ++nextRun;
      }
      QString rest = ToQString(line);
      // A line longer than the page goes on below, indented, not cut.
      do {
        Need(lineHeight);
        // Broken at the last space that fits, where there is one far enough on.
        qsizetype cut = rest.size() <= columns ? rest.size() : rest.lastIndexOf(' ', columns);
        if (cut < columns / 2) cut = std::min<qsizetype>(columns, rest.size());
        const QString piece = rest.left(cut);
        rest = rest.mid(cut);
        while (rest.startsWith(' ') && cut < columns) rest.remove(0, 1);
        if (painter_ && !piece.isEmpty()) {
          painter_->setFont(mono_);
          painter_->setPen(Qt::black);
          painter_->drawText(QPointF(0, y_ + metrics.ascent()), piece);
        }
        y_ += lineHeight;
        if (!rest.isEmpty()) rest.prepend("    ");
      } while (!rest.isEmpty());
    }
    y_ += Pt(8);
  }

  // The part scaled to the page's width; taller than what is left of the
  // page, it starts on a new one, and taller than a page it goes on over
  // as many as it needs.
  void Drawing(const TDocDrawing& part) {
    if (part.Width <= 0 || part.Bottom <= part.Top) return;
    const qreal scale = width_ / part.Width;
    const qreal height = (part.Bottom - part.Top) * scale;
    if (y_ > 0 && y_ + height > bottom_ && height <= bottom_) NewPage();
    QFont canvasFont = QGuiApplication::font();
    canvasFont.setPointSizeF(CanvasPointSize);
    qreal from = part.Top;  // canvas y of the band still to draw
    while (from < part.Bottom) {
      if (bottom_ - y_ < Pt(60)) NewPage();
      const qreal band = std::min<qreal>(part.Bottom - from, (bottom_ - y_) / scale);
      if (painter_) {
        painter_->save();
        painter_->setClipRect(QRectF(0, y_, width_, band * scale));
        painter_->translate(0, y_ - from * scale);
        painter_->scale(scale, scale);
        painter_->setFont(canvasFont);
        const qreal to = from + band;
        for (const TWire& wire : part.Wires) {
          if (wire.Top < to && wire.Top + wire.Height > from) PaintWire(*painter_, wire);
        }
        for (const TTileLook& look : part.Tiles) {
          if (look.Top < to && look.Top + look.Height > from)
            PaintTile(*painter_, look, QPointF(look.Left, look.Top), canvasFont, {true, 1.0});
        }
        // Under each tile what a black and white page cannot show by colour.
        QFont noteFont = canvasFont;
        noteFont.setPointSizeF(CanvasPointSize * 0.8);
        painter_->setFont(noteFont);
        painter_->setPen(Qt::black);
        const QFontMetricsF noteMetrics(noteFont, &device_);
        for (const TDocDrawing::TNote& note : part.Notes) {
          if (note.Top >= to || note.Top + noteMetrics.lineSpacing() * 2 <= from) continue;
          const qreal room = note.Width + 24;
          const qreal left = note.Left + note.Width / 2.0 - room / 2;
          const QString name = noteMetrics.elidedText(ToQString(note.Name), Qt::ElideRight, room);
          painter_->drawText(QRectF(left, note.Top, room, noteMetrics.lineSpacing()), Qt::AlignHCenter | Qt::AlignTop,
                             name);
          painter_->drawText(QRectF(left, note.Top + noteMetrics.lineSpacing(), room, noteMetrics.lineSpacing()),
                             Qt::AlignHCenter | Qt::AlignTop, ToQString(note.Status));
        }
        painter_->restore();
      }
      y_ += band * scale;
      from += band;
      if (from < part.Bottom) NewPage();
    }
    y_ += Pt(10);
  }

  void Signature(const TDocBlock& block) {
    const qreal row = Pt(34);
    Need(Pt(30) + row * static_cast<qreal>(block.Pairs.size()));
    y_ += Pt(16);
    const QFont key = Font(10, true);
    for (const auto& [role, name] : block.Pairs) {
      Text(key, QRectF(0, y_, Pt(80), row), ToQString(role));
      Text(body_, QRectF(Pt(80), y_, width_ * 0.45 - Pt(80), row), ToQString(name));
      if (painter_) {
        const qreal line = y_ + Pt(20);
        painter_->setPen(QPen(Qt::black, Pt(0.5)));
        painter_->drawLine(QPointF(width_ * 0.5, line), QPointF(width_, line));
        Text(small_, QRectF(width_ * 0.5, line + Pt(1), width_ * 0.5, Pt(10)),
             role == "Date" ? QString("Date") : QString("Signature"));
      }
      y_ += row;
    }
  }

  QPagedPaintDevice& device_;
  QPainter* painter_;
  int pages_;
  qreal pt_;
  qreal width_ = 0;
  qreal bottom_ = 0;
  QFont body_, small_, mono_;
  QString footer_;
  int page_ = 1;
  qreal y_ = 0;
};

}  // namespace

QPageLayout DocumentPageLayout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                     QPageLayout::Millimeter);
}

namespace {

// A text as a PDF string: UTF-16 with its byte-order mark, in hex, which
// holds any character and needs no escapes.
std::string PdfText(const std::string& text) {
  std::string hex = "<FEFF";
  for (const char16_t unit : ToQString(text).toStdU16String()) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(unit));
    hex += digits;
  }
  return hex + ">";
}

std::string XmlText(const std::string& text) { return ToQString(text).toHtmlEscaped().toUtf8().toStdString(); }

// The document's title, author and subject as XMP, which a viewer reads first.
QByteArray XmpOf(const TDocument& document) {
  const std::string xmp =
      "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
      "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
      "<rdf:Description rdf:about='' xmlns:dc='http://purl.org/dc/elements/1.1/' "
      "xmlns:pdf='http://ns.adobe.com/pdf/1.3/'>"
      "<dc:title><rdf:Alt><rdf:li xml:lang='x-default'>" +
      XmlText(document.Title) +
      "</rdf:li></rdf:Alt></dc:title>"
      "<dc:creator><rdf:Seq><rdf:li>" +
      XmlText(document.Author) +
      "</rdf:li></rdf:Seq></dc:creator>"
      "<dc:description><rdf:Alt><rdf:li xml:lang='x-default'>" +
      XmlText(document.Subject) +
      "</rdf:li></rdf:Alt></dc:description>"
      "<pdf:Producer>Voltaris</pdf:Producer>"
      "</rdf:Description></rdf:RDF></x:xmpmeta>\n<?xpacket end='w'?>";
  return QByteArray::fromStdString(xmp);
}

// Appends to a finished PDF an update whose information dictionary holds the
// document's title, author and subject, which the writer cannot set itself:
// the file keeps every byte it had, and a reader takes the newest
// dictionary. Left as it is where its trailer cannot be read.
void AddInformation(QByteArray& pdf, const TDocument& document) {
  const qsizetype startxref = pdf.lastIndexOf("startxref");
  const qsizetype trailer = pdf.lastIndexOf("trailer");
  if (startxref < 0 || trailer < 0 || trailer > startxref) return;
  const QByteArray dictionary = pdf.mid(trailer, startxref - trailer);
  const auto numberAfter = [&dictionary](const char* key) -> long {
    const qsizetype at = dictionary.indexOf(key);
    if (at < 0) return -1;
    return std::strtol(dictionary.constData() + at + std::strlen(key), nullptr, 10);
  };
  const long size = numberAfter("/Size");
  const long root = numberAfter("/Root");
  const long previous = std::strtol(pdf.constData() + startxref + 9, nullptr, 10);
  if (size <= 0 || root <= 0 || previous <= 0) return;
  if (!pdf.endsWith('\n')) pdf.append('\n');
  const qsizetype object = pdf.size();
  std::string update = std::to_string(size) + " 0 obj\n<< /Title " + PdfText(document.Title) + " /Author " +
                       PdfText(document.Author) + " /Subject " + PdfText(document.Subject) +
                       " /Creator (Voltaris) /Producer (Voltaris) >>\nendobj\n";
  const qsizetype xref = object + static_cast<qsizetype>(update.size());
  char entry[32];
  std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(object));
  update += "xref\n" + std::to_string(size) + " 1\n" + entry + "trailer\n<< /Size " + std::to_string(size + 1) +
            " /Root " + std::to_string(root) + " 0 R /Info " + std::to_string(size) + " 0 R /Prev " +
            std::to_string(previous) + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  pdf.append(update.data(), static_cast<qsizetype>(update.size()));
}

}  // namespace

int PaintDocument(const TDocument& document, QPagedPaintDevice& device) {
  const int pages = TLayout(device, nullptr, 0).Run(document);
  QPainter painter;
  if (!painter.begin(&device)) throw std::runtime_error("the document cannot be painted on this device");
  painter.setRenderHint(QPainter::Antialiasing);
  TLayout(device, &painter, pages).Run(document);
  painter.end();
  return pages;
}

int CountDocumentPages(const TDocument& document, const QPageLayout& layout) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setPageLayout(layout);
  writer.setResolution(DocumentResolution);
  return TLayout(writer, nullptr, 0).Run(document);
}

TBytes DocumentPdf(const TDocument& document, const QPageLayout& layout, const std::string& title) {
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(layout);
    writer.setResolution(DocumentResolution);
    writer.setTitle(ToQString(document.Title.empty() ? title : document.Title));
    writer.setCreator("Voltaris");
    writer.setDocumentXmpMetadata(XmpOf(document));
    PaintDocument(document, writer);
  }
  AddInformation(bytes, document);
  return TBytes(bytes.begin(), bytes.end());
}

void SaveDocumentPdf(const TDocument& document, const std::string& path, const QPageLayout& layout,
                     const std::string& title) {
  TStream(DocumentPdf(document, layout, title)).ReplaceFile(path);
}

}  // namespace voltaris
