#pragma once

#include <QString>

// What the desk tells about itself: the info box and the two web addresses.
namespace ProgramInfo {

// The program's own page, named in the info box.
inline const QString HomeAddress = QStringLiteral("https://ravolt.example.org/");
// The maker's page behind the logo.
inline const QString MakerAddress = QStringLiteral("https://www.example.org/");

// The info box's text: program and version, what it does, where to find it.
QString InfoText(const QString& title, const QString& version);

} // namespace ProgramInfo
