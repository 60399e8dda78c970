// The load calculator and device picker dialogs driven as a user drives them:
// keys and clicks while the dialogs run modally, answered by timers.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "calculator/ui/device_picker_dialog.h"
#include "calculator/ui/load_calculator_dialog.h"
#include "calculator/ui/my_devices_dialog.h"
#include "model/dialog_host.h"
#include "model/project_context.h"
#include "ui/key_filter.h"
#include "ui/qt_text.h"

namespace voltaris {
namespace {

template <typename T>
T* Control(QWidget* parent, const char* name) {
  T* control = parent->findChild<T*>(QString::fromLatin1(name));
  if (!control) qFatal("no control %s", name);
  return control;
}

QString Text(QWidget* parent, const char* name) { return Control<QLabel>(parent, name)->text(); }

QColor TextColour(QWidget* parent, const char* name) {
  return Control<QLabel>(parent, name)->palette().color(QPalette::WindowText);
}

int RowOf(QTreeWidget* list, const QString& name, int column) {
  for (int row = 0; row < list->topLevelItemCount(); ++row) {
    if (list->topLevelItem(row)->text(column) == name) return row;
  }
  return -1;
}

QStringList Cells(QTreeWidget* list, int row) {
  QStringList cells;
  for (int c = 0; c < list->columnCount(); ++c) cells << list->topLevelItem(row)->text(c);
  return cells;
}

void ClickLine(QTreeWidget* list, int row) {
  QTreeWidgetItem* item = list->topLevelItem(row);
  QVERIFY(item);
  list->scrollToItem(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void TypeInto(QWidget* field, const QString& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) spin->selectAll();
  QTest::keyClicks(field, text);
}

void Click(QWidget* parent, const char* name) { QTest::mouseClick(Control<QPushButton>(parent, name), Qt::LeftButton); }

// Closes a dialog on leaving the scope, so that a failed check inside a
// modal run cannot leave the test waiting on it.
struct CloseOnExit {
  QDialog* dialog;
  ~CloseOnExit() {
    if (dialog->isVisible()) dialog->reject();
  }
};

// Answers the next modal dialog of type W once it shows; counts the answers.
template <typename W>
void Answer(int& answered, std::function<void(W*)> user) {
  auto* timer = new QTimer;
  auto ticks = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, ticks, &answered, user] {
    auto* dialog = qobject_cast<W*>(QApplication::activeModalWidget());
    if (!dialog && ++*ticks < 500) return;
    timer->stop();
    timer->deleteLater();
    if (!dialog) return;
    ++answered;
    CloseOnExit closer{dialog};
    user(dialog);
  });
  timer->start(10);
}

// My devices kept in memory.
struct MemoryStore : IMyDevicesStore {
  TMyDevicesLibrary Kept;
  TMyDevicesLibrary Read() override { return Kept; }
  std::string Write(const TMyDeviceList& devices) override {
    Kept.Devices = devices;
    SortMyDevices(Kept.Devices);
    return "";
  }
};

void KeepPicture(QWidget* widget, const QString& name) {
  if (qEnvironmentVariableIsSet("VOLTARIS_SCREENSHOTS"))
    widget->grab().save(qEnvironmentVariable("VOLTARIS_SCREENSHOTS") + "/" + name);
}

// The load calculator's designer-side host for a module's EditLoadList.
class CalculatorHost : public IDialogHost {
 public:
  explicit CalculatorHost(TfrmCalculator& dialog) : dialog_(dialog) {}
  bool EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter) override {
    return dialog_.Edit(module, lines, filter);
  }
  bool SetUpDevice(TNetDevice&, TLoadLines&) override { return false; }
  bool AskYesNo(const std::string&) override { return false; }

 private:
  TfrmCalculator& dialog_;
};

QString Line(const TDeviceData& entry) { return QString::fromStdString(LoadListLine(entry)); }

TDeviceDataPtr Entry(int32_t qty, int32_t grade, const char* name, int32_t quiescent, int32_t alarm) {
  return std::make_shared<TDeviceData>(TDeviceData{qty, grade, name, quiescent, alarm});
}

}  // namespace

class CalculatorDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }
  // Each case works on a project of its own.
  void init() { context_ = TProjectContext(); }

  void pickerListsTheCatalogueAndFillsACustomEntry() {
    TDevicePicker picker(2);
    picker.SetCaption("Add Devices");
    TDeviceData entry;
    int answered = 0;
    Answer<TfrmDevices>(answered, [](TfrmDevices* dialog) {
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Add Devices"));
      auto* list = Control<QTreeWidget>(dialog, "lbDevice");
      QCOMPARE(list->topLevelItemCount(), 50);
      QCOMPARE(list->currentItem(), list->topLevelItem(0));
      const int halvard = RowOf(list, QStringLiteral("Halvard S (Normal)"), 0);
      QVERIFY(halvard > 0);
      QCOMPARE(Cells(list, halvard), (QStringList{"Halvard S (Normal)", "3", "18 mA", "545 mA"}));
      QCOMPARE(list->topLevelItem(1)->background(2).color(), QColor(240, 251, 255));
      QCOMPARE(list->topLevelItem(2)->background(2).style(), Qt::NoBrush);

      auto* custom = Control<QGroupBox>(dialog, "gbCustom");
      auto* description = Control<QLineEdit>(dialog, "edDesc");
      QVERIFY(!custom->isEnabled() && !description->isEnabled());
      ClickLine(list, halvard);
      QVERIFY(!custom->isEnabled());
      ClickLine(list, 49);
      QCOMPARE(list->topLevelItem(49)->text(0), QStringLiteral("Custom"));
      QVERIFY(custom->isEnabled() && description->isEnabled());

      // A full description says so when one more letter is typed.
      TypeInto(description, QString(50, QChar('x')));
      QTest::keyClick(description, Qt::Key_Y);
      QCOMPARE(description->text().size(), 50);
      QCOMPARE(QToolTip::text(), QString::fromStdString(FullFieldHint(50)));
      TypeInto(description, QStringLiteral("Bell"));
      TypeInto(Control<QDoubleSpinBox>(dialog, "ceNorm"), QStringLiteral("20"));
      // A current beyond the trade's is kept as typed and refused on OK.
      auto* alarm = Control<QDoubleSpinBox>(dialog, "ceAlarm");
      TypeInto(alarm, QStringLiteral("99999"));
      QCOMPARE(alarm->value(), 99999.0);
      int refused = 0;
      QString refusal;
      Answer<QMessageBox>(refused, [&](QMessageBox* box) {
        refusal = box->text();
        if (qEnvironmentVariableIsSet("VOLTARIS_SCREENSHOTS"))
          box->grab().save(qEnvironmentVariable("VOLTARIS_SCREENSHOTS") + "/picker_refusal.png");
      });
      Click(dialog, "BitBtn1");
      QCOMPARE(refused, 1);
      QCOMPARE(refusal, QStringLiteral("Enter a current per device from 0 to 5000 mA."));
      QVERIFY(dialog->isVisible());
      TypeInto(alarm, QStringLiteral("150.9"));
      TypeInto(Control<QSpinBox>(dialog, "seQty"), QStringLiteral("3"));
      Click(dialog, "BitBtn1");
    });
    QVERIFY(picker.ExecuteAdd(5, entry, [](TDevicePicker& p) { return RunDevicePicker(p, nullptr); }));
    QCOMPARE(answered, 1);
    QCOMPARE(Line(entry), QStringLiteral("3\tBell\t2\t60 mA\t450 mA"));
  }

  void pickerPresetsAnEditAndCancelKeepsTheEntry() {
    TDeviceData entry{3, 2, "Bell", 60, 450};
    TDevicePicker picker(2);
    int answered = 0;
    Answer<TfrmDevices>(answered, [](TfrmDevices* dialog) {
      auto* list = Control<QTreeWidget>(dialog, "lbDevice");
      QCOMPARE(list->indexOfTopLevelItem(list->currentItem()), 49);
      QVERIFY(Control<QGroupBox>(dialog, "gbCustom")->isEnabled());
      QCOMPARE(Control<QLineEdit>(dialog, "edDesc")->text(), QStringLiteral("Bell"));
      QCOMPARE(Control<QDoubleSpinBox>(dialog, "ceNorm")->value(), 20.0);
      QCOMPARE(Control<QDoubleSpinBox>(dialog, "ceAlarm")->value(), 150.0);
      QCOMPARE(Control<QSpinBox>(dialog, "seQty")->value(), 3);
      // Fifty characters of the files' code page hold "x" and 49 "é", one byte each.
      auto* description = Control<QLineEdit>(dialog, "edDesc");
      TypeInto(description, QStringLiteral("x"));
      for (int k = 0; k < 60; ++k)
        QTest::sendKeyEvent(QTest::Click, description, Qt::Key_Eacute, QChar(0xE9), Qt::NoModifier);
      QCOMPARE(description->text(), QLatin1Char('x') + QString(49, QChar(0xE9)));
      ClickLine(list, RowOf(list, QStringLiteral("Lumen PIR"), 0));
      TypeInto(Control<QSpinBox>(dialog, "seQty"), QStringLiteral("7"));
      Click(dialog, "BitBtn2");
    });
    QVERIFY(!picker.ExecuteEdit(5, entry, [](TDevicePicker& p) { return RunDevicePicker(p, nullptr); }));
    QCOMPARE(answered, 1);
    QCOMPARE(Line(entry), QStringLiteral("3\tBell\t2\t60 mA\t450 mA"));
  }

  void pickerWithOnlyCustomEnablesItOnAClick() {
    TDevicePicker picker(2);
    TDeviceData entry;
    int answered = 0;
    Answer<TfrmDevices>(answered, [](TfrmDevices* dialog) {
      auto* list = Control<QTreeWidget>(dialog, "lbDevice");
      QCOMPARE(list->topLevelItemCount(), 1);
      QCOMPARE(list->currentItem(), list->topLevelItem(0));
      QVERIFY(!Control<QGroupBox>(dialog, "gbCustom")->isEnabled());
      ClickLine(list, 0);  // the line already selected
      QVERIFY(Control<QGroupBox>(dialog, "gbCustom")->isEnabled());
      TypeInto(Control<QDoubleSpinBox>(dialog, "ceNorm"), QStringLiteral("12"));
      Click(dialog, "BitBtn1");
    });
    // No catalogue row is offered for a panel type beyond the table's sets.
    QVERIFY(picker.ExecuteAdd(31, entry, [](TDevicePicker& p) { return RunDevicePicker(p, nullptr); }));
    QCOMPARE(answered, 1);
    QCOMPARE(Line(entry), QStringLiteral("1\t\t2\t12 mA\t0 mA"));
  }

  // An Orvane 100 control panel at grade 2, opened through its module's
  // EditLoadList before a battery is chosen.
  void pickerShowsMyDevicesAsTheUsersAndKeepsANewOne() {
    MemoryStore store;
    store.Kept.Devices = {{"Bell box", 2, 20, 450}, {"Gate beam", 3, 35, 35}};
    TDevicePicker picker(3);
    picker.MyDevices = &store;
    TDeviceData entry;
    int answered = 0;
    Answer<TfrmDevices>(answered, [&](TfrmDevices* dialog) {
      auto* list = Control<QTreeWidget>(dialog, "lbDevice");
      // 13 catalogue lines of panel type 16 at grade 3, my grade-3 device, Custom.
      QCOMPARE(list->topLevelItemCount(), 15);
      QCOMPARE(Cells(list, 13), (QStringList{"Gate beam", "3", "35 mA", "35 mA"}));
      QVERIFY(list->topLevelItem(13)->font(0).italic());
      QCOMPARE(list->topLevelItem(13)->toolTip(2), QStringLiteral("My device"));
      QVERIFY(!list->topLevelItem(12)->font(0).italic());
      QVERIFY(!list->topLevelItem(14)->font(0).italic());
      QVERIFY(!Control<QLabel>(dialog, "lbMyDevicesProblem")->isVisible());

      auto* add = Control<QCheckBox>(dialog, "cbAddToMine");
      QVERIFY(!add->isEnabled());
      ClickLine(list, 14);
      QVERIFY(add->isEnabled());
      TypeInto(Control<QLineEdit>(dialog, "edDesc"), QStringLiteral("Shock sensor"));
      TypeInto(Control<QDoubleSpinBox>(dialog, "ceNorm"), QStringLiteral("12"));
      TypeInto(Control<QDoubleSpinBox>(dialog, "ceAlarm"), QStringLiteral("60"));
      QTest::mouseClick(add, Qt::LeftButton, {}, QPoint(8, add->height() / 2));
      QVERIFY(add->isChecked());
      KeepPicture(dialog, "picker_my_devices.png");
      Click(dialog, "BitBtn1");
    });
    QVERIFY(picker.ExecuteAdd(16, entry, [](TDevicePicker& p) { return RunDevicePicker(p, nullptr); }));
    QCOMPARE(answered, 1);
    QCOMPARE(Line(entry), QStringLiteral("1\tShock sensor\t3\t12 mA\t60 mA"));
    QCOMPARE(store.Kept.Devices.size(), size_t{3});
    QCOMPARE(store.Kept.Devices[2], (TMyDevice{"Shock sensor", 3, 12, 60}));

    // A damaged list: the catalogue is offered all the same, and the picker says why mine are not.
    store.Kept = {{}, "MyDevices.csv could not be read whole:\nLine 3: a quoted field is not closed."};
    TDevicePicker damaged(3);
    damaged.MyDevices = &store;
    Answer<TfrmDevices>(answered, [&](TfrmDevices* dialog) {
      QCOMPARE(Control<QTreeWidget>(dialog, "lbDevice")->topLevelItemCount(), 14);
      auto* problem = Control<QLabel>(dialog, "lbMyDevicesProblem");
      QVERIFY(problem->isVisible());
      QVERIFY(problem->text().contains("Line 3: a quoted field is not closed."));
      KeepPicture(dialog, "picker_my_devices_damaged.png");
      Click(dialog, "BitBtn2");
    });
    QVERIFY(!damaged.ExecuteAdd(16, entry, [](TDevicePicker& p) { return RunDevicePicker(p, nullptr); }));
    QCOMPARE(answered, 2);
  }

  void myDevicesDialogAddsImportsExportsAndKeepsOnOk() {
    MemoryStore store;
    store.Kept.Devices = {{"Bell box", 2, 20, 450}};
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString import = folder.filePath("from a colleague.csv");
    {
      QFile file(import);
      QVERIFY(file.open(QIODevice::WriteOnly));
      // In the user's code page, as a spreadsheet saves it: "é" is one byte.
      file.write("Name;Grade;Quiescent mA;Alarm mA\r\nD\xE9tecteur;3;15;30\r\nBell box;2;25;450\r\nBad;7;1;1\r\n");
    }
    TfrmMyDevices dialog(store, nullptr);
    auto* table = Control<QTableWidget>(&dialog, "lbMyDevices");
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("20 mA"));

    // Edit in the device dialog itself.
    table->selectRow(0);
    int edited = 0;
    Answer<QDialog>(edited, [](QDialog* device) {
      QCOMPARE(device->windowTitle(), QStringLiteral("Edit My Device"));
      QCOMPARE(Control<QLineEdit>(device, "edName")->text(), QStringLiteral("Bell box"));
      TypeInto(Control<QSpinBox>(device, "seQuiescent"), QStringLiteral("25"));
      KeepPicture(device, "my_device_edit.png");
      device->accept();
    });
    dialog.Edit();
    QCOMPARE(edited, 1);
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("25 mA"));

    // Add: a name the catalogue has is refused with the reason, and the device comes back to be mended.
    QStringList names = {"16 Ohm Speaker", "Strobe"};
    int asked = 0;
    QStringList shown;
    dialog.AskDevice = [&](TMyDevice& device, const QString& title) -> bool {
      shown << title + ": " + ToQString(device.Name);
      if (asked++ == static_cast<int>(names.size())) return false;
      device = {ToStdString(names[asked - 1]), 2, 0, 120};
      return true;
    };
    int warned = 0;
    QString warning;
    Answer<QMessageBox>(warned, [&](QMessageBox* box) {
      warning = box->text();
      box->accept();
    });
    dialog.Add();
    QCOMPARE(shown, (QStringList{"Add My Device: ", "Add My Device: 16 Ohm Speaker"}));
    QCOMPARE(warned, 1);
    QVERIFY(warning.contains("is the name of a catalogue device"));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("Strobe"));
    QCOMPARE(table->currentRow(), 1);

    // Import: the bad line is named, and the good device comes in only when the user says so.
    dialog.AskImportFile = [&] { return import; };
    QString question;
    Answer<QMessageBox>(warned, [&](QMessageBox* box) {
      question = box->text();
      KeepPicture(box, "my_devices_import.png");
      box->button(QMessageBox::Yes)->click();
    });
    dialog.Import();
    QCOMPARE(question, QString::fromUtf8("from a colleague.csv holds 1 device to import (and 1 device already in my "
                                         "devices).\n\n1 line cannot be read:\nLine 4: the grade \"7\" is not 1, 2, 3 "
                                         "or 4.\n\nImport the good device and skip the lines that cannot be read?"));
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(1, 0)->text(), QString::fromUtf8("Détecteur"));
    QVERIFY(store.Kept.Devices.size() == 1);  // nothing kept before OK
    KeepPicture(&dialog, "my_devices_dialog.png");

    const QString exported = folder.filePath("mine.csv");
    dialog.AskExportFile = [&] { return exported; };
#ifndef _WIN32
    // A link where the list is first written is replaced, not written through.
    QFile outside(folder.filePath("outside.txt"));
    QVERIFY(outside.open(QIODevice::WriteOnly) && outside.write("someone else's") == 14);
    outside.close();
    QVERIFY(QFile::link(outside.fileName(), exported + ".new"));
#endif
    dialog.Export();
#ifndef _WIN32
    QVERIFY(outside.open(QIODevice::ReadOnly));
    QCOMPARE(outside.readAll(), QByteArray("someone else's"));
    QVERIFY(!QFileInfo(exported).isSymLink() && !QFileInfo::exists(exported + ".new"));
#endif
    QFile file(exported);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\xEF\xBB\xBFName,Grade,Quiescent mA,Alarm mA\r\nBell box,2,25,450\r\n"
                                        "D\xC3\xA9tecteur,3,15,30\r\nStrobe,2,0,120\r\n"));

    table->selectRow(0);
    dialog.Delete();
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(store.Kept.Devices, (TMyDeviceList{{"D\xE9tecteur", 3, 15, 30}, {"Strobe", 2, 0, 120}}));
  }

  void calculatorEditsAControlPanelsBatteryAndLoadList() {
    TPowerModule module;
    module.Name = "Orvane 100";
    module.SetPanelType(5);
    module.OwnQuiescent = 50;
    module.SetGrade(2);
    context_.Filter.CurrentPanelType = 5;
    int modified = 0;
    TfrmCalculator dialog([] { return 2; }, [&] { ++modified; });
    CalculatorHost host(dialog);
    context_.DialogHost = &host;

    int opened = 0, picked = 0;
    Answer<TfrmCalculator>(opened, [&](TfrmCalculator* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Orvane 100"));
      QCOMPARE(Text(d, "Label14"), QStringLiteral("  Control Panel"));
      auto* panelType = Control<QComboBox>(d, "cbPanelType");
      QVERIFY(!panelType->isEnabled() && panelType->currentText() == QStringLiteral("Orvane 100"));
      QCOMPARE(Text(d, "lbRatedOP"), QStringLiteral("Please Select Battery"));
      QCOMPARE(Text(d, "lbBattCurrent"), QStringLiteral("Unknown"));
      QVERIFY(!Control<QPushButton>(d, "btnAdd")->isEnabled());
      QVERIFY(!Control<QTreeWidget>(d, "lbDevices")->isEnabled());

      auto* battery = Control<QComboBox>(d, "cbBatteryType");
      QVERIFY(!battery->isEditable());
      QTest::keyClick(battery, Qt::Key_Down);
      QCOMPARE(battery->currentText(), QStringLiteral("7.2 Ah"));
      QCOMPARE(Text(d, "lbPSU"), QStringLiteral("1.00 Amps"));
      QCOMPARE(TextColour(d, "lbPSU"), QColor(0, 0, 255));
      QCOMPARE(Text(d, "lbBattCurrent"), QStringLiteral("120 mA"));
      QCOMPARE(Text(d, "lbPeakCurrent"), QStringLiteral("0.88 Amps"));
      QCOMPARE(Text(d, "lbReqPeakCur"), QStringLiteral("Max Alarm Current: 0.88 Amps"));
      QVERIFY(Control<QPushButton>(d, "btnAdd")->isEnabled());
      QVERIFY(!Control<QPushButton>(d, "btnEdit")->isEnabled());

      Answer<TfrmDevices>(picked, [](TfrmDevices* picker) {
        QCOMPARE(picker->windowTitle(), QStringLiteral("Add Devices"));
        auto* list = Control<QTreeWidget>(picker, "lbDevice");
        ClickLine(list, RowOf(list, QStringLiteral("Halvard S (Normal)"), 0));
        TypeInto(Control<QSpinBox>(picker, "seQty"), QStringLiteral("2"));
        Click(picker, "BitBtn1");
      });
      Click(d, "btnAdd");
      QCOMPARE(picked, 1);
      auto* devices = Control<QTreeWidget>(d, "lbDevices");
      QCOMPARE(devices->topLevelItemCount(), 1);
      QCOMPARE(Cells(devices, 0), (QStringList{"2", "Halvard S (Normal)", "3", "36 mA", "1090 mA"}));
      QCOMPARE(Text(d, "TotNomI"), QStringLiteral("86 mA"));
      QCOMPARE(Text(d, "TotAlarmI"), QStringLiteral("1140 mA"));
      QCOMPARE(TextColour(d, "lbActPeak"), QColor(255, 0, 0));  // more than the 0.88 A available

      // Edit works on the line the user selected.
      ClickLine(devices, 0);
      Answer<TfrmDevices>(picked, [](TfrmDevices* picker) {
        QCOMPARE(picker->windowTitle(), QStringLiteral("Edit Devices"));
        QCOMPARE(Control<QSpinBox>(picker, "seQty")->value(), 2);
        TypeInto(Control<QSpinBox>(picker, "seQty"), QStringLiteral("1"));
        Click(picker, "BitBtn1");
      });
      Click(d, "btnEdit");
      QCOMPARE(picked, 2);
      QCOMPARE(Text(d, "TotAlarmI"), QStringLiteral("595 mA"));
      QCOMPARE(TextColour(d, "lbActPeak"), QColor(0, 128, 0));
      Click(d, "Button1");
    });
    module.EditLoadList(context_);

    QCOMPARE(opened, 1);
    QCOMPARE(modified, 1);  // the opening, not the refreshes that followed it
    QCOMPARE(module.BatteryIndex, 0);
    QCOMPARE(module.LoadData.Entries.size(), size_t{1});
    QCOMPARE(Line(*module.LoadData.Entries[0]), QStringLiteral("1\tHalvard S (Normal)\t3\t18 mA\t545 mA"));
    QCOMPARE(module.ExtraAlarm, 545);
    QVERIFY(!context_.EditCancelled);  // Done keeps the changes

    // Escape cancels: the project is marked for its changes to go back.
    Answer<TfrmCalculator>(opened, [](TfrmCalculator* d) { QTest::keyClick(d, Qt::Key_Escape); });
    module.EditLoadList(context_);
    QCOMPARE(opened, 2);
    QVERIFY(context_.EditCancelled);
  }

  // An Orvane 400 at grade 2 whose list holds a grade-2 detector and a
  // signalling unit.
  void calculatorAsksBeforeRemovingDevices() {
    TPowerModule module;
    module.Name = "Orvane 400";
    module.SetPanelType(10);
    module.OwnQuiescent = 70;
    module.SetGrade(2);
    module.SetBattery(0);
    TLoadLines lines;
    for (const TDeviceDataPtr& entry : {Entry(3, 2, "Lumen PIR", 27, 27), Entry(1, 4, "Twinpath Plus", 230, 230)})
      lines.push_back({LoadListLine(*entry), entry});
    TfrmCalculator dialog([] { return 2; }, [] {});

    int opened = 0, asked = 0;
    Answer<TfrmCalculator>(opened, [&](TfrmCalculator* d) {
      auto* devices = Control<QTreeWidget>(d, "lbDevices");
      auto* acFail = Control<QCheckBox>(d, "cbSigACFail");
      QVERIFY(!acFail->isEnabled());
      Answer<QMessageBox>(asked, [](QMessageBox* box) {
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QVERIFY(box->text().contains(QStringLiteral("selected grade. Do you want to remove these devices?")));
        QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
      });
      QTest::keyClick(Control<QComboBox>(d, "cbGrade"), Qt::Key_Down);
      QCOMPARE(asked, 1);
      QCOMPARE(devices->topLevelItemCount(), 1);
      QCOMPARE(devices->topLevelItem(0)->text(1), QStringLiteral("Twinpath Plus"));

      QVERIFY(acFail->isEnabled());
      QCOMPARE(Text(d, "lbPeriod"), QStringLiteral("60 Hours"));
      QTest::mouseClick(acFail, Qt::LeftButton);
      QCOMPARE(Text(d, "lbPeriod"), QStringLiteral("30 Hours"));

      ClickLine(devices, 0);
      for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        Answer<QMessageBox>(asked, [answer](QMessageBox* box) {
          QCOMPARE(box->icon(), QMessageBox::Question);
          QCOMPARE(box->text(), QStringLiteral("Are you sure you want to delete this device?"));
          QTest::mouseClick(box->button(answer), Qt::LeftButton);
        });
        Click(d, "btnDelete");
      }
      QCOMPARE(asked, 3);
      QCOMPARE(devices->topLevelItemCount(), 0);
      QVERIFY(!Control<QPushButton>(d, "btnDelete")->isEnabled());
      Click(d, "Button2");
    });
    dialog.Edit(module, lines, context_.Filter);

    QCOMPARE(opened, 1);
    QVERIFY(lines.empty());  // Cancel keeps every change
    QCOMPARE(module.GetGrade(), 3);
    QVERIFY(module.ACFailSignalled);
  }

 private:
  TProjectContext context_;
};

}  // namespace voltaris

QTEST_MAIN(voltaris::CalculatorDialogTest)
#include "calculator_dialog_test.moc"
