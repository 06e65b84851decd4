#include "testing/core/CarriedNotice.h"

#include <QSettings>

#include <utility>

namespace kavr {

namespace {

const QString Key = QStringLiteral("recovery/unseen");

} // namespace

CarriedNotice::CarriedNotice(QString file) : m_file(std::move(file))
{
}

QString CarriedNotice::UserFile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("KAVR.IM"), QStringLiteral("kavr-im"))
        .fileName();
}

QStringList CarriedNotice::lines() const
{
    return QSettings(m_file, QSettings::IniFormat).value(Key).toStringList();
}

void CarriedNotice::keep(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    QSettings settings(m_file, QSettings::IniFormat);
    settings.setValue(Key, settings.value(Key).toStringList() + lines);
}

void CarriedNotice::clear()
{
    QSettings settings(m_file, QSettings::IniFormat);
    if (settings.contains(Key))
        settings.remove(Key);
}

} // namespace kavr
