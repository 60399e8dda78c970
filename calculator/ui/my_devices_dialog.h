// The My Devices dialog: the user's own devices in a table, to add, edit,
// delete, import from CSV and export to it, kept when it closes with OK.
// Opened from the Options menu and from the device picker.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "calculator/my_devices_editor.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace voltaris {

class TfrmMyDevices : public QDialog {
  Q_OBJECT

 public:
  // `store` must outlive the dialog.
  TfrmMyDevices(IMyDevicesStore& store, QWidget* parent);

  // What the file dialogs would ask, given instead (tests): the file to
  // import from, the file to export to; an empty name cancels.
  std::function<QString()> AskImportFile;
  std::function<QString()> AskExportFile;
  // The device dialog of Add and Edit, given instead (tests): fills the
  // device and returns true for OK, or false for Cancel.
  std::function<bool(TMyDevice&, const QString& title)> AskDevice;

  void Add();
  void Edit();
  void Delete();
  void Import();
  void Export();
  // OK: keeps the devices, or says why not and stays open.
  void accept() override;

  const TMyDevicesEditor& Editor() const { return editor_; }

 private:
  void Refresh(int select = -1);
  int SelectedRow() const;
  // Runs the device dialog until the device is taken or cancelled;
  // `change` returns the refusal of the device typed, "" when taken.
  void AskUntilTaken(TMyDevice device, const QString& title,
                     const std::function<std::string(const TMyDevice&, size_t*)>& change);

  TMyDevicesEditor editor_;
  QTableWidget* table_ = nullptr;
  QLabel* problem_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* export_ = nullptr;
};

// Shows the dialog modally; true when it closed with OK.
bool RunMyDevicesDialog(IMyDevicesStore& store, QWidget* parent);

}  // namespace voltaris
