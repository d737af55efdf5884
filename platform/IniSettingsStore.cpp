#include "IniSettingsStore.h"

#include <QStandardPaths>
#include <QStringList>

namespace {

QString FullKey(const QString& group, const QString& key)
{
    return group.isEmpty() ? key : group + QLatin1Char('/') + key;
}

} // namespace

IniSettingsStore::IniSettingsStore(const QString& filePath)
    : settings_(filePath, QSettings::IniFormat)
{
}

QString IniSettingsStore::FilePathFor(const QString& programBaseName)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quintaro/") + programBaseName + QStringLiteral(".conf");
}

std::optional<int> IniSettingsStore::ReadInt(const QString& group, const QString& key) const
{
    const QVariant value = settings_.value(FullKey(group, key));
    // A value read from the file is text, one written by this process may
    // still be a number in the cache: parsing the text treats both alike.
    if (value.typeId() != QMetaType::Int && value.typeId() != QMetaType::QString)
        return std::nullopt;
    bool ok = false;
    const int number = value.toString().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<QString> IniSettingsStore::ReadString(const QString& group, const QString& key) const
{
    const QVariant value = settings_.value(FullKey(group, key));
    if (!value.isValid())
        return std::nullopt;
    // An unquoted text with commas comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void IniSettingsStore::WriteInt(const QString& group, const QString& key, int value)
{
    settings_.setValue(FullKey(group, key), value);
}

void IniSettingsStore::WriteString(const QString& group, const QString& key, const QString& value)
{
    settings_.setValue(FullKey(group, key), value);
}

bool IniSettingsStore::Flush()
{
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}
