#include "app/core/Pause.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

void Pause(float seconds)
{
    if (!(seconds > 0.0f))
        return;
    QDeadlineTimer deadline(static_cast<qint64>(seconds * 1000.0f), Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const qint64 left = deadline.remainingTime();
        if (left > 0)
            QThread::msleep(static_cast<unsigned long>(qMin<qint64>(left, 10)));
    }
}
