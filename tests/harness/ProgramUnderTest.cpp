#include "harness/ProgramUnderTest.h"

#include <QDir>

namespace kavr::harness {

QStringList ProgramUnderTest::resultFiles() const
{
    return QDir(resultDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QList<TopLevel> ProgramUnderTest::messageBoxes() const
{
    QList<TopLevel> boxes;
    for (const TopLevel &window : otherWindows())
        if (window.name == QLatin1String("KAVR.IM") && !window.popup)
            boxes << window;
    return boxes;
}

} // namespace kavr::harness
