// The one renderer of the design's drawing: a tile (colour, picture, status
// light, a panel network's outline and labels) and a cable run, painted on
// any QPainter. The canvas paints its widgets with it and the printed
// document its drawing, so that paper shows what the screen shows.
#pragma once

#include <QFont>
#include <QPointF>

#include "model/tile_look.h"
#include "model/wire.h"

class QPainter;

namespace voltaris {

// How the pictures go onto the painter: pixmaps drawn once per size for a
// screen of the given pixel ratio (fast, for the canvas), or the vector
// drawings themselves (for paper and PDF, sharp at any scale).
struct TPictureMode {
  bool Vector = false;
  qreal PixelRatio = 1.0;
};

// Paints `look` with its top-left corner at `at`, labels in `font`.
void PaintTile(QPainter& painter, const TTileLook& look, QPointF at, const QFont& font, TPictureMode pictures);

// A run is a line between the centres of its two tiles, in its pen colour,
// with its length label; nothing of it reaches outside its own rectangle.
void PaintWire(QPainter& painter, const TWire& wire);

// Registers the compiled-in pictures; a program that paints tiles without
// the main window calls it once.
void InitPictureResources();

}  // namespace voltaris
