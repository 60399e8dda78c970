#include "designer/ui/help_window.h"

#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace voltaris {

QString UserGuideText() {
  QFile file(":/help/guide.html");
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("The user guide is missing from this build.");
  return QString::fromUtf8(file.readAll());
}

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("HelpWindow");
  setWindowTitle("Voltaris User Guide");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  resize(720, 640);
  auto* layout = new QVBoxLayout(this);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName("tbGuide");
  browser_->setOpenExternalLinks(false);
  browser_->setHtml(UserGuideText());
  layout->addWidget(browser_, 1);
  auto* close = new QPushButton("Close", this);
  close->setObjectName("btnClose");
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  layout->addWidget(close, 0, Qt::AlignRight);
}

void THelpWindow::ShowGuide(const QString& anchor) {
  show();
  raise();
  activateWindow();
  if (anchor.isEmpty()) {
    browser_->moveCursor(QTextCursor::Start);
    browser_->ensureCursorVisible();
  } else {
    browser_->scrollToAnchor(anchor);
  }
}

}  // namespace voltaris
