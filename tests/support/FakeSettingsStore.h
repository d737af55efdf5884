#pragma once

#include "SettingsStore.h"

#include <QMap>
#include <QStringList>
#include <variant>

// A settings store in memory that keeps each value's type, so a test can
// plant a value of the wrong type, and records every write in order as
// "Key=int:42" or "Key=str:text".
class FakeSettingsStore final : public SettingsStore
{
public:
    using Value = std::variant<int, QString>;

    std::optional<int> ReadInt(const QString& group, const QString& key) const override
    {
        const auto it = values.find(group + QLatin1Char('/') + key);
        if (it == values.end() || !std::holds_alternative<int>(*it))
            return std::nullopt;
        return std::get<int>(*it);
    }
    std::optional<QString> ReadString(const QString& group, const QString& key) const override
    {
        const auto it = values.find(group + QLatin1Char('/') + key);
        if (it == values.end() || !std::holds_alternative<QString>(*it))
            return std::nullopt;
        return std::get<QString>(*it);
    }
    void WriteInt(const QString& group, const QString& key, int value) override
    {
        values[group + QLatin1Char('/') + key] = value;
        writes << key + QStringLiteral("=int:") + QString::number(value);
    }
    void WriteString(const QString& group, const QString& key, const QString& value) override
    {
        values[group + QLatin1Char('/') + key] = value;
        writes << key + QStringLiteral("=str:") + value;
    }
    bool Flush() override
    {
        ++flushes;
        return flushSucceeds;
    }

    // Plants a value as a start-up would find it: the key without its group.
    void Set(const QString& key, const Value& value) { values[QLatin1Char('/') + key] = value; }

    QMap<QString, Value> values;
    QStringList writes;
    int flushes = 0;
    bool flushSucceeds = true;
};
