#pragma once
// What the log-in layer tells the operator, from the appearance of the entry controls until the
// first valid entry: why the last entry was refused, what is amiss with the workstation and with
// its screen, then the protocols recovered at an earlier start and at this one. The window shows
// text() as it stands; nothing here touches a widget.
#include "testing/core/CarriedNotice.h"
#include "testing/core/ProtocolFile.h"
#include "testing/core/SubjectEntryCheck.h"
#include "testing/core/Workplace.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kavr {

class LogInNotice final
{
public:
    // The program runs from the executable's folder and the user's temporary folder is the
    // system's, unless set; notices for the next start are kept in the user's own settings file
    // unless set (CarriedNotice).
    LogInNotice();

    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    void setTemporaryFolder(const QString &folder) { m_temporaryFolder = folder; }
    void setCarriedNoticeFile(const QString &file) { m_carried = CarriedNotice(file); }

    // The entry controls have appeared: checks the workstation for target (CheckWorkplace), takes
    // the screen's line (ScreenProblem; empty when it fits) and what an earlier start could not
    // show, which the carried notice then forgets.
    void entryControlsShown(const SaveTarget &target, const QString &screenProblem);
    // What this start's recovery found, told until the first valid entry.
    // lines name files in Result by their names; the same with full paths are what the next
    // start is told should the operator never see them.
    void setRecovery(const QStringList &lines, const QStringList &withPaths)
    {
        m_recovery = lines;
        m_recoveryWithPaths = withPaths;
    }
    // What it found once a subject is at work, told at the next start instead; held until the
    // window closes when it cannot be kept.
    void carry(const QStringList &lines);
    // The window closes: what this start found and the operator never saw (the entry controls
    // never appeared) is told at the next start. Returns what could be told neither way, for a
    // message now; empty when nothing was lost.
    QString closing();
    // Why the last entry was refused: the first line.
    void refuse(const QString &reason) { m_refusal = reason; }
    // Why no subject may start at this workstation; nothing when one may.
    std::optional<EntryProblem> workplaceRefusal() const;
    // A valid entry: the refusal and the recovered protocols are told no more; what is amiss with
    // the workstation and the screen is kept.
    void subjectTaken();

    // One line each, joined by line feeds; empty when there is nothing to tell.
    QString text() const;

private:
    QString m_programFolder;
    QString m_temporaryFolder;
    CarriedNotice m_carried;
    WorkplaceCheck m_workplace; // as found when the entry controls appeared
    QString m_screenProblem;
    QStringList m_earlier;      // what an earlier start could not show
    QStringList m_recovery;
    QStringList m_recoveryWithPaths;
    bool m_seen = false; // the entry controls have appeared
    QStringList m_uncarried; // what could not be kept for the next start
    QString m_carryProblem;
    QString m_refusal;
};

} // namespace kavr
