#include "BackupExitQuestion.h"

#include "ProtocolBackup.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

BackupExitQuestion::BackupExitQuestion(QWidget* parent)
{
    Ask = [parent](const QString& question, const QString& why) {
        QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), question, QMessageBox::NoButton,
                        parent);
        box.setInformativeText(why);
        QPushButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
        QPushButton* save = box.addButton(QStringLiteral("Speichern unter..."), QMessageBox::ActionRole);
        QPushButton* no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        if (box.clickedButton() == yes)
            return Answer::Quit;
        return box.clickedButton() == save ? Answer::SaveElsewhere : Answer::Stay;
    };
}

bool BackupExitQuestion::MayClose(ProtocolBackup& backup, bool hasRuns)
{
    for (;;) {
        if (backup.WriteNow() || !hasRuns)
            return true;
        switch (Ask(Question, backup.Notice())) {
        case Answer::Quit:
            return true;
        case Answer::Stay:
            return false;
        case Answer::SaveElsewhere:
            if (SaveElsewhere)
                SaveElsewhere();
            // Then asked again: the backup itself has still not been written.
            break;
        }
    }
}
