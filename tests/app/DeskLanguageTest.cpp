#include "DatePanelText.h"
#include "DeskLanguage.h"
#include "QtPrinters.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>
#include <gtest/gtest.h>

// Started with LANG=C (a service, a bare terminal) or on an English system,
// the desk still writes dates and km/h the German way.
TEST(DeskLanguage, DatesAndNumbersAreGermanWhateverTheSystemSays)
{
    const QDateTime evening(QDate(2026, 12, 8), QTime(21, 3));
    for (const QLocale& system : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(system);
        QTranslator* translator = UseDeskLanguage(*qApp, system);
        EXPECT_EQ(DatePanelText(evening, QLocale()), "08.12.2026   21:03") << system.name();
        EXPECT_EQ(QLocale().toString(55.3, 'f', 1), "55,3") << system.name();
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
}

TEST(DeskLanguage, QtsOwnDialogTextsAreGermanOnAGermanOrUnchosenSystem)
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm"))
        GTEST_SKIP() << "Qt's translations not installed (scripts/setup.sh installs qt6-translations-l10n)";
    const struct {
        QLocale system;
        QString cancel;
    } cases[] = {
        {QLocale(QLocale::German, QLocale::Germany), "Abbrechen"},
        {QLocale(QLocale::German, QLocale::Austria), "Abbrechen"},
        {QLocale::c(), "Abbrechen"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "Cancel"},
    };
    for (const auto& c : cases) {
        QTranslator* translator = UseDeskLanguage(*qApp, c.system);
        EXPECT_EQ(translator != nullptr, c.cancel == "Abbrechen") << c.system.name();
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), c.cancel) << c.system.name();
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), c.cancel == "Cancel" ? "Look in:" : "Suchen in:")
            << c.system.name();
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
}
