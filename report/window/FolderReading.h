#pragma once
// Reads the protocols of a Result folder on a thread of its own, so that the window answers and
// its progress bar moves while ten thousand files are read. One reading at a time: a new one,
// or the end of the window, stops the one before.
#include "report/select/ProtocolPool.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

namespace kavr::report {

class FolderReading final : public QObject
{
    Q_OBJECT

public:
    explicit FolderReading(QObject *parent = nullptr);
    ~FolderReading() override;

    // folderShown: the folder as the reports name it; localDateFormat: ReadProtocolDate's.
    void start(const QString &folder, const QString &folderShown, const QString &localDateFormat);
    bool running() const { return m_thread != nullptr; }
    // Stops a reading and forgets what the last one read: another folder is about to be shown.
    void clear();
    // What the last reading that finished read (finished() has been emitted).
    const ProtocolPool &pool() const { return m_pool; }

signals:
    void progressed(int done, int total);
    void finished();

private:
    void stop();

    QThread *m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_stop;
    ProtocolPool m_pool;
};

} // namespace kavr::report
