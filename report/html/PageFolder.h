#pragma once
// A page per protocol in a folder (SubjectPage.h), for the command line's --pages and the
// window's "save pages".
#include "report/html/SubjectPage.h"
#include "report/read/ProtocolRecord.h"

#include <QList>
#include <QString>

#include <functional>

namespace kavr::report {

// Called with the folder itself and an empty why when the folder cannot be made, else with a
// page that cannot be written and why.
using PageFailure = std::function<void(const QString &path, const QString &why)>;

// Writes one page per record into folder (made when missing), named SubjectPageFileName; a page
// that cannot be written does not stop the others. step() after each page. False when the
// folder or a page could not be written.
bool WriteSubjectPages(const QString &folder, const QList<ProtocolRecord> &records,
                       const SubjectPageOptions &options, const PageFailure &failed,
                       const std::function<void()> &step = {});

} // namespace kavr::report
