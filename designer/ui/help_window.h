// The user guide in a window of its own beside the designer: the short
// guide shipped in the resources, shown as formatted text with its links.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace voltaris {

class THelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* parent);

  // Shows the guide, at the heading `anchor` when one is given ("lights").
  void ShowGuide(const QString& anchor = {});
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

// The text of the guide, as shipped.
QString UserGuideText();

}  // namespace voltaris
