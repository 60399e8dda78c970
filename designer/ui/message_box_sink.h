// The dialog logic's messages shown as message boxes with one OK button.
#pragma once

#include <QPointer>
#include <QWidget>

#include "designer/dialogs/message_sink.h"

namespace voltaris {

class TMessageBoxSink : public IMessageSink {
 public:
  // The boxes open over `parent` (the active window when null or gone).
  explicit TMessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}

  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowError(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  bool Confirm(const std::string& question) override;

 private:
  QWidget* Parent() const;

  QPointer<QWidget> parent_;
};

}  // namespace voltaris
