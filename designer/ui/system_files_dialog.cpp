#include "designer/ui/system_files_dialog.h"

#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "designer/ui/project_name_dialog.h"
#include "ui/qt_text.h"

namespace voltaris {

TSystemFilesDialog::TSystemFilesDialog(TSystemFilesPresenter& presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      presenter_(presenter),
      lvFiles_(new QTreeWidget(this)),
      btnDelete_(new QPushButton(tr("Delete"), this)),
      btnNew_(new QPushButton(tr("New"), this)),
      btnOK_(new QPushButton(tr("OK"), this)),
      btnCancel_(new QPushButton(tr("Cancel"), this)),
      btnDuplicate_(new QPushButton(tr("Duplicate..."), this)),
      btnRename_(new QPushButton(tr("Rename..."), this)),
      nameDialog_(new TProjectNameDialog(presenter.NameDialog(), this)) {
  setWindowTitle(QStringLiteral("System Files"));
  setObjectName(QStringLiteral("SystemFilesDialog"));
  lvFiles_->setObjectName(QStringLiteral("lvFiles"));
  btnDelete_->setObjectName(QStringLiteral("btnDelete"));
  btnNew_->setObjectName(QStringLiteral("btnNew"));
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  btnDuplicate_->setObjectName(QStringLiteral("btnDuplicate"));
  btnRename_->setObjectName(QStringLiteral("btnRename"));

  lvFiles_->setColumnCount(4);
  lvFiles_->setHeaderLabels({tr("Panel Type"), tr("File Name"), tr("Site Reference"), tr("Date Created")});
  lvFiles_->setRootIsDecorated(false);
  lvFiles_->setUniformRowHeights(true);
  lvFiles_->setAllColumnsShowFocus(true);
  lvFiles_->setSelectionMode(QAbstractItemView::SingleSelection);
  lvFiles_->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvFiles_->setSortingEnabled(false);  // the index order: the order the projects were first saved
  lvFiles_->header()->setSectionsMovable(false);
  lvFiles_->header()->setStretchLastSection(true);
  lvFiles_->setColumnWidth(0, 150);
  lvFiles_->setColumnWidth(1, 120);
  lvFiles_->setColumnWidth(2, 220);
  lvFiles_->setMinimumSize(620, 260);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnDelete_);
  buttons->addWidget(btnDuplicate_);
  buttons->addWidget(btnRename_);
  buttons->addStretch();
  buttons->addWidget(btnNew_);
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnCancel_);
  btnOK_->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lvFiles_);
  layout->addLayout(buttons);

  setTabOrder(lvFiles_, btnDelete_);
  setTabOrder(btnDelete_, btnDuplicate_);
  setTabOrder(btnDuplicate_, btnRename_);
  setTabOrder(btnRename_, btnNew_);
  setTabOrder(btnNew_, btnOK_);
  setTabOrder(btnOK_, btnCancel_);

  connect(lvFiles_, &QTreeWidget::itemSelectionChanged, this, &TSystemFilesDialog::SelectionChanged);
  connect(lvFiles_, &QTreeWidget::itemDoubleClicked, this, &TSystemFilesDialog::RowDoubleClicked);
  connect(btnDelete_, &QPushButton::clicked, this, &TSystemFilesDialog::DeleteClicked);
  connect(btnDuplicate_, &QPushButton::clicked, this, &TSystemFilesDialog::DuplicateClicked);
  connect(btnRename_, &QPushButton::clicked, this, &TSystemFilesDialog::RenameClicked);
  connect(btnNew_, &QPushButton::clicked, this, &TSystemFilesDialog::NewClicked);
  connect(btnOK_, &QPushButton::clicked, this, &TSystemFilesDialog::OkClicked);
  connect(btnCancel_, &QPushButton::clicked, this, &TSystemFilesDialog::CancelClicked);
}

void TSystemFilesDialog::Run() {
  Refresh();
  lvFiles_->setFocus();
  exec();
  // Every way out goes through a button; should the window be closed some
  // other way, the caller still gets the Cancel button's result.
  if (presenter_.Result() == TModalResult::None) presenter_.Cancel();
}

void TSystemFilesDialog::reject() { CancelClicked(); }

void TSystemFilesDialog::Refresh() {
  const QSignalBlocker blocker(lvFiles_);
  lvFiles_->clear();
  for (const TIndexEntry& row : presenter_.Rows()) {
    new QTreeWidgetItem(lvFiles_, {ToQString(row.PanelType), ToQString(row.FileName),
                                   ToQString(row.SiteRef), ToQString(row.DateCreated)});
  }
  const int selected = presenter_.SelectedRow();
  if (selected >= 0) {
    lvFiles_->setCurrentItem(lvFiles_->topLevelItem(selected));
  } else {
    lvFiles_->setCurrentItem(nullptr);
    lvFiles_->clearSelection();
  }
}

void TSystemFilesDialog::SelectionChanged() {
  const QList<QTreeWidgetItem*> selected = lvFiles_->selectedItems();
  presenter_.Select(selected.isEmpty() ? -1 : lvFiles_->indexOfTopLevelItem(selected.front()));
}

void TSystemFilesDialog::RowDoubleClicked() {
  // The double click has selected the row already: open it as OK would.
  SelectionChanged();
  OkClicked();
}

void TSystemFilesDialog::OkClicked() {
  if (presenter_.Ok()) done(QDialog::Accepted);
}

void TSystemFilesDialog::DeleteClicked() {
  presenter_.Delete();
  Refresh();
}

void TSystemFilesDialog::DuplicateClicked() {
  const QString today = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
  presenter_.Duplicate([this](TProjectNamePresenter&) { nameDialog_->Run(); }, ToStdString(today));
  Refresh();
}

void TSystemFilesDialog::RenameClicked() {
  presenter_.Rename([this](TProjectNamePresenter&) { nameDialog_->Run(); });
  Refresh();
}

void TSystemFilesDialog::NewClicked() {
  presenter_.New();
  done(QDialog::Accepted);
}

void TSystemFilesDialog::CancelClicked() {
  presenter_.Cancel();
  done(QDialog::Rejected);
}

}  // namespace voltaris
