#include "report/window/FolderReading.h"

#include "report/read/ResultFolder.h"

#include <QElapsedTimer>
#include <QThread>

namespace kavr::report {

FolderReading::FolderReading(QObject *parent) : QObject(parent)
{
}

FolderReading::~FolderReading()
{
    stop();
}

void FolderReading::stop()
{
    if (!m_thread)
        return;
    m_stop->store(true);
    m_thread->wait(); // at most one file's reading
    delete m_thread;
    m_thread = nullptr;
}

void FolderReading::clear()
{
    stop();
    m_pool = ProtocolPool();
}

void FolderReading::start(const QString &folder, const QString &folderShown,
                          const QString &localDateFormat)
{
    stop();
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    m_stop = stopped;
    m_thread = QThread::create([this, stopped, folder, folderShown, localDateFormat] {
        const QStringList files = ListProtocolFiles(folder);
        const int total = int(files.size());
        ProtocolPool pool(folderShown, localDateFormat);
        QElapsedTimer sinceShown;
        sinceShown.start();
        // Told to the window some fifty times a second, not once per file: ten thousand
        // events would only queue up behind its painting.
        const auto tell = [this, stopped, total](int done) {
            QMetaObject::invokeMethod(
                this,
                [this, stopped, done, total] {
                    if (!stopped->load())
                        emit progressed(done, total);
                },
                Qt::QueuedConnection);
        };
        tell(0);
        for (int i = 0; i < total; ++i) {
            if (stopped->load())
                return;
            pool.add(files[i], ReadProtocolFile(files[i]));
            if (sinceShown.elapsed() >= 20) {
                tell(i + 1);
                sinceShown.restart();
            }
        }
        tell(total);
        QMetaObject::invokeMethod(
            this,
            [this, stopped, pool = std::move(pool)]() mutable {
                if (stopped->load())
                    return;
                m_pool = std::move(pool);
                m_thread->wait();
                delete m_thread;
                m_thread = nullptr;
                emit finished();
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
}

} // namespace kavr::report
