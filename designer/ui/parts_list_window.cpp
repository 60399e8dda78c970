#include "designer/ui/parts_list_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "ui/qt_text.h"

namespace voltaris {

namespace {

constexpr int ItemColumn = 1;
constexpr int QuantityColumn = 2;

}  // namespace

TPartsListWindow::TPartsListWindow(QWidget* parent)
    : QDialog(parent),
      tblParts_(new QTableWidget(this)),
      btnCopy_(new QPushButton(tr("Copy"), this)),
      btnExportCsv_(new QPushButton(tr("Export CSV..."), this)),
      btnDone_(new QPushButton(tr("Done"), this)) {
  setObjectName(QStringLiteral("PartsListWindow"));
  tblParts_->setObjectName(QStringLiteral("tblParts"));
  btnCopy_->setObjectName(QStringLiteral("btnCopy"));
  btnExportCsv_->setObjectName(QStringLiteral("btnExportCsv"));
  btnDone_->setObjectName(QStringLiteral("btnDone"));
  btnExportCsv_->setVisible(false);
  for (QPushButton* button : {btnCopy_, btnExportCsv_, btnDone_}) button->setAutoDefault(false);

  // Read and copied, never edited: whole rows are selected, as they are copied.
  tblParts_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblParts_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tblParts_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tblParts_->setWordWrap(false);
  tblParts_->verticalHeader()->setVisible(false);
  // Rows as close as a list's, so that a whole design's list shows at once;
  // the item's column takes the width left over.
  tblParts_->verticalHeader()->setDefaultSectionSize(tblParts_->fontMetrics().height() + 6);
  tblParts_->horizontalHeader()->setStretchLastSection(false);
  tblParts_->setMinimumSize(560, 560);
  tblParts_->installEventFilter(this);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnCopy_);
  buttons->addStretch();
  buttons->addWidget(btnExportCsv_);
  buttons->addWidget(btnDone_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tblParts_);
  layout->addLayout(buttons);

  connect(btnCopy_, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(CopiedText(true)); });
  connect(btnDone_, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnExportCsv_, &QPushButton::clicked, this, [this] {
    if (exportCsv_) exportCsv_();
  });
}

void TPartsListWindow::SetExportCommand(std::function<void()> exportCsv) {
  exportCsv_ = std::move(exportCsv);
  btnExportCsv_->setVisible(static_cast<bool>(exportCsv_));
}

void TPartsListWindow::SetPartsList(const TPartsList& parts) {
  const TDocTable table = PartsListTable(parts);
  tblParts_->clear();
  tblParts_->setColumnCount(static_cast<int>(table.Columns.size()));
  tblParts_->setRowCount(static_cast<int>(table.Rows.size()));
  tblParts_->setHorizontalHeaderLabels(ToQStringList(table.Columns));
  for (size_t r = 0; r < table.Rows.size(); ++r) {
    for (size_t c = 0; c < table.Rows[r].size() && c < table.Columns.size(); ++c) {
      auto* item = new QTableWidgetItem(ToQString(table.Rows[r][c]));
      if (c == QuantityColumn) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      tblParts_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  tblParts_->resizeColumnsToContents();
  tblParts_->horizontalHeader()->setSectionResizeMode(ItemColumn, QHeaderView::Stretch);
}

void TPartsListWindow::ShowPartsList(const std::string& caption, const TPartsList& parts) {
  setWindowTitle(ToQString(caption));
  SetPartsList(parts);
  tblParts_->clearSelection();
  tblParts_->setCurrentItem(nullptr);
  tblParts_->setFocus();
  exec();
}

QString TPartsListWindow::CopiedText(bool all) const {
  const auto line = [this](int row) {
    QStringList cells;
    for (int c = 0; c < tblParts_->columnCount(); ++c) {
      const QTableWidgetItem* item = tblParts_->item(row, c);
      cells << (item ? item->text() : QString());
    }
    return cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
  };
  QString text;
  if (all) {
    QStringList header;
    for (int c = 0; c < tblParts_->columnCount(); ++c) header << tblParts_->horizontalHeaderItem(c)->text();
    text = header.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int row = 0; row < tblParts_->rowCount(); ++row) text += line(row);
    return text;
  }
  // In the table's order, whatever order they were selected in.
  std::set<int> rows;
  for (const QModelIndex& index : tblParts_->selectionModel()->selectedIndexes()) rows.insert(index.row());
  for (int row : rows) text += line(row);
  return text;
}

bool TPartsListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tblParts_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    const QString text = CopiedText(false);
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace voltaris
