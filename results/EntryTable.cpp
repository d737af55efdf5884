#include "EntryTable.h"

#include "CsvTable.h"
#include "XlsxTable.h"

#include <QFile>
#include <QFileInfo>

bool ReadEntryTable(const QString& path, EntryTable* table, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = QStringLiteral("Die Datei „%1“ gibt es nicht.").arg(path);
        return false;
    }
    if (info.isDir()) {
        *error = QStringLiteral("„%1“ ist ein Ordner, keine Datei.").arg(path);
        return false;
    }
    const QString unreadable = QStringLiteral("Die Datei „%1“ kann nicht gelesen werden.").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = unreadable;
        return false;
    }
    if (file.size() > kEntryFileMaxBytes) {
        *error = QStringLiteral("Die Datei ist zu groß für eine Starterliste (über %1 MB).")
                     .arg(kEntryFileMaxBytes / (1024 * 1024));
        return false;
    }
    const QByteArray bytes = file.read(kEntryFileMaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = unreadable;
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
