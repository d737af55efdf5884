#include "ProgramWindows.h"

#include "DBusSleepInhibitor.h"
#include "DeskAwake.h"
#include "Journal.h"

#include <QCoreApplication>

namespace {

// While the desk times, the desktop is asked to stay awake.
void KeepDeskAwake(TFormMain& form, SleepInhibitor* inhibitor)
{
    SleepInhibitor* own = inhibitor ? nullptr : new DBusSleepInhibitor(QCoreApplication::applicationName());
    auto* awake = new DeskAwake(inhibitor ? *inhibitor : *own, &form);
    // Gone after the desk lets it go.
    if (own)
        own->setParent(awake);
    awake->SetJournal(form.EventJournal(), form.EventJournal());
    awake->Follow(*form.Runs(), *form.Port());
}

} // namespace

std::unique_ptr<TFormMain> CreateProgramWindows(const TAppSettings& settings, const MainWindowSeams& seams)
{
    auto formMain = std::make_unique<TFormMain>(settings, seams);
    formMain->CreateCfgDialog();
    formMain->CreateYesNoDialog();
    formMain->CreateSpectatorWindow();
    formMain->StartEventBook();
    KeepDeskAwake(*formMain, seams.sleepInhibitor);
    return formMain;
}
