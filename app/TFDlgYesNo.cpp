#include "TFDlgYesNo.h"

#include "DialogPictures.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TFDlgYesNo::TFDlgYesNo(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
    , mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("FDlgYesNo"));
    setFixedSize(222, 94);

    Icon = new QLabel(this);
    Icon->setObjectName(QStringLiteral("Icon"));
    Icon->setGeometry(8, 8, 32, 32);
    Icon->setPixmap(YesNoIconPicture());

    Label1 = new QLabel(QStringLiteral("?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(45, 4, 169, 49);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    OKBtn = new QPushButton(QStringLiteral("Ja"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(32, 60, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    // QDialog answers Escape and the close box with reject(): both refuse.
    CancelBtn = new QPushButton(QStringLiteral("Nein"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(115, 60, 75, 25);
    CancelBtn->setAutoDefault(false);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(OKBtn, CancelBtn);
    FormCreate();
}

void TFDlgYesNo::FormCreate()
{
    setWindowTitle(QCoreApplication::applicationName());
}

bool TFDlgYesNo::Ask(const QString& question)
{
    Label1->setText(question);
    return exec() == QDialog::Accepted;
}

void TFDlgYesNo::showEvent(QShowEvent* event)
{
    CentreOverMainWindow();
    QDialog::showEvent(event);
    // "Ja" has the focus, so Enter right after opening answers "Ja".
    OKBtn->setFocus();
    // Shown last among the always-on-top windows, it lies above the
    // spectator window too.
    raise();
    activateWindow();
}

void TFDlgYesNo::CentreOverMainWindow()
{
    if (!mainWindow_)
        return;
    QScreen* screen = mainWindow_->screen();
    QRect frame(QPoint(), size());
    frame.moveCenter(mainWindow_->frameGeometry().center());
    if (screen) {
        const QRect area = screen->availableGeometry();
        frame.moveLeft(qBound(area.left(), frame.left(), qMax(area.left(), area.right() - frame.width() + 1)));
        frame.moveTop(qBound(area.top(), frame.top(), qMax(area.top(), area.bottom() - frame.height() + 1)));
        setScreen(screen);
    }
    move(frame.topLeft());
}
