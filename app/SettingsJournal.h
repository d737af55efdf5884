#pragma once

#include "TAppSettings.h"

#include <QString>

// The settings the operator changed, in German for the journal
// ("Port COM1 -> COM5, STOPP-Sperrzeit 0,0 s -> 2,0 s"); empty when none.
// Window bounds are not settings the operator makes in the dialog.
QString SettingsChangeText(const TAppSettings& before, const TAppSettings& after);
