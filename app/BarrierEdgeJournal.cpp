#include "BarrierEdgeJournal.h"

#include "LightBarrierInput.h"

namespace {

QString Line(const char* name, bool on)
{
    return QLatin1String(name) + (on ? QStringLiteral(" ein") : QStringLiteral(" aus"));
}

QString CommandText(BarrierCommand command)
{
    switch (command) {
    case BarrierCommand::Start:
        return QStringLiteral("START");
    case BarrierCommand::Stop:
        return QStringLiteral("STOPP");
    case BarrierCommand::None:
        break;
    }
    return QStringLiteral("Flanke");
}

QString OutcomeText(BarrierOutcome outcome)
{
    switch (outcome) {
    case BarrierOutcome::Accepted:
        return QStringLiteral("ausgelöst");
    case BarrierOutcome::LockedOut:
        return QStringLiteral("unterdrückt (Sperrzeit)");
    case BarrierOutcome::Blocked:
        return QStringLiteral("unterdrückt (Lichtschranke STOPP blockiert)");
    case BarrierOutcome::NotByAlg:
        return QStringLiteral("nicht gewertet (Auswertung)");
    case BarrierOutcome::Unchanged:
        break;
    }
    return QStringLiteral("nicht gewertet (unverändert)");
}

} // namespace

QString BarrierEdgeText(const BarrierEdgeNote& note)
{
    QString text = QStringLiteral("Lichtschranke ") + Line("CTS", note.status & LightBarrierInput::CtsOn) +
                   QStringLiteral(", ") + Line("DSR", note.status & LightBarrierInput::DsrOn) +
                   QStringLiteral(": ") + CommandText(note.command) + QLatin1Char(' ') + OutcomeText(note.outcome);
    // The watchdog found a change the wait missed; its time is the
    // watchdog's, not the edge's.
    if (note.late)
        text += QStringLiteral(", spät erkannt");
    return text;
}
