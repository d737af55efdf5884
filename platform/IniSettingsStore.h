#pragma once

#include "SettingsStore.h"

#include <QSettings>

// The settings store as an INI file, by default
// $XDG_CONFIG_HOME/Quintaro/<program base name>.conf. Integers are written
// as numbers, strings as text; on reading every value is text, so an
// integer is whatever text parses as a decimal 32-bit number.
class IniSettingsStore final : public SettingsStore
{
public:
    explicit IniSettingsStore(const QString& filePath);

    // The store of the program with the given file base name.
    static QString FilePathFor(const QString& programBaseName);

    QString FilePath() const { return settings_.fileName(); }

    std::optional<int> ReadInt(const QString& group, const QString& key) const override;
    std::optional<QString> ReadString(const QString& group, const QString& key) const override;
    void WriteInt(const QString& group, const QString& key, int value) override;
    void WriteString(const QString& group, const QString& key, const QString& value) override;
    bool Flush() override;

private:
    mutable QSettings settings_;
};
