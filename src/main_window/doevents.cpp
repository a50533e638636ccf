#include "doevents.h"

#include <QCoreApplication>

void DoEvents(QEventLoop::ProcessEventsFlags flags)
{
    QCoreApplication::processEvents(flags);
}
