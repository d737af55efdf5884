#pragma once

#include "SleepInhibitor.h"

#include <QStringList>

// Remembers what the desktop was asked, in order.
class RecordingSleepInhibitor final : public SleepInhibitor
{
public:
    void Inhibit(const QString& reason) override { calls.append(QStringLiteral("Inhibit ") + reason); }
    void Release() override { calls.append(QStringLiteral("Release")); }
    bool Held() const { return !calls.isEmpty() && calls.constLast() != QLatin1String("Release"); }

    QStringList calls;
};
