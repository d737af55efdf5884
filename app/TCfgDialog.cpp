#include "TCfgDialog.h"

#include "BarrierPort.h"
#include "ProbeSerialPorts.h"
#include "SerialAdapter.h"
#include "SerialPortPath.h"
#include "TSpinFloatEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {

QLabel* Label(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

int Rounded(double x)
{
    // Halves go to the even neighbour, like every rounding in the program.
    return int(std::nearbyint(x));
}

} // namespace

TCfgDialog::TCfgDialog(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("CfgDialog"));
    setWindowTitle(QStringLiteral("Einstellungen"));

    sfeLen = new TSpinFloatEdit(this);
    sfeLen->setObjectName(QStringLiteral("sfeLen"));
    sfeLen->SetMax(SettingRange::MaxLength / 1000.0);
    sfeLen->SetMin(SettingRange::MinLength / 1000.0);
    sfeLen->SetIncrement(0.1);
    sfeLen->SetDigits(2);
    sfeLen->SetValue(1.0);
    sfeLen->setToolTip(QStringLiteral("Km"));
    LabLen = Label(QStringLiteral("Streckenlänge:"), sfeLen, this);
    LabLen->setObjectName(QStringLiteral("LabLen"));

    gbLS = new QGroupBox(QStringLiteral("Lichtschranken"), this);
    gbLS->setObjectName(QStringLiteral("gbLS"));
    cbPort = new QComboBox(gbLS);
    cbPort->setObjectName(QStringLiteral("cbPort"));
    cbPort->setMaxVisibleItems(10);
    cbAlg = new QComboBox(gbLS);
    cbAlg->setObjectName(QStringLiteral("cbAlg"));
    cbAlg->addItems({QStringLiteral("Ein"), QStringLiteral("Aus")});
    seWait = new TSpinFloatEdit(gbLS);
    seWait->setObjectName(QStringLiteral("seWait"));
    seWait->SetMax(SettingRange::MaxWaitStart / 1000.0);
    seWait->SetMin(0);
    seWait->SetIncrement(0.1);
    seWait->SetDigits(1);
    seWait->SetValue(0);
    cbRunden = new QCheckBox(QStringLiteral("Runden"), gbLS);
    cbRunden->setObjectName(QStringLiteral("cbRunden"));

    cbManyStart = new QCheckBox(QStringLiteral("Mehrmals starten "), this);
    cbManyStart->setObjectName(QStringLiteral("cbManyStart"));
    cbMonitor = new QComboBox(this);
    cbMonitor->setObjectName(QStringLiteral("cbMonitor"));
    // Room for "1=(1280,0)-(1024,768)" without the dialog changing its size.
    cbMonitor->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbMonitor->setMinimumContentsLength(24);
    LabMonitor = Label(QStringLiteral("Multimonitor:"), cbMonitor, this);
    LabMonitor->setObjectName(QStringLiteral("LabMonitor"));
    eTitle = new QLineEdit(this);
    eTitle->setObjectName(QStringLiteral("eTitle"));

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto* lsLayout = new QGridLayout(gbLS);
    lsLayout->addWidget(Label(QStringLiteral("Port:"), cbPort, gbLS), 0, 0);
    lsLayout->addWidget(cbPort, 0, 1);
    lsLayout->addWidget(Label(QStringLiteral("Algorithmus:"), cbAlg, gbLS), 1, 0);
    lsLayout->addWidget(cbAlg, 1, 1);
    lsLayout->addWidget(Label(QStringLiteral("STOPP-Sperrzeit:"), seWait, gbLS), 2, 0);
    lsLayout->addWidget(seWait, 2, 1);
    lsLayout->addWidget(new QLabel(QStringLiteral("Sek."), gbLS), 2, 2);
    lsLayout->addWidget(cbRunden, 3, 0, 1, 3);
    // The probe cannot open such a port, so it is missing from the list: say why.
    LabDenied = new QLabel(gbLS);
    LabDenied->setObjectName(QStringLiteral("LabDenied"));
    LabDenied->setWordWrap(true);
    LabDenied->setVisible(false);
    lsLayout->addWidget(LabDenied, 4, 0, 1, 3);
    DeniedPorts = [] { return DeniedSerialPorts(); };
    lsLayout->setColumnStretch(1, 1);

    auto* grid = new QGridLayout;
    grid->addWidget(LabLen, 0, 0);
    grid->addWidget(sfeLen, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Km"), this), 0, 2);
    grid->addWidget(gbLS, 1, 0, 1, 3);
    grid->addWidget(cbManyStart, 2, 0, 1, 3);
    grid->addWidget(LabMonitor, 3, 0);
    grid->addWidget(cbMonitor, 3, 1, 1, 2);
    grid->addWidget(Label(QStringLiteral("Titel:"), eTitle, this), 4, 0);
    grid->addWidget(eTitle, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    // A fixed frame: the dialog keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    // Only the operator's choice counts as a port change, not the selection
    // made at opening.
    connect(cbPort, &QComboBox::activated, this, &TCfgDialog::cbPortChange);
    connect(cbRunden, &QCheckBox::toggled, this, &TCfgDialog::cbRundenClick);
}

void TCfgDialog::FormCreate(TAppSettings& settings)
{
    seWait->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (settings.Length == 0)
        settings.Length = Rounded(sfeLen->Value() * 1000);
    LabLen->setText(QStringLiteral("Streckenlänge:"));
}

std::optional<TAppSettings> TCfgDialog::Edit(const TAppSettings& settings, std::uint32_t availablePorts)
{
    Fill(settings, availablePorts);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return Chosen(settings);
}

void TCfgDialog::FillPorts(std::uint32_t availablePorts)
{
    cbPort->clear();
    cbPort->addItem(QStringLiteral("Kein"), 0);
    const int highest = int(availablePorts >> 16);
    for (int n = 1; n <= std::min(highest, 16); ++n) {
        if (!(availablePorts & (1u << (n - 1))))
            continue;
        cbPort->addItem(PortDisplayName(n), n);
    }
    ShowPortHints();
    ShowDeniedPorts();
}

void TCfgDialog::ShowDeniedPorts()
{
    const std::uint32_t denied = DeniedPorts ? DeniedPorts() : 0;
    QStringList ports;
    QStringList paths;
    for (std::uint8_t n = 1; n <= 16; ++n) {
        if (denied & (1u << (n - 1))) {
            ports << PortDisplayName(n);
            paths << QString::fromStdString(SerialPortPath(n));
        }
    }
    LabDenied->setText(ports.isEmpty() ? QString()
                                       : ports.join(QStringLiteral(", ")) + QStringLiteral(": ") +
                                             BarrierPort::OpenFailure(EACCES, paths.join(QStringLiteral(", "))));
    LabDenied->setVisible(!ports.isEmpty());
}

QString TCfgDialog::PortHint(std::uint8_t port) const
{
    const std::string path = SerialPortPath(port);
    const SerialAdapter adapter = FindSerialAdapter(path, SysfsRoot);
    QString hint = QString::fromStdString(path) + QLatin1Char('\n') + AdapterDescription(adapter);
    const QString latency = AdapterLatency(adapter);
    if (!latency.isEmpty())
        hint += QLatin1Char('\n') + latency;
    const QString warning = BarrierWiringWarning(adapter, PortDisplayName(port), cbRunden->isChecked());
    if (!warning.isEmpty())
        hint += QLatin1Char('\n') + warning;
    return hint;
}

void TCfgDialog::ShowPortHints()
{
    // The wiring warning depends on the mode, so the hints follow it.
    for (int i = 1; i < cbPort->count(); ++i)
        cbPort->setItemData(i, PortHint(std::uint8_t(cbPort->itemData(i).toInt())), Qt::ToolTipRole);
}

void TCfgDialog::Fill(const TAppSettings& settings, std::uint32_t availablePorts)
{
    FillPorts(availablePorts);
    const int portItem = settings.Port == 0 ? -1 : cbPort->findData(int(settings.Port));
    cbPort->setCurrentIndex(std::max(portItem, 0));
    cbAlg->setEnabled(cbPort->currentIndex() > 0);
    cbAlg->setCurrentIndex(settings.Alg);
    // The lockout and Runden keep the enabled state the last port choice gave them.
    seWait->SetValue(settings.WaitStart / 1000.0);
    sfeLen->SetValue(settings.Length / 1000.0);
    eTitle->setText(settings.Title);
    cbRunden->setChecked(settings.Runden);
    ShowPortHints();
    cbManyStart->setChecked(settings.ManyStart);
    monitor_ = settings.Monitor;
}

TAppSettings TCfgDialog::Chosen(const TAppSettings& before) const
{
    TAppSettings s = before;
    s.Title = eTitle->text();
    s.ManyStart = cbManyStart->isChecked();
    s.Monitor = std::max(cbMonitor->currentIndex(), 0);
    // Value applies the field's limits, so "-0", "0,0" or a pasted word
    // still give a length within 100..999000 m.
    s.Length = Rounded(sfeLen->Value() * 1000);
    s.WaitStart = Rounded(seWait->Value() * 1000);
    s.Runden = cbRunden->isChecked();
    s.Port = 0;
    if (cbPort->currentIndex() > 0) {
        s.Port = std::uint8_t(cbPort->currentData().toInt());
        if (cbAlg->currentIndex() >= 0)
            s.Alg = cbAlg->currentIndex();
    }
    return s;
}

void TCfgDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TCfgDialog::FormShow()
{
    cbRundenClick();
    QList<QRect> bounds;
    for (const QScreen* screen : QGuiApplication::screens())
        bounds.append(screen->geometry());
    FillMonitors(bounds, monitor_);
}

void TCfgDialog::FillMonitors(const QList<QRect>& screens, int monitor)
{
    const bool several = screens.size() > 1;
    cbMonitor->setEnabled(several);
    LabMonitor->setEnabled(several);
    cbMonitor->clear();
    if (!several) {
        cbMonitor->addItem(QStringLiteral("Default"));
        cbMonitor->setCurrentIndex(0);
        return;
    }
    for (int i = 0; i < screens.size(); ++i) {
        const QRect& r = screens.at(i);
        cbMonitor->addItem(QString::asprintf("%d=(%d,%d)-(%d,%d)", i, r.left(), r.top(), r.width(), r.height()));
    }
    // A monitor unplugged since the last choice falls back to the first.
    cbMonitor->setCurrentIndex(monitor >= 0 && monitor < screens.size() ? monitor : 0);
}

void TCfgDialog::cbPortChange()
{
    const bool port = cbPort->currentIndex() > 0;
    cbAlg->setEnabled(port);
    seWait->setEnabled(port);
    cbRunden->setEnabled(port);
}

void TCfgDialog::cbRundenClick()
{
    cbPort->setToolTip(cbRunden->isChecked() ? QStringLiteral("START&STOPP (4-6)")
                                             : QStringLiteral("START (4-6), STOPP (7-8)"));
    ShowPortHints();
}
