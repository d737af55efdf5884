#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <ostream>

// Readable failure messages for the Qt types the tests compare.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

inline std::ostream& operator<<(std::ostream& os, const QString& text)
{
    return os << text.toStdString();
}
