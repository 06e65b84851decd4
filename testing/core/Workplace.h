#pragma once
// What the operator must know of the workstation before a subject starts, checked when the
// entry controls appear: a program run from the temporary folder (Windows runs a program opened
// inside a zip from there, an archive manager on Linux too), whose protocols go when that
// folder is cleaned; a Result folder that takes no file (a read-only share, Program Files, a
// full disk), whose protocols would scatter into each operator's fallback folders; a screen on
// which the test's window does not fit.
#include "testing/core/ProtocolFile.h"

#include <QSize>
#include <QStringList>

namespace kavr {

struct WorkplaceCheck
{
    bool runsFromTemporaryFolder = false; // no subject may be tested from there
    QString resultProblem;                // why Result takes no file; empty when it does
    QString fallback;                     // where protocols go instead; empty: nowhere
    // Why Result takes no journal's lock (a share that lets no one date a file of another's),
    // though it takes files: the journals go elsewhere, where no other workstation recovers them.
    QString lockProblem;

    // The operator's lines, plain Russian text; none when all is well.
    QStringList lines() const;
};

// programDir: the executable's folder; temporaryDir: the user's temporary folder. Makes and
// removes a probe file and a probe lock in Result (made for it when missing, and removed
// again), and a probe file in the fallback folders as needed.
WorkplaceCheck CheckWorkplace(const SaveTarget &target, const QString &programDir, const QString &temporaryDir);

// Stimuli keep their size in device-independent pixels (the test's norms depend on it), so the
// window, maximised, must leave the layout its whole client area at the screen's scale. client:
// the layout's size; available: the screen's work area; frame: what the window's frame takes of
// it (all three in device-independent pixels); scale: the screen's pixels per one of those. The
// operator's line, plain Russian text; empty when the layout fits.
QString ScreenProblem(QSize client, QSize available, QSize frame, qreal scale);

// Whether path is folder or lies below it, once both are resolved (links, "..").
bool InsideFolder(const QString &path, const QString &folder);

} // namespace kavr
