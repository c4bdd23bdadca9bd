#include "platform/profile.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace {

// "Settings\Font" and "Default" become the QSettings key "Settings/Font/Default".
QString KeyOf(const char* section, const char* entry)
{
    QString key = QString::fromUtf8(section ? section : "");
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (key.endsWith(QLatin1Char('/')))
        key.chop(1);
    if (entry && *entry) {
        if (!key.isEmpty())
            key += QLatin1Char('/');
        key += QString::fromUtf8(entry);
    }
    return key;
}

std::unique_ptr<QSettings> OpenIni(const std::string& path)
{
    const QString file = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

}  // namespace

CProfile::CProfile(const std::string& path) : m_path(path), m_settings(OpenIni(path)) {}

CProfile::~CProfile() { m_settings->sync(); }

std::string CProfile::DefaultPath(const std::string& company, const std::string& program)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (base + "/" + QString::fromStdString(company) + "/" + QString::fromStdString(program) + ".ini")
        .toStdString();
}

int CProfile::GetProfileInt(const char* section, const char* entry, int fallback) const
{
    const QVariant value = m_settings->value(KeyOf(section, entry));
    if (!value.isValid())
        return fallback;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

BOOL CProfile::WriteProfileInt(const char* section, const char* entry, int value)
{
    m_settings->setValue(KeyOf(section, entry), value);
    return TRUE;
}

bool CProfile::GetProfileBinary(const char* section, const char* entry, std::vector<BYTE>* bytes) const
{
    bytes->clear();
    const QVariant value = m_settings->value(KeyOf(section, entry));
    if (value.typeId() != QMetaType::QByteArray)
        return false;
    const QByteArray data = value.toByteArray();
    bytes->assign(data.begin(), data.end());
    return true;
}

BOOL CProfile::WriteProfileBinary(const char* section, const char* entry, const void* data, size_t size)
{
    m_settings->setValue(KeyOf(section, entry), QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(size)));
    return TRUE;
}

std::string CProfile::GetProfileString(const char* section, const char* entry, const char* fallback) const
{
    const QVariant value = m_settings->value(KeyOf(section, entry));
    if (!value.isValid())
        return fallback ? fallback : "";
    // Strings are stored as their bytes, so code page 932 text comes back unchanged.
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray().toStdString();
    return value.toString().toStdString();
}

BOOL CProfile::WriteProfileString(const char* section, const char* entry, const char* value)
{
    const QString key = KeyOf(section, entry);
    if (!value) {
        m_settings->remove(key);
        return TRUE;
    }
    m_settings->setValue(key, QByteArray(value));
    return TRUE;
}

bool CProfile::HasSection(const char* section) const
{
    m_settings->beginGroup(KeyOf(section, nullptr));
    const bool any = !m_settings->allKeys().isEmpty();
    m_settings->endGroup();
    return any;
}

void CProfile::RemoveSection(const char* section) { m_settings->remove(KeyOf(section, nullptr)); }

bool CProfile::Flush()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

std::string SystemProfilePath(const std::string& company, const std::string& program)
{
    QString folders = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (folders.isEmpty())
        folders = QStringLiteral("/etc/xdg");
    const QString name = "/" + QString::fromStdString(company) + "/" + QString::fromStdString(program) + ".ini";
    for (const QString& folder : folders.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        // Relative entries are ignored, as the base-directory rules ask.
        if (QDir::isAbsolutePath(folder) && QFileInfo(folder + name).isFile())
            return (folder + name).toStdString();
    }
    return std::string();
}

bool ReadSystemProfileString(const std::string& company, const std::string& program, const char* section,
                             const char* entry, std::string* value)
{
    value->clear();
    const std::string path = SystemProfilePath(company, program);
    if (path.empty())
        return false;
    const QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    const QVariant stored = settings.value(KeyOf(section, entry));
    switch (stored.typeId()) {
    case QMetaType::QByteArray:
        *value = stored.toByteArray().toStdString();
        return true;
    case QMetaType::QStringList:
        // An unquoted comma splits an INI value into a list: the text comes back whole.
        *value = stored.toStringList().join(QLatin1Char(',')).toStdString();
        return true;
    default:
        if (!stored.isValid())
            return false;
        *value = stored.toString().toStdString();
        return true;
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

// Each key keeps a marker so that keys without values exist; the default value has a name of
// its own that no registry value name can take.
const QString kKeyMarker = QStringLiteral("%key");
const QString kDefaultName = QStringLiteral("%default");

QString RegistryKey(const std::string& key)
{
    return KeyOf(key.c_str(), nullptr);
}

std::unique_ptr<CClassRegistry>& InstanceSlot()
{
    static std::unique_ptr<CClassRegistry> registry;
    return registry;
}

}  // namespace

CClassRegistry::CClassRegistry(const std::string& path) : m_settings(OpenIni(path)) {}

CClassRegistry::~CClassRegistry() { m_settings->sync(); }

CClassRegistry& CClassRegistry::Instance()
{
    auto& slot = InstanceSlot();
    if (!slot)
        slot = std::make_unique<CClassRegistry>(CProfile::DefaultPath("Orvellan", "ClassesRoot"));
    return *slot;
}

void CClassRegistry::UseFile(const std::string& path)
{
    InstanceSlot().reset();
    if (!path.empty())
        InstanceSlot() = std::make_unique<CClassRegistry>(path);
}

bool CClassRegistry::CreateKey(const std::string& key)
{
    const QString path = RegistryKey(key);
    if (m_readOnly || path.isEmpty())
        return false;
    // A key or value that is there already is not set again: registering at every start then
    // leaves the file as it was, with nothing to write and no wait for the disk.
    if (!m_settings->contains(path + "/" + kKeyMarker))
        m_settings->setValue(path + "/" + kKeyMarker, 1);
    return true;
}

bool CClassRegistry::KeyExists(const std::string& key) const
{
    const QString path = RegistryKey(key);
    return !path.isEmpty() && m_settings->contains(path + "/" + kKeyMarker);
}

bool CClassRegistry::SetValue(const std::string& key, const std::string& name, const std::string& value)
{
    if (!CreateKey(key))
        return false;
    const QString valueName = name.empty() ? kDefaultName : QString::fromUtf8(name.c_str());
    const QString path = RegistryKey(key) + "/" + valueName;
    const QByteArray bytes = QByteArray::fromStdString(value);
    const QVariant stored = m_settings->value(path);
    if (!stored.isValid() || stored.toByteArray() != bytes)
        m_settings->setValue(path, bytes);
    return true;
}

bool CClassRegistry::QueryValue(const std::string& key, const std::string& name, std::string* value) const
{
    if (!KeyExists(key))
        return false;
    const QString valueName = name.empty() ? kDefaultName : QString::fromUtf8(name.c_str());
    const QVariant stored = m_settings->value(RegistryKey(key) + "/" + valueName);
    if (!stored.isValid())
        return false;
    *value = stored.toByteArray().toStdString();
    return true;
}

std::vector<std::string> CClassRegistry::SubKeys(const std::string& key) const
{
    const QString path = RegistryKey(key);
    if (!path.isEmpty())
        m_settings->beginGroup(path);
    const QStringList groups = m_settings->childGroups();
    if (!path.isEmpty())
        m_settings->endGroup();
    std::vector<std::string> names;
    for (const QString& group : groups)
        names.push_back(group.toStdString());
    return names;
}

bool CClassRegistry::Flush()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
