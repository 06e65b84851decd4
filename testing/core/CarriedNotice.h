#pragma once
// The operator's notice of what a start recovered, when it came too late to be shown: recovery
// runs beside the window, and on a slow share it may end after a subject has begun the test,
// whose screens must stay as they are. Such lines are kept in a file of the user's own settings
// and shown on the log-in layer of the next start, then forgotten.
#include <QString>
#include <QStringList>

namespace kavr {

class CarriedNotice final
{
public:
    // The file that keeps the lines: the user's own settings file of the program unless given.
    explicit CarriedNotice(QString file = UserFile());

    // The lines kept so far, oldest first; only what the program itself could have kept (a file
    // damaged or edited by hand shows nothing of what it holds but such lines).
    QStringList lines() const;
    // Adds more lines (files named by their full paths: the next start may run from elsewhere). Empty
    // when they are kept; else why not, for the operator (the file cannot be written).
    QString keep(const QStringList &more);
    // Forgets them once shown.
    void clear();

    static QString UserFile();

private:
    QString m_file;
};

} // namespace kavr
