#pragma once

#include "TAppSettings.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

// "Live-Ergebnisse im Netzwerk": on or off, the port and the address to
// offer the pages on; shows the address being served and its QR code, so a
// phone reaches it with its camera.
class LiveSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LiveSettingsDialog(QWidget* parent = nullptr);

    // Fills the dialog; address is what the server serves now (empty: nothing).
    void Show(const TAppSettings& settings, const QString& address);
    // The settings with the dialog's live values.
    TAppSettings Chosen() const;
    // Shows the dialog; the chosen settings on "OK".
    std::optional<TAppSettings> Edit(const TAppSettings& settings, const QString& address);

    QCheckBox* on;
    QSpinBox* port;
    QComboBox* address;
    QCheckBox* spectator;
    QLabel* served;
    QLabel* code;

private:
    TAppSettings settings_;
};
