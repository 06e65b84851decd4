#pragma once
// A full disk: a tmpfs of a few pages mounted over a folder, which fill() then fills to the
// last page. Mounting needs root with the right to mount, which some containers withhold.
#include <QString>

namespace kavr::test {

class FullDisk
{
public:
    explicit FullDisk(const QString &dir);
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }
    // Writes a file that takes every page left; returns its size in bytes.
    qint64 fill(const QString &fileName);

private:
    QString m_dir;
    bool m_mounted = false;
    QString m_error;
};

} // namespace kavr::test
