#pragma once

#include <QString>
#include <optional>

// A per-user store of named values: integers and strings, grouped (the empty
// group is the top level). Reads report a missing value and a value of the
// other type alike as nullopt, so the caller can stop at the first one.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    virtual std::optional<int> ReadInt(const QString& group, const QString& key) const = 0;
    virtual std::optional<QString> ReadString(const QString& group, const QString& key) const = 0;
    virtual void WriteInt(const QString& group, const QString& key, int value) = 0;
    virtual void WriteString(const QString& group, const QString& key, const QString& value) = 0;
    // Puts the writes on the disk; false when the store could not be written.
    virtual bool Flush() = 0;
};
