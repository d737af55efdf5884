#include "EntryTable.h"

#include "CsvTable.h"
#include "XlsxTable.h"

#include <QFile>

bool ReadEntryTable(const QString& path, EntryTable* table, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kEntryFileMaxBytes) {
        *error = QStringLiteral("Die Datei ist zu groß für eine Starterliste (über %1 MB).")
                     .arg(kEntryFileMaxBytes / (1024 * 1024));
        return false;
    }
    const QByteArray bytes = file.read(kEntryFileMaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2").arg(path, file.errorString());
        return false;
    }
    // Workbooks are zip archives; the old binary format and encrypted
    // workbooks are compound files that only a spreadsheet can open.
    if (bytes.startsWith("PK\x03\x04") || path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return ReadXlsxTable(path, table, error);
    if (bytes.startsWith("\xD0\xCF\x11\xE0")) {
        *error = QStringLiteral("Die Datei ist im alten Excel-Format (.xls) oder verschlüsselt. "
                                "Bitte in der Tabellenkalkulation als xlsx oder CSV speichern.");
        return false;
    }
    return ReadCsvTable(bytes, table, error);
}
