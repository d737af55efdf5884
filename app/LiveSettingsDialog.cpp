#include "LiveSettingsDialog.h"

#include "LiveQrCode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QNetworkInterface>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

LiveSettingsDialog::LiveSettingsDialog(QWidget* parent)
    : QDialog(parent), on(new QCheckBox(QStringLiteral("Live-Ergebnisse im Netzwerk anbieten"), this)),
      port(new QSpinBox(this)), address(new QComboBox(this)),
      spectator(new QCheckBox(QStringLiteral("QR-Code auf dem Zuschauer-Monitor zeigen"), this)),
      served(new QLabel(this)), code(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Live-Ergebnisse im Netzwerk"));
    port->setRange(1, 65535);
    served->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* form = new QFormLayout;
    form->addRow(on);
    form->addRow(QStringLiteral("Port:"), port);
    form->addRow(QStringLiteral("Adresse:"), address);
    form->addRow(spectator);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(served);
    layout->addWidget(code, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);
}

void LiveSettingsDialog::Show(const TAppSettings& settings, const QString& servedAddress)
{
    settings_ = settings;
    on->setChecked(settings.LiveResults);
    port->setValue(settings.LivePort);
    spectator->setChecked(settings.LiveQrSpectator);
    address->clear();
    address->addItem(QStringLiteral("Alle Adressen dieses Rechners"), QStringLiteral("alle"));
    address->addItem(QStringLiteral("127.0.0.1 (nur dieser Rechner, zum Ausprobieren)"), QStringLiteral("127.0.0.1"));
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol)
            address->addItem(a.toString(), a.toString());
    int at = address->findData(settings.LiveAddress);
    if (at < 0) { // an address this machine no longer has: kept, so the operator sees it
        address->addItem(settings.LiveAddress + QStringLiteral(" (nicht vorhanden)"), settings.LiveAddress);
        at = address->count() - 1;
    }
    address->setCurrentIndex(at);
    if (servedAddress.isEmpty()) {
        served->setText(QStringLiteral("Zurzeit werden keine Live-Ergebnisse angeboten."));
        code->clear();
    } else {
        served->setText(QStringLiteral("Im Netzwerk erreichbar unter: %1").arg(servedAddress));
        code->setPixmap(QPixmap::fromImage(LiveQrCode(servedAddress, 6)));
    }
}

TAppSettings LiveSettingsDialog::Chosen() const
{
    TAppSettings s = settings_;
    s.LiveResults = on->isChecked();
    s.LivePort = port->value();
    s.LiveAddress = address->currentData().toString();
    s.LiveQrSpectator = spectator->isChecked();
    return s;
}

std::optional<TAppSettings> LiveSettingsDialog::Edit(const TAppSettings& settings, const QString& servedAddress)
{
    Show(settings, servedAddress);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return Chosen();
}
