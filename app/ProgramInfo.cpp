#include "ProgramInfo.h"

QString ProgramInfo::InfoText(const QString& title, const QString& version)
{
    return QStringLiteral("%1 %2\n\n"
                          "Zeitnahme für Bergslalom-Veranstaltungen: zwei Bahnen im Wechsel, "
                          "Start und Ziel von Hand oder über Lichtschranken an der seriellen "
                          "Schnittstelle, ein Protokoll mit Rangliste, Export nach Excel, Word "
                          "und als Webseite, dazu ein Zuschauermonitor.\n\n"
                          "Jede Änderung des Protokolls wird sofort automatisch gesichert.\n\n"
                          "Hilfe: Taste F1\n"
                          "%3")
        .arg(title, version, HomeAddress);
}
