#include "ProgramWindows.h"

std::unique_ptr<TFormMain> CreateProgramWindows(const TAppSettings& settings, const MainWindowSeams& seams)
{
    auto formMain = std::make_unique<TFormMain>(settings, seams);
    formMain->CreateCfgDialog();
    formMain->CreateYesNoDialog();
    formMain->CreateSpectatorWindow();
    formMain->StartEventBook();
    return formMain;
}
