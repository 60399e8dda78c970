#include "calculator/ui/my_devices_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include "catalogue/byte_stream.h"
#include "ui/code_page_validator.h"
#include "ui/figure_box.h"
#include "ui/key_filter.h"
#include "ui/plain_message.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {

QTableWidgetItem* Cell(const QString& text, bool number) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

TWholeFigureBox* MilliampBox(const char* name, int value, QWidget* parent) {
  auto* box = new TWholeFigureBox(0, MaxMyDeviceMilliamps, parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setSuffix(QStringLiteral(" mA"));
  box->setAlignment(Qt::AlignRight);
  box->setValue(value);
  return box;
}

// One device: its name, grade and currents per device. True for OK.
bool RunDeviceDialog(TMyDevice& device, const QString& title, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("frmMyDevice"));
  dialog.setWindowTitle(title);
  auto* name = new QLineEdit(ToQString(device.Name), &dialog);
  name->setObjectName(QStringLiteral("edName"));
  name->setMaxLength(static_cast<int>(MaxMyDeviceName));
  name->setMinimumWidth(260);
  SayWhenFull(name);
  RefuseCharactersOutsideCodePage(name);
  auto* grade = new QComboBox(&dialog);
  grade->setObjectName(QStringLiteral("cbGrade"));
  for (int g = MinMyDeviceGrade; g <= MaxMyDeviceGrade; ++g) grade->addItem(QString::number(g));
  grade->setCurrentIndex(std::clamp(device.Grade, MinMyDeviceGrade, MaxMyDeviceGrade) - MinMyDeviceGrade);
  auto* quiescent = MilliampBox("seQuiescent", device.Quiescent, &dialog);
  auto* alarm = MilliampBox("seAlarm", device.Alarm, &dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  auto* form = new QFormLayout(&dialog);
  form->addRow(QStringLiteral("Name:"), name);
  form->addRow(QStringLiteral("Grade:"), grade);
  form->addRow(QStringLiteral("Quiescent:"), quiescent);
  form->addRow(QStringLiteral("In Alarm:"), alarm);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return false;
  quiescent->interpretText();
  alarm->interpretText();
  device.Name = ToStdString(name->text().trimmed());
  device.Grade = grade->currentIndex() + MinMyDeviceGrade;
  device.Quiescent = quiescent->value();
  device.Alarm = alarm->value();
  return true;
}

}  // namespace

TfrmMyDevices::TfrmMyDevices(IMyDevicesStore& store, QWidget* parent) : QDialog(parent), editor_(store) {
  setObjectName(QStringLiteral("frmMyDevices"));
  setWindowTitle(QStringLiteral("My Devices"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* intro = new QLabel(
      QStringLiteral("Your own detectors, sounders and communicators. The device picker offers them in every "
                     "project, after the catalogue's devices; a load list keeps its own copy of what it takes."),
      this);
  intro->setWordWrap(true);
  problem_ = new QLabel(ToQString(editor_.Problem()), this);
  problem_->setObjectName(QStringLiteral("lbProblem"));
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("color: #a00000"));
  problem_->setVisible(!editor_.Problem().empty());

  table_ = new QTableWidget(0, 4, this);
  table_->setObjectName(QStringLiteral("lbMyDevices"));
  table_->setHorizontalHeaderLabels(
      {QStringLiteral("Name"), QStringLiteral("Grade"), QStringLiteral("Quiescent"), QStringLiteral("Alarm")});
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int c = 1; c < 4; ++c) table_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);

  const auto button = [this](const char* name, const char* text) {
    auto* b = new QPushButton(QString::fromLatin1(text), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* add = button("btnAdd", "Add...");
  edit_ = button("btnEdit", "Edit...");
  delete_ = button("btnDelete", "Delete");
  QPushButton* import = button("btnImport", "Import...");
  export_ = button("btnExport", "Export...");
  auto* side = new QVBoxLayout;
  for (QPushButton* b : {add, edit_, delete_}) side->addWidget(b);
  side->addSpacing(12);
  side->addWidget(import);
  side->addWidget(export_);
  side->addStretch(1);

  auto* middle = new QHBoxLayout;
  middle->addWidget(table_, 1);
  middle->addLayout(side);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* root = new QVBoxLayout(this);
  root->addWidget(intro);
  root->addWidget(problem_);
  root->addLayout(middle, 1);
  root->addWidget(buttons);

  connect(add, &QPushButton::clicked, this, &TfrmMyDevices::Add);
  connect(edit_, &QPushButton::clicked, this, &TfrmMyDevices::Edit);
  connect(delete_, &QPushButton::clicked, this, &TfrmMyDevices::Delete);
  connect(import, &QPushButton::clicked, this, &TfrmMyDevices::Import);
  connect(export_, &QPushButton::clicked, this, &TfrmMyDevices::Export);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { Edit(); });
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
    edit_->setEnabled(SelectedRow() >= 0);
    delete_->setEnabled(SelectedRow() >= 0);
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &TfrmMyDevices::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  AskDevice = [this](TMyDevice& device, const QString& title) { return RunDeviceDialog(device, title, this); };
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  AskImportFile = [this, folder] {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Import My Devices"), folder,
                                        QStringLiteral("CSV files (*.csv);;All files (*)"));
  };
  AskExportFile = [this, folder] {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Export My Devices"), folder + "/My devices.csv",
                                        QStringLiteral("CSV files (*.csv)"));
  };
  resize(560, 420);
  Refresh(0);
}

int TfrmMyDevices::SelectedRow() const {
  const QList<QTableWidgetSelectionRange> ranges = table_->selectedRanges();
  return ranges.isEmpty() ? -1 : ranges.first().topRow();
}

void TfrmMyDevices::Refresh(int select) {
  const TMyDeviceList& devices = editor_.Devices();
  table_->setRowCount(static_cast<int>(devices.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const TMyDevice& device = devices[static_cast<size_t>(row)];
    table_->setItem(row, 0, Cell(ToQString(device.Name), false));
    table_->setItem(row, 1, Cell(QString::number(device.Grade), true));
    table_->setItem(row, 2, Cell(QStringLiteral("%1 mA").arg(device.Quiescent), true));
    table_->setItem(row, 3, Cell(QStringLiteral("%1 mA").arg(device.Alarm), true));
  }
  if (select >= table_->rowCount()) select = table_->rowCount() - 1;
  if (select >= 0)
    table_->selectRow(select);
  else
    table_->clearSelection();
  edit_->setEnabled(SelectedRow() >= 0);
  delete_->setEnabled(SelectedRow() >= 0);
  export_->setEnabled(!devices.empty());
}

void TfrmMyDevices::AskUntilTaken(TMyDevice device, const QString& title,
                                  const std::function<std::string(const TMyDevice&, size_t*)>& change) {
  // A refused device comes back to the user as typed, with the reason.
  while (AskDevice(device, title)) {
    size_t place = 0;
    const std::string refusal = change(device, &place);
    if (refusal.empty()) {
      Refresh(static_cast<int>(place));
      return;
    }
    PlainMessage(QMessageBox::Warning, this, title, ToQString(refusal));
  }
}

void TfrmMyDevices::Add() {
  AskUntilTaken(TMyDevice{}, QStringLiteral("Add My Device"),
                [this](const TMyDevice& device, size_t* place) { return editor_.Add(device, place); });
}

void TfrmMyDevices::Edit() {
  const int row = SelectedRow();
  if (row < 0) return;
  AskUntilTaken(editor_.Devices()[static_cast<size_t>(row)], QStringLiteral("Edit My Device"),
                [this, row](const TMyDevice& device, size_t* place) {
                  return editor_.Replace(static_cast<size_t>(row), device, place);
                });
}

void TfrmMyDevices::Delete() {
  const int row = SelectedRow();
  if (row < 0) return;
  // Projects keep their own copies: deleting here changes no load list.
  editor_.Delete(static_cast<size_t>(row));
  Refresh(row);
}

void TfrmMyDevices::Import() {
  const QString path = AskImportFile();
  if (path.isEmpty()) return;
  const QString title = QStringLiteral("Import My Devices");
  // Only a plain file of a list's size is read: a pipe or a device would never end.
  TMyDevicesRead read;
  try {
    read = editor_.ReadImportFile(path.toLocal8Bit().toStdString());
  } catch (const FileError& failure) {
    PlainMessage(QMessageBox::Warning, this, title,
                 QStringLiteral("The file cannot be imported.\n\n") + QString::fromLocal8Bit(failure.what()));
    return;
  }
  const QString summary = ToQString(ImportSummary(read, ToStdString(QFileInfo(path).fileName())));
  if (read.Devices.empty()) {
    PlainMessage(QMessageBox::Information, this, title, summary + QStringLiteral("\n\nNothing was imported."));
    return;
  }
  if (!read.Problems.empty()) {
    const auto answer = PlainMessage(
        QMessageBox::Question, this, title,
        summary + (read.Devices.size() == 1
                       ? QStringLiteral("\n\nImport the good device and skip the lines that cannot be read?")
                       : QStringLiteral("\n\nImport the %1 good devices and skip the lines that cannot be read?")
                             .arg(read.Devices.size())),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
  }
  editor_.TakeImport(read);
  Refresh(0);
}

void TfrmMyDevices::Export() {
  const QString path = AskExportFile();
  if (path.isEmpty()) return;
  const std::string csv = editor_.ExportCsv();
  // Written beside the file and renamed over it: a failure leaves any old
  // file whole, and a link at either name is never written through.
  const std::string file = path.toLocal8Bit().toStdString();
  try {
    TStream(TBytes(csv.begin(), csv.end())).ReplaceFile(file);
  } catch (const FileError& failure) {
    std::string reason = failure.what();
    if (reason.rfind(file + ": ", 0) == 0) reason.erase(0, file.size() + 2);
    PlainMessage(QMessageBox::Warning, this, QStringLiteral("Export My Devices"),
                 QStringLiteral("%1 could not be written: %2.")
                     .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(reason)));
  }
}

void TfrmMyDevices::accept() {
  const std::string failure = editor_.Save();
  if (!failure.empty()) {
    PlainMessage(QMessageBox::Warning, this, windowTitle(),
                 QStringLiteral("My devices could not be saved; they are still here to try again.\n\n") +
                     ToQString(failure));
    return;
  }
  QDialog::accept();
}

bool RunMyDevicesDialog(IMyDevicesStore& store, QWidget* parent) {
  TfrmMyDevices dialog(store, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace voltaris
