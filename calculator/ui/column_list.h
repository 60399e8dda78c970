// A multi-column list of tab-separated lines, as the load lists and the
// device picker show them: fixed column widths under a header, every second
// line tinted, cells too long for their column cut with an ellipsis.
#pragma once

#include <QTreeWidget>
#include <initializer_list>
#include <vector>

#include "catalogue/catalogue.h"

namespace voltaris {

struct TListColumn {
  const char* Header;
  int Width;  // pixels
  bool Centred;
};

class TColumnList : public QTreeWidget {
  Q_OBJECT

 public:
  TColumnList(std::initializer_list<TListColumn> columns, QWidget* parent = nullptr);

  // Shows `lines`, each split at its tabs into the columns (text beyond the
  // last column stays in it). Leaves the list alone when it shows them
  // already, so that refreshing keeps the scroll position.
  void SetLines(const TStringList& lines);
  // Shows lines `first` to `first + count - 1` in italics, each with
  // `tip` when the pointer rests on it; every other line upright, with its
  // cells' own tips. Lines shown afresh start upright.
  void MarkLines(int first, int count, const QString& tip);
  // Selects line `index` and scrolls it into view; -1 (or a line that does
  // not exist) clears the selection.
  void SelectLine(int index);
  // The selected line, -1 for none.
  int SelectedLine() const;
  // The height of every line, pixels; 0 lets the style decide.
  void SetLineHeight(int pixels);
  // The width of the columns together, pixels.
  int ColumnsWidth() const;
  // The width the list needs to show every column beside a vertical scroll bar.
  int FullWidth() const;

 protected:
  // Brings the selected line into view once the list has its real size.
  void showEvent(QShowEvent* event) override;

 private:
  QTreeWidgetItem* MakeItem(const std::string& line, int row) const;

  std::vector<TListColumn> columns_;
  TStringList lines_;
  int lineHeight_ = 0;
};

}  // namespace voltaris
