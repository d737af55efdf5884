#include "CsvTable.h"

#include "TextCodec.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

QString DecodeText(const QByteArray& bytes)
{
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (utf16)
        return QStringDecoder(QStringConverter::Utf16)(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes); // skips a leading byte-order mark
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(bytes);
}

// Semicolon and TAB are what German spreadsheets write; a comma only counts
// when neither appears in the first lines, because club names and cars hold
// commas far more often than the files use them.
QChar DetectSeparator(const QString& text)
{
    int tabs = 0, semicolons = 0, commas = 0, lines = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\t')
            ++tabs;
        else if (c == u';')
            ++semicolons;
        else if (c == u',')
            ++commas;
        else if (c == u'\n' && ++lines == 10)
            break;
    }
    if (tabs > 0 || semicolons > 0)
        return tabs > semicolons ? QChar(u'\t') : QChar(u';');
    return commas > 0 ? QChar(u',') : QChar(u';');
}

class Parser
{
public:
    Parser(const QString& text, QChar separator)
        : text_(text), separator_(separator)
    {
    }

    bool Run(EntryTable* table, QString* error)
    {
        int line = 1;
        int firstLine = 0, firstCount = 0;
        while (pos_ < text_.size()) {
            const int start = line++;
            if (!ReadRecord()) {
                *error = QStringLiteral("Zeile %1: Ein Anführungszeichen wird nicht geschlossen.").arg(start);
                return false;
            }
            if (overflow_) {
                *error = QStringLiteral("Zeile %1 hat mehr als %2 Spalten; das ist keine Starterliste.")
                             .arg(start).arg(kEntryTableMaxColumns);
                return false;
            }
            if (std::all_of(cells_.cbegin(), cells_.cend(), [](const QString& cell) { return cell.isEmpty(); }))
                continue;
            if (firstLine == 0) {
                firstLine = start;
                firstCount = count_;
            }
            // With commas, a comma left unquoted in a name shifts every later
            // column: such a file is refused rather than read wrong.
            if (separator_ == u',' && count_ != firstCount) {
                *error = QStringLiteral("Zeile %1 hat %2 Spalten, Zeile %3 aber %4: Steht in einem Eintrag ein "
                                        "Komma? Bitte die Liste mit Semikolon als Trennzeichen speichern.")
                             .arg(start).arg(count_).arg(firstLine).arg(firstCount);
                return false;
            }
            if (table->rows.size() == kEntryTableMaxRows) {
                *error = QStringLiteral("Die Datei hat mehr als %1 Zeilen; das ist keine Starterliste.")
                             .arg(kEntryTableMaxRows);
                return false;
            }
            table->rows.append({start, cells_});
        }
        return true;
    }

private:
    // One record up to its line end; false when a quote is left open.
    bool ReadRecord()
    {
        cells_.clear();
        count_ = 0;
        overflow_ = false;
        QString field;
        bool atFieldStart = true;
        while (pos_ < text_.size()) {
            const QChar c = text_.at(pos_++);
            if (c == u'"' && atFieldStart) {
                if (!ReadQuoted(&field))
                    return false;
                atFieldStart = false;
            } else if (c == separator_) {
                AddField(&field);
                atFieldStart = true;
            } else if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && pos_ < text_.size() && text_.at(pos_) == u'\n')
                    ++pos_;
                break;
            } else {
                field.append(c);
                atFieldStart = false;
            }
        }
        AddField(&field);
        return true;
    }

    // Empty columns far to the right (a spreadsheet writes them for
    // formatted cells) cost nothing; text there is not an entry list.
    void AddField(QString* field)
    {
        ++count_;
        const QString text = field->simplified(); // line breaks inside quotes become spaces
        if (cells_.size() < kEntryTableMaxColumns)
            cells_.append(text);
        else if (!text.isEmpty())
            overflow_ = true;
        field->clear();
    }

    bool ReadQuoted(QString* field)
    {
        while (pos_ < text_.size()) {
            const QChar c = text_.at(pos_++);
            if (c != u'"') {
                field->append(c);
            } else if (pos_ < text_.size() && text_.at(pos_) == u'"') {
                field->append(c);
                ++pos_;
            } else {
                return true;
            }
        }
        return false;
    }

    const QString& text_;
    const QChar separator_;
    qsizetype pos_ = 0;
    QStringList cells_;
    int count_ = 0;
    bool overflow_ = false;
};

} // namespace

bool ReadCsvTable(const QByteArray& bytes, EntryTable* table, QString* error)
{
    const QString text = DecodeText(bytes);
    if (text.contains(QChar(0))) {
        *error = QStringLiteral("Die Datei ist weder eine CSV-Textdatei noch eine xlsx-Arbeitsmappe.");
        return false;
    }
    const QChar separator = DetectSeparator(text);
    table->rows.clear();
    return Parser(text, separator).Run(table, error);
}
