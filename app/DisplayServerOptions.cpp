#include "DisplayServerOptions.h"

#include <QByteArray>
#include <QtGlobal>

void PreferSocketPictureTransfer()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArray("1"));
}
