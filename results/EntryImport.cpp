#include "EntryImport.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr int kHeaderSearchRows = 10;

// Header names compared lower-case without spaces, dots, hyphens and
// underscores: "Start-Nr." and "start nr" are both "startnr".
QString HeaderKey(const QString& name)
{
    static const QRegularExpression ignored(QStringLiteral("[\\s._-]"));
    return name.toLower().remove(ignored);
}

const QHash<QString, EntryField>& KnownHeaders()
{
    static const QHash<QString, EntryField> known = [] {
        QHash<QString, EntryField> h;
        for (const char* n : {"nr", "nummer", "startnr", "startnummer", "stnr", "no", "number", "startno",
                              "startnumber", "#"})
            h.insert(QString::fromLatin1(n), EntryField::Number);
        for (const char* n : {"name", "nachname", "familienname", "fahrer", "lastname", "surname", "familyname",
                              "driver"})
            h.insert(QString::fromLatin1(n), EntryField::Name);
        for (const char* n : {"vorname", "firstname", "givenname", "forename"})
            h.insert(QString::fromLatin1(n), EntryField::FirstName);
        for (const char* n : {"fahrzeug", "auto", "wagen", "car", "vehicle"})
            h.insert(QString::fromLatin1(n), EntryField::Car);
        for (const char* n : {"klasse", "kl", "wertungsklasse", "class", "category"})
            h.insert(QString::fromLatin1(n), EntryField::ClassName);
        for (const char* n : {"verein", "ortsclub", "club"})
            h.insert(QString::fromLatin1(n), EntryField::Club);
        for (const char* n : {"team", "mannschaft"})
            h.insert(QString::fromLatin1(n), EntryField::Team);
        return h;
    }();
    return known;
}

ColumnMapping MatchHeader(const EntryTable& table, int row)
{
    ColumnMapping mapping;
    mapping.headerRow = row;
    const QStringList& cells = table.rows.at(row).cells;
    for (int column = 0; column < cells.size(); ++column) {
        const auto found = KnownHeaders().constFind(HeaderKey(cells.at(column)));
        if (found != KnownHeaders().constEnd() && mapping[*found] < 0)
            mapping[*found] = column;
    }
    return mapping;
}

QString Cell(const EntryTable::Row& row, int column)
{
    return column >= 0 && column < row.cells.size() ? row.cells.at(column) : QString();
}

// 1..9999; "12.0" and "12,0" are what a spreadsheet may write for 12.
bool ParseStartNumber(const QString& text, int* number)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,4})(?:[.,]0+)?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    *number = match.captured(1).toInt();
    return *number >= 1 && *number <= 9999;
}

bool CheckMapping(const EntryTable& table, const ColumnMapping& mapping, QString* error)
{
    if (mapping.headerRow < 0 || mapping.headerRow >= table.rows.size()) {
        *error = QStringLiteral("Die Datei enthält keine Kopfzeile.");
        return false;
    }
    QStringList missing;
    for (int f = 0; f < kEntryFieldCount; ++f) {
        const auto field = EntryField(f);
        if (IsRequiredEntryField(field) && mapping[field] < 0)
            missing << EntryFieldText(field);
        for (int g = 0; g < f; ++g)
            if (mapping.columns[f] >= 0 && mapping.columns[f] == mapping.columns[g]) {
                *error = QStringLiteral("„%1“ und „%2“ sind derselben Spalte zugeordnet.")
                             .arg(EntryFieldText(EntryField(g)), EntryFieldText(field));
                return false;
            }
    }
    if (!missing.isEmpty()) {
        *error = QStringLiteral("Keine Spalte für %1 zugeordnet.").arg(missing.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

} // namespace

QString EntryFieldText(EntryField field)
{
    switch (field) {
    case EntryField::Number: return QStringLiteral("Nr.");
    case EntryField::Name: return QStringLiteral("Name");
    case EntryField::FirstName: return QStringLiteral("Vorname");
    case EntryField::Car: return QStringLiteral("Fahrzeug");
    case EntryField::ClassName: return QStringLiteral("Klasse");
    case EntryField::Club: return QStringLiteral("Verein");
    case EntryField::Team: return QStringLiteral("Team");
    }
    return QString();
}

bool IsRequiredEntryField(EntryField field)
{
    return field == EntryField::Number || field == EntryField::Name || field == EntryField::ClassName;
}

bool IsCompleteMapping(const ColumnMapping& mapping)
{
    for (int f = 0; f < kEntryFieldCount; ++f)
        if (IsRequiredEntryField(EntryField(f)) && mapping.columns[f] < 0)
            return false;
    return true;
}

ColumnMapping GuessColumnMapping(const EntryTable& table)
{
    const int rows = std::min<int>(table.rows.size(), kHeaderSearchRows);
    for (int row = 0; row < rows; ++row) {
        const ColumnMapping mapping = MatchHeader(table, row);
        if (IsCompleteMapping(mapping))
            return mapping;
    }
    return table.rows.isEmpty() ? ColumnMapping{} : MatchHeader(table, 0);
}

bool ApplyColumnMapping(const EntryTable& table, const ColumnMapping& mapping, QList<Entry>* entries,
                        QString* error)
{
    if (!CheckMapping(table, mapping, error))
        return false;
    QList<Entry> read;
    QHash<int, int> lineOfNumber;
    for (int r = mapping.headerRow + 1; r < table.rows.size(); ++r) {
        const EntryTable::Row& row = table.rows.at(r);
        Entry entry;
        const QString number = Cell(row, mapping[EntryField::Number]);
        if (!ParseStartNumber(number, &entry.number)) {
            *error = number.isEmpty()
                ? QStringLiteral("Zeile %1: Die Startnummer fehlt.").arg(row.line)
                : QStringLiteral("Zeile %1: Die Startnummer „%2“ ist keine Zahl von 1 bis 9999.")
                      .arg(row.line).arg(number);
            return false;
        }
        if (const auto seen = lineOfNumber.constFind(entry.number); seen != lineOfNumber.constEnd()) {
            *error = QStringLiteral("Zeile %1: Die Startnummer %2 steht schon in Zeile %3.")
                         .arg(row.line).arg(entry.number).arg(*seen);
            return false;
        }
        lineOfNumber.insert(entry.number, row.line);
        entry.name = Cell(row, mapping[EntryField::Name]);
        entry.firstName = Cell(row, mapping[EntryField::FirstName]);
        entry.car = Cell(row, mapping[EntryField::Car]);
        entry.className = Cell(row, mapping[EntryField::ClassName]);
        entry.club = Cell(row, mapping[EntryField::Club]);
        entry.team = Cell(row, mapping[EntryField::Team]);
        if (entry.className.isEmpty()) {
            *error = QStringLiteral("Zeile %1: Die Klasse fehlt (Startnummer %2).").arg(row.line).arg(entry.number);
            return false;
        }
        entry.order = int(read.size()) + 1;
        read.append(entry);
    }
    if (read.isEmpty()) {
        *error = QStringLiteral("Die Datei enthält unter der Kopfzeile keine Starter.");
        return false;
    }
    *entries = read;
    return true;
}

EntryImportResult ImportEntries(const QString& path)
{
    EntryImportResult result;
    if (!ReadEntryTable(path, &result.table, &result.error))
        return result;
    if (result.table.rows.isEmpty()) {
        result.error = QStringLiteral("Die Datei ist leer.");
        return result;
    }
    result.mapping = GuessColumnMapping(result.table);
    if (!IsCompleteMapping(result.mapping)) {
        result.status = EntryImportResult::Status::NeedsMapping;
        return result;
    }
    if (ApplyColumnMapping(result.table, result.mapping, &result.entries, &result.error))
        result.status = EntryImportResult::Status::Imported;
    return result;
}
