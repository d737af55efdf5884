#pragma once

#include "EventTypes.h"

#include <QDateTime>
#include <QString>
#include <QVector>

#include <cstdint>
#include <vector>

// One logged edit of a run or an entry, so an edit can be undone and a
// protest answered. Old and new values are compact JSON (empty for none).
struct BookChange
{
    std::int64_t id = 0;
    QDateTime at;
    QString what;          // see EventBook: "Strafe", "Art", "Handzeit", ...
    std::int64_t runId = 0; // the run it concerns, 0 for an entry
    int number = 0;        // the start number it concerns
    QString oldValue;
    QString newValue;
    std::int64_t undoneBy = 0; // the change that undid it, 0 while it stands
};

// A list as it was posted: "offiziell" freezes it, the book keeps each version.
struct PostedList
{
    std::int64_t id = 0;
    QString list;   // which list, e.g. "Klasse A", "Gesamtwertung"
    int version = 1; // per list, from 1
    bool official = false;
    QDateTime posted;
    QString content;
};

// Everything a book holds, as the program keeps it in memory.
struct BookContent
{
    EventRules rules;
    QVector<Entry> entries; // in entry-list order
    std::vector<RunRecord> runs; // in id order
    std::vector<BookChange> changes; // in id order
    std::vector<PostedList> posted; // in id order
};
