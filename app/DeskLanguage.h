#pragma once

#include <QLocale>

class QCoreApplication;
class QTranslator;

// The desk speaks German however the program was started: dates on the
// date panel and numbers (km/h) are written the German way, so a protocol
// keeps one decimal separator in every row, also one loaded from an earlier
// day. Qt's own texts (file dialogs, "Abbrechen") come from Qt's German
// translations when the system's language is German or none was chosen
// (the C locale). Returns the installed translator (owned by the
// application), or null when there is none to load.
QTranslator* UseDeskLanguage(QCoreApplication& app, const QLocale& system);
