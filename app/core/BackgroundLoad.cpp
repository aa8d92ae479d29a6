#include "app/core/BackgroundLoad.h"

#include "app/core/WorkingFolder.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <atomic>
#include <thread>

namespace {

// A file the working folder holds in memory is read from there.
bool Load(DomDocument& doc, const QString& path)
{
    if (const HeldFile held = HeldWorkingFile(path); held && QFileInfo(path).size() == 0)
        return doc.loadXML(QByteArray::fromRawData(held.data.get(), qsizetype(held.size)));
    return doc.load(path);
}

} // namespace

bool LoadXmlKeepingWindowAlive(DomDocument& doc, const QString& path)
{
    if (!QCoreApplication::instance())
        return Load(doc, path);
    QEventLoop loop;
    std::atomic<bool> done{false};
    bool ok = false;
    std::thread worker([&] {
        ok = Load(doc, path);
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The worker may finish before the loop starts; the queued quit still ends it.
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    return ok;
}
