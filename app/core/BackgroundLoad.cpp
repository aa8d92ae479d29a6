#include "app/core/BackgroundLoad.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <atomic>
#include <thread>

bool LoadXmlKeepingWindowAlive(DomDocument& doc, const QString& path)
{
    if (!QCoreApplication::instance())
        return doc.load(path);
    QEventLoop loop;
    std::atomic<bool> done{false};
    bool ok = false;
    std::thread worker([&] {
        ok = doc.load(path);
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The worker may finish before the loop starts; the queued quit still ends it.
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    return ok;
}
