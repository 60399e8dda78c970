#include "calculator/ui/column_list.h"

#include <QHeaderView>
#include <algorithm>
#include <QScrollBar>
#include <QStyle>

#include "ui/qt_text.h"

namespace voltaris {

namespace {

Qt::Alignment AlignmentOf(const TListColumn& column) {
  return (column.Centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

TColumnList::TColumnList(std::initializer_list<TListColumn> columns, QWidget* parent)
    : QTreeWidget(parent), columns_(columns) {
  setColumnCount(static_cast<int>(columns_.size()));
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setTextElideMode(Qt::ElideRight);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  QTreeWidgetItem* header = headerItem();
  for (int c = 0; c < columnCount(); ++c) {
    const TListColumn& column = columns_[static_cast<size_t>(c)];
    header->setText(c, QString::fromLatin1(column.Header));
    header->setTextAlignment(c, AlignmentOf(column));
  }
  QHeaderView* head = this->header();
  head->setStretchLastSection(false);
  head->setSectionsMovable(false);
  head->setSectionsClickable(false);
  for (int c = 0; c < columnCount(); ++c) {
    head->setSectionResizeMode(c, QHeaderView::Fixed);
    head->resizeSection(c, columns_[static_cast<size_t>(c)].Width);
  }
}

QTreeWidgetItem* TColumnList::MakeItem(const std::string& line, int row) const {
  auto* item = new QTreeWidgetItem;
  const QStringList cells = ToQString(line).split(QLatin1Char('\t'));
  const int last = columnCount() - 1;
  for (int c = 0; c < cells.size(); ++c) {
    const int column = std::min(c, last);
    // Cells beyond the last column join it rather than vanish.
    const QString text = c > last ? item->text(last) + QLatin1Char(' ') + cells[c] : cells[c];
    item->setText(column, text);
    item->setToolTip(column, text);
  }
  const QColor tint = ToQColor(ColourListTint);
  for (int c = 0; c <= last; ++c) {
    item->setTextAlignment(c, AlignmentOf(columns_[static_cast<size_t>(c)]));
    if (row % 2 == 1) item->setBackground(c, tint);
  }
  if (lineHeight_ > 0) item->setSizeHint(0, QSize(0, lineHeight_));
  return item;
}

void TColumnList::SetLines(const TStringList& lines) {
  if (lines == lines_ && topLevelItemCount() == static_cast<int>(lines.size())) return;
  lines_ = lines;
  clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(lines.size()));
  for (size_t k = 0; k < lines.size(); ++k) items.append(MakeItem(lines[k], static_cast<int>(k)));
  addTopLevelItems(items);
}

void TColumnList::MarkLines(int first, int count, const QString& tip) {
  for (int row = 0; row < topLevelItemCount(); ++row) {
    QTreeWidgetItem* item = topLevelItem(row);
    const bool marked = row >= first && row < first + count;
    for (int c = 0; c < columnCount(); ++c) {
      QFont font = item->font(c);
      if (font.italic() != marked) {
        font.setItalic(marked);
        item->setFont(c, font);
      }
      item->setToolTip(c, marked ? tip : item->text(c));
    }
  }
}

void TColumnList::SelectLine(int index) {
  QTreeWidgetItem* item = index >= 0 ? topLevelItem(index) : nullptr;
  if (!item) {
    clearSelection();
    setCurrentItem(nullptr);
    return;
  }
  setCurrentItem(item);
  scrollToItem(item);
}

void TColumnList::showEvent(QShowEvent* event) {
  QTreeWidget::showEvent(event);
  scrollToTop();
  if (QTreeWidgetItem* item = currentItem()) scrollToItem(item, QAbstractItemView::PositionAtCenter);
}

int TColumnList::SelectedLine() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

void TColumnList::SetLineHeight(int pixels) {
  lineHeight_ = pixels;
  const QSize hint = pixels > 0 ? QSize(0, pixels) : QSize();
  for (int k = 0; k < topLevelItemCount(); ++k) topLevelItem(k)->setSizeHint(0, hint);
}

int TColumnList::ColumnsWidth() const {
  int width = 0;
  for (const TListColumn& column : columns_) width += column.Width;
  return width;
}

int TColumnList::FullWidth() const {
  return ColumnsWidth() + 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

}  // namespace voltaris
