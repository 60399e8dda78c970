// The program draws its pictures itself (TVectorPicture). Every picture of
// the resources is drawn here by it and by Qt's SVG module at the sizes the
// designer uses, and the two must agree pixel for pixel within the blur of
// anti-aliasing and font hinting, so that no tile, light or button changes
// its look unseen. Set VOLTARIS_SCREENSHOTS to a folder to keep both
// drawings of every picture side by side.
#include <QDirIterator>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <QtTest>

#include "drawing/pictures.h"
#include "drawing/tile_painter.h"
#include "drawing/vector_picture.h"
#include "drawing/windows_icon.h"

namespace voltaris::testing {

namespace {

QImage Blank(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

QImage DrawnByQtSvg(const QString& path, int size) {
  QImage image = Blank(size);
  QSvgRenderer renderer(path);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter, QRectF(0, 0, size, size));
  return image;
}

QImage DrawnByUs(const QString& path, int size) {
  QImage image = Blank(size);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  TVectorPicture::FromFile(path).Render(painter, QRectF(0, 0, size, size));
  return image;
}

// How far two drawings are apart: the mean difference of a channel over the
// picture (0 to 255), the share of pixels where a channel differs by more
// than a quarter of its range, and that share in the 8 by 8 block where it
// is highest (a small part drawn in another colour shows there).
struct Difference {
  double Mean = 0;
  double Far = 0;
  double FarInBlock = 0;
};

Difference Compare(const QImage& a, const QImage& b) {
  Difference difference;
  long long sum = 0;
  int far = 0;
  QHash<int, int> farInBlock;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      const int channels[] = {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))};
      int most = 0;
      for (int c : channels) {
        sum += c;
        most = std::max(most, c);
      }
      if (most > 64) {
        ++far;
        ++farInBlock[(y / 8) * 1000 + x / 8];
      }
    }
  }
  const double pixels = double(a.width()) * a.height();
  difference.Mean = double(sum) / (pixels * 4);
  difference.Far = far / pixels;
  for (int count : farInBlock) difference.FarInBlock = std::max(difference.FarInBlock, count / 64.0);
  return difference;
}

QStringList AllPictures() {
  QStringList paths{":/icon"};
  for (const QString folder : {":/devices", ":/status", ":/toolbar"}) {
    QDirIterator it(folder, QDir::Files);
    while (it.hasNext()) paths << it.next();
  }
  paths.sort();
  return paths;
}

}  // namespace

class VectorPictureTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InitPictureResources(); }

  // Each picture at the tile's size, a toolbar button's, the status light's
  // and the size of a printed tile on a 300 dpi page.
  void EveryPictureLooksAsQtSvgDrawsIt() {
    const QStringList paths = AllPictures();
    QVERIFY2(paths.size() >= 40, qPrintable(QString("only %1 pictures found").arg(paths.size())));
    const QString keep = qEnvironmentVariable("VOLTARIS_SCREENSHOTS");
    QStringList differing;
    for (const QString& path : paths) {
      QString error;
      QVERIFY2(TVectorPicture::FromFile(path, &error).IsValid(), qPrintable(error));
      for (int size : {16, 24, 64, 256}) {
        const QImage theirs = DrawnByQtSvg(path, size);
        const QImage ours = DrawnByUs(path, size);
        const Difference d = Compare(theirs, ours);
        const QString where = QString("%1 at %2 px: mean %3, far %4 %, in a block %5 %")
                                  .arg(path)
                                  .arg(size)
                                  .arg(d.Mean)
                                  .arg(d.Far * 100)
                                  .arg(d.FarInBlock * 100);
        if (qEnvironmentVariableIsSet("VOLTARIS_PICTURE_DIFFS")) qInfo("%s", qPrintable(where));
        if (!keep.isEmpty() && size == 256) {
          QImage both(512, 256, QImage::Format_ARGB32_Premultiplied);
          both.fill(Qt::white);
          QPainter painter(&both);
          painter.drawImage(0, 0, theirs);
          painter.drawImage(256, 0, ours);
          painter.end();
          both.save(keep + "/picture-" + QString(path).remove(":/").replace('/', '-') + ".png");
        }
        if (d.Mean >= 3.0 || d.Far >= 0.015 || d.FarInBlock >= 0.4) differing << where;
      }
    }
    QVERIFY2(differing.isEmpty(), qPrintable(differing.join('\n')));
  }

  // The Windows programs carry packaging/windows/voltaris.ico: each of its
  // images must still be the icon picture at that size (made again with
  // `build/app/voltaris-icon packaging/windows/voltaris.ico` when the
  // picture changes).
  void TheWindowsIconShowsTheIconPicture() {
    QFile file(VOLTARIS_WINDOWS_ICON);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
    const QByteArray ico = file.readAll();
    const auto word = [&ico](qsizetype at) { return qFromLittleEndian<quint16>(ico.constData() + at); };
    const auto dword = [&ico](qsizetype at) { return qFromLittleEndian<quint32>(ico.constData() + at); };
    QVERIFY(ico.size() > 6);
    QCOMPARE(word(2), 1);  // an icon
    const QList<int> sizes(WindowsIconSizes);
    QCOMPARE(int(word(4)), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
      const qsizetype entry = 6 + 16 * i;
      QCOMPARE(int(quint8(ico[entry])), sizes[i] % 256);
      const QImage stored = QImage::fromData(ico.mid(dword(entry + 12), dword(entry + 8)), "PNG");
      QCOMPARE(stored.size(), QSize(sizes[i], sizes[i]));
      const QImage drawn = Picture(":", "icon", QSize(sizes[i], sizes[i]), 1.0).toImage();
      const Difference d = Compare(stored.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                                   drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied));
      QVERIFY2(d.Mean < 1 && d.FarInBlock < 0.1, qPrintable(QString("%1 px: mean %2").arg(sizes[i]).arg(d.Mean)));
    }
  }

  // The pictures' lookup as the tiles use it: names in any case, a missing
  // picture drawn as nothing, and each drawing kept once made.
  void PicturesAreFoundWhateverTheCase() {
    const QPixmap upper = Picture(":/devices", "K4", QSize(64, 64), 1.0);
    const QPixmap lower = Picture(":/devices", "k4", QSize(64, 64), 1.0);
    QVERIFY(!upper.isNull());
    QCOMPARE(upper.toImage(), lower.toImage());
    QVERIFY(Picture(":/devices", "NoSuchDevice", QSize(64, 64), 1.0).isNull());
  }

  // What is not an SVG drawing is refused with a reason, never drawn half.
  void DamagedDrawingsAreRefused() {
    const QList<QPair<QByteArray, QString>> cases = {
        {"", "empty"},
        {"<html><body/></html>", "not an SVG"},
        {"<svg viewBox='0 0 10 10'><rect width='5' height='5'/>", "line"},
        {"<svg><rect width='5' height='5'/></svg>", "no size"},
    };
    for (const auto& [svg, expected] : cases) {
      QString error;
      QVERIFY(!TVectorPicture::FromSvg(svg, &error).IsValid());
      QVERIFY2(error.contains(expected), qPrintable(error));
    }
  }

  // Path data in every form SVG allows draws as the same shape: relative
  // and absolute commands, implicit lines after a move, the shorthand
  // curves, packed numbers and arc flags written without separators.
  void PathDataInItsShortFormsDrawsTheSameShape() {
    const auto draw = [](const char* d) {
      const QByteArray svg = QByteArray("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 40 40'><path d='") + d +
                             "' fill='#000'/></svg>";
      QImage image = Blank(40);
      QPainter painter(&image);
      TVectorPicture::FromSvg(svg).Render(painter, QRectF(0, 0, 40, 40));
      painter.end();
      return image;
    };
    QCOMPARE(draw("m5,5 30,0 0,30 -30,0z"), draw("M5 5 L35 5 L35 35 L5 35 Z"));
    QCOMPARE(draw("M5 5H35V35H5Z"), draw("M5 5 L35 5 L35 35 L5 35 Z"));
    QCOMPARE(draw("M5-0.5e1.5.5 10 10"), draw("M5 -5 L.5 .5 L10 10"));
    QCOMPARE(draw("M10 20a10 10 0 1020 0"), draw("M10 20 A10 10 0 1 0 30 20"));
    QCOMPARE(draw("M5 20 C5 5 20 5 20 20 S35 35 35 20Z"), draw("M5 20 C5 5 20 5 20 20 C20 35 35 35 35 20Z"));
    QCOMPARE(draw("M5 20 Q12 5 20 20 T35 20Z"), draw("M5 20 Q12 5 20 20 Q28 35 35 20Z"));
    // A half circle drawn by an arc covers half the circle's area.
    const QImage half = draw("M0 20 A20 20 0 0 0 40 20 Z");
    int dark = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) dark += qAlpha(half.pixel(x, y)) > 127;
    QVERIFY2(std::abs(dark - 628) < 25, qPrintable(QString::number(dark)));
    QVERIFY(qAlpha(half.pixel(20, 35)) > 127);  // below the diameter: the sweep goes through the bottom
    QVERIFY(qAlpha(half.pixel(20, 5)) == 0);
  }
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::VectorPictureTest)
#include "vector_picture_test.moc"
