#pragma once

#include <QString>

struct BarrierEdgeNote;
class JournalFeed;
class LightBarrierInput;

// One barrier edge as the journal tells it: the lines the port reported,
// the command it stood for and what became of it, suppressed edges marked
// with the reason ("Lichtschranke CTS ein, DSR aus: STOPP unterdrückt
// (STOPP-Sperrzeit läuft)").
QString BarrierEdgeText(const BarrierEdgeNote& note);

// Every edge the port reported, suppressed ones too, goes to the journal at
// the edge's tick; a second report of the same lines is no edge.
void JournalBarrierEdges(LightBarrierInput& barrier, JournalFeed& journal);
