#pragma once

#include "TAppSettings.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TSpinFloatEdit;

// The settings dialog. It edits a copy of the operator's settings and hands
// the confirmed copy back; applying it is the main window's business, so the
// dialog touches no other window.
class TCfgDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TCfgDialog(QWidget* mainWindow);

    // Once at start-up: a track length of 0 becomes the field's 1,00 km.
    void FormCreate(TAppSettings& settings);
    // Fills the controls, shows the dialog modally and returns the settings
    // as confirmed with "OK", or nothing after "Abbrechen" or Escape.
    // availablePorts: bit n-1 for port n, as ProbeSerialPorts reports.
    std::optional<TAppSettings> Edit(const TAppSettings& settings, std::uint32_t availablePorts);

    // The steps of Edit, for callers that run the modal loop themselves.
    void Fill(const TAppSettings& settings, std::uint32_t availablePorts);
    TAppSettings Chosen(const TAppSettings& before) const;

    void FormShow();
    // The monitor list for these screen bounds, selecting item monitor.
    void FillMonitors(const QList<QRect>& screens, int monitor);
    void cbPortChange();
    void cbRundenClick();

    QLabel* LabLen;
    TSpinFloatEdit* sfeLen;
    QGroupBox* gbLS;
    QComboBox* cbPort;
    QComboBox* cbAlg;
    TSpinFloatEdit* seWait;
    QCheckBox* cbRunden;
    QCheckBox* cbManyStart;
    QLabel* LabMonitor;
    QComboBox* cbMonitor;
    QLineEdit* eTitle;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    // Where the ports' drivers are looked up; "/sys" but for tests.
    std::string SysfsRoot = "/sys";
    // Ports whose device this user may not open, as DeniedSerialPorts reports.
    std::function<std::uint32_t()> DeniedPorts;
    // The remedy for those ports; hidden when there are none.
    QLabel* LabDenied;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillPorts(std::uint32_t availablePorts);
    // A port's tooltip: its device, its adapter's driver and what that
    // means for the barriers as wired.
    QString PortHint(std::uint8_t port) const;
    void ShowPortHints();
    void ShowDeniedPorts();

    int monitor_ = 0;
};
