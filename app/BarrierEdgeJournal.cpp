#include "BarrierEdgeJournal.h"

#include "ComTypes.h"
#include "JournalFeed.h"
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

QString OutcomeText(BarrierCommand command, BarrierOutcome outcome)
{
    const bool start = command == BarrierCommand::Start;
    switch (outcome) {
    case BarrierOutcome::Accepted:
        return QStringLiteral("ausgelöst");
    case BarrierOutcome::Unavailable:
        return start ? QStringLiteral("ohne Wirkung (keine Bahn frei)")
                     : QStringLiteral("ohne Wirkung (keine Bahn läuft)");
    case BarrierOutcome::LockedOut:
        return start ? QStringLiteral("unterdrückt (Sperre 1 s nach dem letzten START-Impuls)")
                     : QStringLiteral("unterdrückt (STOPP-Sperrzeit läuft)");
    case BarrierOutcome::Blocked:
        return QStringLiteral("unterdrückt (STOPP-Lichtschranke blockiert, F12)");
    case BarrierOutcome::NotByAlg:
        return QStringLiteral("nicht gewertet (Einstellung Algorithmus)");
    case BarrierOutcome::Unchanged:
        break;
    }
    return QStringLiteral("nicht gewertet (unverändert)");
}

} // namespace

QString BarrierEdgeText(const BarrierEdgeNote& note)
{
    QString text = QStringLiteral("Lichtschranke ") + Line("CTS", note.status & MS_CTS_ON) +
                   QStringLiteral(", ") + Line("DSR", note.status & MS_DSR_ON) +
                   QStringLiteral(": ") + CommandText(note.command) + QLatin1Char(' ') +
                   OutcomeText(note.command, note.outcome);
    // The watchdog found a change the wait missed; its time is the
    // watchdog's, not the edge's.
    if (note.late)
        text += QStringLiteral(", spät erkannt");
    return text;
}

void JournalBarrierEdges(LightBarrierInput& barrier, JournalFeed& journal)
{
    QObject::connect(&barrier, &LightBarrierInput::Edge, &barrier, [&journal](const BarrierEdgeNote& note) {
        if (note.outcome != BarrierOutcome::Unchanged)
            journal.Record(note.stamp.tick, BarrierEdgeText(note));
    });
}
