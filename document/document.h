// The printed record of a design, described without any toolkit: a list of
// blocks (headings, key and value lines, the verdict, tables, preformatted
// text, the drawing as tiles and cable runs, the signature block) and the
// footer every page carries. The Qt painter (document/ui/) lays it out on
// pages, the same for the printer and for PDF.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "model/tile_look.h"
#include "model/wire.h"

namespace voltaris {

class TCanvas;
struct TDesignAdvice;
class TControlPanel;
class TPowerModule;
struct TSourceAdvice;

struct TDocTable {
  std::vector<std::string> Columns;
  std::vector<std::vector<std::string>> Rows;  // each as many cells as there are columns
};

// A part of the canvas: the tiles and cable runs within its band, in canvas
// pixels; the painter scales the canvas's width to the page's.
struct TDocDrawing {
  int Top = 0;  // the band of the canvas this part shows
  int Bottom = 0;
  int Width = 0;  // the canvas width every part is scaled by
  std::vector<TTileLook> Tiles;
  std::vector<TWire> Wires;
  // What a printed page may show only in colour, in words under each tile:
  // a device's location and light, a supply's name and light.
  struct TNote {
    int Left = 0;  // the tile's left edge, width and bottom edge
    int Width = 0;
    int Top = 0;
    std::string Name;
    std::string Status;
  };
  std::vector<TNote> Notes;
};

enum class TDocBlockKind { Title, Heading, KeyValues, Verdict, Table, Preformatted, Drawing, Signature, PageBreak };

struct TDocBlock {
  TDocBlockKind Kind = TDocBlockKind::Heading;
  std::string Text;                                        // title, heading, verdict
  uint8_t Status = 0;                                      // the verdict's light
  std::vector<std::pair<std::string, std::string>> Pairs;  // key and value lines; signature roles
  TDocTable Table;
  TStringList Lines;  // preformatted text, in a fixed-pitch font
  // The lines in runs kept on one page (a device's entry of the report):
  // each the number of lines of its run, in order. Empty: none kept together.
  std::vector<size_t> Runs;
  bool KeepTogether = false;  // key and value lines that stay on one page
  TDocDrawing Drawing;
};

struct TDocument {
  std::string FooterText;  // on every page, beside "Page n of m"
  // What the file says of itself (a PDF's title, author and subject).
  std::string Title;
  std::string Author;
  std::string Subject;
  std::vector<TDocBlock> Blocks;
};

// What the document is made of besides the design itself.
struct TDocumentSource {
  TControlPanel& Panel;
  TCanvas& Canvas;
  std::string SiteRef;
  std::string FileName;
  std::string Date;  // the user's short date
  // The report exactly as the report window shows it (see SystemReportLines).
  TStringList Report;
};

// The document of the open design: page 1 with the project and the verdict,
// the battery worksheet, the parts list, the drawing of every network, the
// report and the signature block. Figures come from the model as it stands; nothing changes.
TDocument BuildDocument(const TDocumentSource& source);

// The battery worksheet: one row per power source, the control panel first,
// then every supply in the order the panel lists them.
TDocTable BatteryWorksheet(const TControlPanel& panel);
// Per source: the recharge to 80 % against the grade's limit, with empty
// boxes for what is measured on site (the standby current with the mains
// off, the battery's voltage, the date the battery was fitted and its
// replace-by date).
TDocTable RechargeRecord(const TControlPanel& panel, const TCanvas& canvas, const TDesignAdvice& advice);
// Per powered device: its voltages on battery against its minimum, with an
// empty box for the voltage measured at the device.
TDocTable OnBatteryRecord(const TCanvas& canvas, const TDesignAdvice& advice);

// How the battery worksheet's figures of one source are worked out: one
// line each, as key and figures, so that an inspector can redo them.
std::vector<std::pair<std::string, std::string>> WorksheetWorking(const TPowerModule& module,
                                                                  const TSourceAdvice& advice);

// One row per network device, parents before what hangs on them: where it
// is, what feeds it, its cable and currents and the voltages they leave it.
// Every voltage is what feeds it less (own + downstream current) x length x
// ohms per 100 m / 100.
TDocTable DeviceTable(const TCanvas& canvas, const TDesignAdvice& advice);
// The table as plain text in columns, for the report tool.
TStringList TableText(const TDocTable& table);

// The report's lines in runs kept on one page: a device's entry from its
// "Name:" line to the line under it, every other run up to a blank line.
std::vector<size_t> ReportRuns(const TStringList& lines);

// The verdict of page 1: "All Green", or the number of problems by light.
std::string DesignVerdict(const TControlPanel& panel, const TCanvas& canvas, uint8_t* worst = nullptr);

// The canvas in bands, one per network section (from a network block's top
// to the next one's), each with the tiles and runs it reaches and the notes
// under them. A band holding nothing but its network block is left out and
// the network's name added to `unused` (when given).
std::vector<TDocDrawing> DrawingParts(const TCanvas& canvas, TStringList* unused = nullptr);

}  // namespace voltaris
