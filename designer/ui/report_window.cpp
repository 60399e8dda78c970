#include "designer/ui/report_window.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "designer/ui/message_box_sink.h"
#include "project_io/report_file.h"
#include "ui/code_page_validator.h"
#include "ui/qt_text.h"

namespace voltaris {

TReportWindow::TReportWindow(QWidget* parent)
    : QDialog(parent),
      Memo1_(new QPlainTextEdit(this)),
      btnSaveReport_(new QPushButton(tr("Save Report"), this)),
      btnPrint_(new QPushButton(tr("Print..."), this)),
      btnExportPdf_(new QPushButton(tr("Export PDF..."), this)),
      btnDone_(new QPushButton(tr("Done"), this)) {
  setObjectName(QStringLiteral("ReportWindow"));
  Memo1_->setObjectName(QStringLiteral("Memo1"));
  RefuseCharactersOutsideCodePage(Memo1_);
  btnSaveReport_->setObjectName(QStringLiteral("btnSaveReport"));
  btnDone_->setObjectName(QStringLiteral("btnDone"));
  btnPrint_->setObjectName(QStringLiteral("btnPrint"));
  btnExportPdf_->setObjectName(QStringLiteral("btnExportPdf"));
  btnPrint_->setVisible(false);
  btnExportPdf_->setVisible(false);
  btnPrint_->setAutoDefault(false);
  btnExportPdf_->setAutoDefault(false);

  // A fixed-pitch font keeps the report's columns under each other.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (!QFontInfo(fixed).fixedPitch()) {
    // Where the platform's fixed font is not fixed after all, take the first
    // installed family that is.
    for (const QString& family : QFontDatabase::families()) {
      if (!QFontDatabase::isFixedPitch(family)) continue;
      fixed.setFamily(family);
      break;
    }
  }
  Memo1_->setFont(fixed);
  Memo1_->setFixedSize(MemoWidth, MemoHeight);
  Memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnPrint_);
  buttons->addWidget(btnExportPdf_);
  buttons->addWidget(btnSaveReport_);
  buttons->addWidget(btnDone_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo1_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Return in the text box starts a new line; only a click saves or closes.
  btnSaveReport_->setAutoDefault(false);
  btnDone_->setAutoDefault(false);

  ChooseFile = [this](const std::string& directory, const std::string& fileName) {
    return AskFileName(directory, fileName);
  };

  connect(btnSaveReport_, &QPushButton::clicked, this, &TReportWindow::SaveClicked);
  connect(btnDone_, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnPrint_, &QPushButton::clicked, this, [this] {
    if (print_) print_();
  });
  connect(btnExportPdf_, &QPushButton::clicked, this, [this] {
    if (exportPdf_) exportPdf_();
  });
}

void TReportWindow::SetDocumentCommands(std::function<void()> print, std::function<void()> exportPdf) {
  print_ = std::move(print);
  exportPdf_ = std::move(exportPdf);
  btnPrint_->setVisible(static_cast<bool>(print_));
  btnExportPdf_->setVisible(static_cast<bool>(exportPdf_));
}

void TReportWindow::ShowReport(const std::string& caption, const std::string& text, const std::string& directory,
                               const std::string& fileName) {
  setWindowTitle(ToQString(caption));
  // The report's lines end in CR LF; the text box keeps plain line breaks.
  QString shown = ToQString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  Memo1_->setPlainText(shown);
  Memo1_->moveCursor(QTextCursor::Start);
  Memo1_->setFocus();
  directory_ = directory;
  fileName_ = fileName;
  exec();
}

void TReportWindow::SaveClicked() {
  const std::string chosen = ChooseFile ? ChooseFile(directory_, fileName_) : std::string();
  if (chosen.empty()) return;
  try {
    SaveReportText(ReportFilePath(chosen), ToStdString(Memo1_->toPlainText()));
  } catch (const std::exception& error) {
    TMessageBoxSink(this).ShowError(error.what());
  }
}

std::string TReportWindow::AskFileName(const std::string& directory, const std::string& fileName) {
  QFileDialog dialog(this);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(tr("Text File (*.txt)"));
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.setDirectory(ToQString(directory));
  dialog.selectFile(ToQString(fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return ToStdString(dialog.selectedFiles().front());
}

}  // namespace voltaris
