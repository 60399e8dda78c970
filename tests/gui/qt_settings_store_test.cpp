// The settings store on an INI file: the six defaults, their types, and
// values that cannot be read as asked.
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "designer/ui/qt_settings_store.h"
#include "storage/settings_store.h"

namespace voltaris {

namespace {

const TSettings StoreDefaults{1, 15, 10, 0.1, 1.0, true};
const TSettings Custom{0, 20, 35, 0.25, 0.8, false};

QString Describe(const TSettings& s) {
  return QStringLiteral("standard %1, alarm %2 min, run %3 m, %4 ohm/m, factor %5, lengths %6")
      .arg(s.SystemStandard).arg(s.AlarmPeriod).arg(s.CableRun).arg(s.CableImpedance).arg(s.BatteryFactor)
      .arg(s.ShowLength);
}

// The key as the INI file's group path.
QString StoreKey(const char* value) { return QStringLiteral("Software/Quelmar/Voltaris/") + QLatin1String(value); }

}  // namespace

class QtSettingsStoreTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    path_ = dir_->filePath(QStringLiteral("Quelmar/Voltaris.ini"));  // the folder is not there yet
  }

  void emptyStoreGivesTheDefaults() {
    TQtSettingsStore store(path_);
    TSettings settings;
    ReadDefaults(store, settings);
    QCOMPARE(Describe(settings), Describe(StoreDefaults));
    QVERIFY(!store.OpenKey(SettingsKey, false));  // reading creates nothing
  }

  void writtenDefaultsReadBackInTheirTypes() {
    {
      TQtSettingsStore writer(path_);
      WriteDefaults(writer, Custom);
    }
    QVERIFY(QFile::exists(path_));

    TQtSettingsStore store(path_);  // a new store: what the file holds
    TSettings settings = StoreDefaults;
    ReadDefaults(store, settings);
    QCOMPARE(Describe(settings), Describe(Custom));
    QVERIFY(store.OpenKey(SettingsKey, false));
    store.CloseKey();

    QSettings file(path_, QSettings::IniFormat);
    QCOMPARE(file.value(StoreKey(CableImpedanceValue)).toByteArray().size(), 8);
    QCOMPARE(file.value(StoreKey(ShowLengthValue)).toString(), QStringLiteral("0"));
    QCOMPARE(file.value(StoreKey(CableLengthValue)).toString(), QStringLiteral("35"));
  }

  // Each wrong value raises an error that names it, and the settings keep
  // what they had.
  void valueOfTheWrongTypeOrSizeNamesTheValue_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("float as text") << QString(CableImpedanceValue) << QVariant(QStringLiteral("0.1"));
    QTest::newRow("float block of 4 bytes") << QString(BatteryDegradationValue) << QVariant(QByteArray(4, '\0'));
    QTest::newRow("integer as a float block") << QString(SystemStandardValue) << QVariant(QByteArray(8, '\0'));
    QTest::newRow("integer as words") << QString(AlarmPeriodValue) << QVariant(QStringLiteral("fifteen"));
    QTest::newRow("integer beyond 32 bits") << QString(CableLengthValue) << QVariant(QStringLiteral("4294967296"));
    QTest::newRow("boolean as a list") << QString(ShowLengthValue) << QVariant(QStringList{"1", "0"});
  }
  void valueOfTheWrongTypeOrSizeNamesTheValue() {
    QFETCH(QString, value);
    QFETCH(QVariant, stored);
    {
      QSettings file(path_, QSettings::IniFormat);
      file.setValue(StoreKey(value.toLatin1().constData()), stored);
    }
    TQtSettingsStore store(path_);
    TSettings settings = Custom;
    try {
      ReadDefaults(store, settings);
      QFAIL("the wrong value was read");
    } catch (const SettingsStoreError& error) {
      QVERIFY2(QString::fromLocal8Bit(error.what()).contains(QLatin1Char('"') + value + QLatin1Char('"')),
               error.what());
    }
    QCOMPARE(Describe(settings), Describe(Custom));
  }

  // Recent projects kept by one run are read by the next, byte for byte
  // (a folder's name as the system spells it, a site reference in the
  // files' code page); a text of another kind is dropped, not fatal.
  void recentProjectsReadBackInTheNextRun() {
    const std::vector<TRecentProject> kept = {{"Shop", "Caf\xe9 Rue; 4", "/home/\xc3\xa9t\xc3\xa9/Data"},
                                              {"Warehouse", "", "/srv/Data"}};
    {
      TQtSettingsStore writer(path_);
      WriteRecentProjects(writer, kept);
    }
    TQtSettingsStore store(path_);
    QVERIFY(ReadRecentProjects(store) == kept);
    {
      QSettings file(path_, QSettings::IniFormat);
      file.setValue(StoreKey("Recent 1 Folder"), QStringList{"a", "b"});
    }
    TQtSettingsStore later(path_);
    const std::vector<TRecentProject> read = ReadRecentProjects(later);
    QCOMPARE(read.size(), size_t{1});
    QCOMPARE(read[0].FileName, std::string("Warehouse"));
  }

  void storeThatCannotBeWrittenSaysSo() {
    QFile blocker(dir_->filePath(QStringLiteral("Quelmar")));  // a file where the folder should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TQtSettingsStore store(path_);
    QVERIFY_THROWS_EXCEPTION(SettingsStoreError, WriteDefaults(store, Custom));
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  QString path_;
};

}  // namespace voltaris

QTEST_MAIN(voltaris::QtSettingsStoreTest)
#include "qt_settings_store_test.moc"
