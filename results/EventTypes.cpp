#include "EventTypes.h"

QString RunStatusText(RunStatus status)
{
    switch (status) {
    case RunStatus::Valid: return QString();
    case RunStatus::Invalid: return QStringLiteral("n.g.");
    case RunStatus::DNF: return QStringLiteral("DNF");
    case RunStatus::DNS: return QStringLiteral("DNS");
    }
    return QString();
}

QString ScoringRuleText(ScoringRule rule)
{
    switch (rule) {
    case ScoringRule::SumOfAll: return QStringLiteral("Summe aller Wertungsläufe");
    case ScoringRule::SumOfBestN: return QStringLiteral("Summe der besten N");
    case ScoringRule::BestTime: return QStringLiteral("Bestzeit");
    }
    return QString();
}
