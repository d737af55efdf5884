#include "LiveLink.h"

#include "DeskFont.h"
#include "LiveQrCode.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace {

// Two pixels a module: small beside the lanes, still read by a phone held
// close to the screen.
constexpr int kModulePixels = 2;

} // namespace

LiveLink::LiveLink(QWidget* parent)
    : QWidget(parent), code(new QLabel(this)), text(new QLabel(this))
{
    setObjectName(QStringLiteral("LiveLink"));
    code->setObjectName(QStringLiteral("LiveCode"));
    text->setObjectName(QStringLiteral("LiveText"));
    text->setFont(DeskFontPixels(15));
    text->setWordWrap(true);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Live-Ergebnisse im Netzwerk"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(code, 0, Qt::AlignBottom);
    layout->addWidget(text, 1, Qt::AlignVCenter);
    hide();
}

void LiveLink::SetAddress(const QString& address)
{
    if (address == address_)
        return;
    address_ = address;
    const QImage image = address.isEmpty() ? QImage() : LiveQrCode(address, kModulePixels);
    code->setPixmap(QPixmap::fromImage(image));
    code->setFixedSize(image.size());
    text->setText(address.isEmpty() ? QString() : QStringLiteral("Live: ") + address);
    setFixedHeight(image.height());
    setVisible(!image.isNull());
}

void LiveLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT Clicked();
}
