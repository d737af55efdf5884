#include "SettingsJournal.h"

#include "SerialPortPath.h"

#include <QLocale>
#include <QStringList>

namespace {

QString PortText(int port)
{
    return port == 0 ? QStringLiteral("Kein") : PortDisplayName(port);
}

QString OnOff(bool on)
{
    return on ? QStringLiteral("Ein") : QStringLiteral("Aus");
}

} // namespace

QString SettingsChangeText(const TAppSettings& before, const TAppSettings& after)
{
    QStringList changes;
    auto note = [&changes](bool changed, const QString& name, const QString& was, const QString& is) {
        if (changed)
            changes << name + QLatin1Char(' ') + was + QStringLiteral(" -> ") + is;
    };
    const QLocale locale;
    note(before.Port != after.Port, QStringLiteral("Port"), PortText(before.Port), PortText(after.Port));
    note(before.Alg != after.Alg, QStringLiteral("Algorithmus"), OnOff(before.Alg == 0), OnOff(after.Alg == 0));
    note(before.WaitStart != after.WaitStart, QStringLiteral("STOPP-Sperrzeit"),
         locale.toString(before.WaitStart / 1000.0, 'f', 1) + QStringLiteral(" s"),
         locale.toString(after.WaitStart / 1000.0, 'f', 1) + QStringLiteral(" s"));
    note(before.Length != after.Length, QStringLiteral("Länge"), QString::number(before.Length) + QStringLiteral(" m"),
         QString::number(after.Length) + QStringLiteral(" m"));
    note(before.Runden != after.Runden, QStringLiteral("Runden"), OnOff(before.Runden), OnOff(after.Runden));
    note(before.ManyStart != after.ManyStart, QStringLiteral("Mehrfachstart"), OnOff(before.ManyStart),
         OnOff(after.ManyStart));
    note(before.Sound != after.Sound, QStringLiteral("Ton"), OnOff(before.Sound), OnOff(after.Sound));
    note(before.Monitor != after.Monitor, QStringLiteral("Monitor"), QString::number(before.Monitor + 1),
         QString::number(after.Monitor + 1));
    note(before.Title != after.Title, QStringLiteral("Titel"), QLatin1Char('"') + before.Title + QLatin1Char('"'),
         QLatin1Char('"') + after.Title + QLatin1Char('"'));
    return changes.join(QStringLiteral(", "));
}
