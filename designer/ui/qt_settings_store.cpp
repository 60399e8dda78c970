#include "designer/ui/qt_settings_store.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <filesystem>
#include <limits>
#include <system_error>

#include "catalogue/byte_stream.h"
#include "catalogue/plain_file.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {

constexpr qsizetype FloatSize = 8;

QString ValueKey(const std::string& name) { return ToQString(name); }

// The key path as QSettings groups: "Software\Quelmar\Voltaris" becomes
// "Software/Quelmar/Voltaris".
QString GroupPath(const std::string& key) {
  QString path = ToQString(key);
  path.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return path;
}

bool GroupExists(QSettings& settings, const QString& path) {
#ifdef Q_OS_WIN
  constexpr Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;  // registry keys
#else
  constexpr Qt::CaseSensitivity sensitivity = Qt::CaseSensitive;
#endif
  const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  int entered = 0;
  bool found = true;
  for (const QString& part : parts) {
    if (!settings.childGroups().contains(part, sensitivity)) {
      found = false;
      break;
    }
    settings.beginGroup(part);
    ++entered;
  }
  for (; entered > 0; --entered) settings.endGroup();
  return found;
}

// QSettings reads the whole INI file as it opens it: a pipe there would stop
// the program for good and a device never ends, so only a plain file of at
// most 1 MB (or none yet) is opened.
bool IniReadable(const QString& path) {
  constexpr uintmax_t MaxIniBytes = 1024 * 1024;
  const std::string name = QFile::encodeName(path).toStdString();
  const std::string problem = NotAPlainFile(name);
  if (problem == NotTherePlainFile) return true;
  if (!problem.empty()) return false;
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(name, error);
  return !error && size <= MaxIniBytes;
}

}  // namespace

TQtSettingsStore::TQtSettingsStore()
#ifdef Q_OS_WIN
    : iniPath_()
#else
    : iniPath_(DefaultIniPath())
#endif
{
}

TQtSettingsStore::TQtSettingsStore(QString iniPath) : iniPath_(std::move(iniPath)) {}

TQtSettingsStore::~TQtSettingsStore() = default;

QString TQtSettingsStore::DefaultIniPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Quelmar/Voltaris.ini");
}

std::unique_ptr<QSettings> TQtSettingsStore::OpenRoot() const {
  if (iniPath_.isEmpty()) {
    return std::make_unique<QSettings>(QStringLiteral("HKEY_LOCAL_MACHINE"), QSettings::NativeFormat);
  }
  return std::make_unique<QSettings>(iniPath_, QSettings::IniFormat);
}

bool TQtSettingsStore::OpenKey(const std::string& key, bool canCreate) {
  CloseKey();
  if (!iniPath_.isEmpty() && !IniReadable(iniPath_)) return false;
  std::unique_ptr<QSettings> settings = OpenRoot();
  if (settings->status() != QSettings::NoError) return false;
  const QString group = GroupPath(key);
  if (!canCreate && !GroupExists(*settings, group)) return false;
  // The key itself comes into being with its first value.
  settings->beginGroup(group);
  settings_ = std::move(settings);
  key_ = key;
  return true;
}

void TQtSettingsStore::CloseKey() {
  settings_.reset();  // QSettings writes back whatever is pending as it goes
  key_.clear();
}

std::string TQtSettingsStore::Describe(const std::string& name, const std::string& problem) const {
  const QString store = iniPath_.isEmpty() ? QStringLiteral("HKEY_LOCAL_MACHINE") : iniPath_;
  return ToStdString(store) + ": the value \"" + name + "\" under " + key_ + " " + problem;
}

const QSettings& TQtSettingsStore::Open(const std::string& name) const {
  if (!settings_) throw SettingsStoreError("settings store: no key is open to read or write \"" + name + "\"");
  return *settings_;
}

bool TQtSettingsStore::ValueExists(const std::string& name) const {
  return settings_ && settings_->contains(ValueKey(name));
}

int32_t TQtSettingsStore::ReadInteger(const std::string& name) const {
  const QSettings& settings = Open(name);
  if (!settings.contains(ValueKey(name))) throw SettingsStoreError(Describe(name, "does not exist"));
  const QVariant value = settings.value(ValueKey(name));
  // The registry hands back its 32-bit type as a number; an INI file keeps
  // every number as text, which must then be a whole 32-bit number and
  // nothing else.
  bool ok = false;
  qlonglong number = 0;
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      number = value.toLongLong(&ok);
      break;
    case QMetaType::QString:
      if (!iniPath_.isEmpty()) number = value.toString().toLongLong(&ok, 10);
      break;
    default:
      break;
  }
  if (!ok || number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max()) {
    throw SettingsStoreError(Describe(name, "is not a 32-bit integer"));
  }
  return static_cast<int32_t>(number);
}

double TQtSettingsStore::ReadFloat(const std::string& name) const {
  const QSettings& settings = Open(name);
  if (!settings.contains(ValueKey(name))) throw SettingsStoreError(Describe(name, "does not exist"));
  const QVariant value = settings.value(ValueKey(name));
  if (value.typeId() != QMetaType::QByteArray) throw SettingsStoreError(Describe(name, "is not an 8-byte float"));
  const QByteArray block = value.toByteArray();
  if (block.size() != FloatSize) {
    throw SettingsStoreError(Describe(name, "holds " + std::to_string(block.size()) + " bytes, not an 8-byte float"));
  }
  TStream stream(TBytes(block.begin(), block.end()));
  return stream.ReadDouble();
}

bool TQtSettingsStore::ReadBool(const std::string& name) const {
  try {
    return ReadInteger(name) != 0;
  } catch (const SettingsStoreError&) {
    if (settings_ && settings_->contains(ValueKey(name))) throw SettingsStoreError(Describe(name, "is not a boolean"));
    throw;
  }
}

std::string TQtSettingsStore::ReadText(const std::string& name) const {
  const QSettings& settings = Open(name);
  if (!settings.contains(ValueKey(name))) throw SettingsStoreError(Describe(name, "does not exist"));
  const QVariant value = settings.value(ValueKey(name));
  if (value.typeId() == QMetaType::QByteArray) return value.toByteArray().toStdString();
  // A text typed into the store by hand.
  if (value.typeId() == QMetaType::QString) return value.toString().toLocal8Bit().toStdString();
  throw SettingsStoreError(Describe(name, "is not a text"));
}

void TQtSettingsStore::Store(const std::string& name, const QVariant& value) {
  Open(name);
  settings_->setValue(ValueKey(name), value);
  settings_->sync();
  if (settings_->status() != QSettings::NoError) throw SettingsStoreError(Describe(name, "cannot be written"));
}

void TQtSettingsStore::WriteInteger(const std::string& name, int32_t value) { Store(name, QVariant(qint32{value})); }

void TQtSettingsStore::WriteFloat(const std::string& name, double value) {
  TStream stream;
  stream.WriteDouble(value);
  const TBytes& bytes = stream.Bytes();
  Store(name, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

void TQtSettingsStore::WriteText(const std::string& name, const std::string& value) {
  Store(name, QByteArray(value.data(), static_cast<qsizetype>(value.size())));
}

void TQtSettingsStore::WriteBool(const std::string& name, bool value) { Store(name, QVariant(qint32{value ? 1 : 0})); }

}  // namespace voltaris
