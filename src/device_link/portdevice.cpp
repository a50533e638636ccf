#include "portdevice.h"

#include <QFileInfo>
#include <QStandardPaths>

QString portLinkFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/Telvaronix/ports");
}

QString devicePathForPort(int port)
{
    const QString link = portLinkFolder() + QStringLiteral("/com") + QString::number(port);
    const QFileInfo linkInfo(link);
    if (linkInfo.isSymLink() || linkInfo.exists()) {
        const QString target = linkInfo.canonicalFilePath();
        return target.isEmpty() ? link : target;
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + QString::number(port);
#else
    return QStringLiteral("/dev/ttyS") + QString::number(port - 1);
#endif
}
