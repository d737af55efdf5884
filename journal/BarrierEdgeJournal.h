#pragma once

#include <QString>

struct BarrierEdgeNote;

// One barrier edge as the journal tells it: the lines the port reported,
// the command it stood for and what became of it, suppressed edges marked
// with the reason ("Lichtschranke CTS ein, DSR aus: STOPP unterdrückt
// (STOPP-Sperrzeit läuft)").
QString BarrierEdgeText(const BarrierEdgeNote& note);
