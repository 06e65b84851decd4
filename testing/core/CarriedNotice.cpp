#include "testing/core/CarriedNotice.h"

#include <QDir>
#include <QSettings>
#include <QVariant>

#include <algorithm>
#include <utility>

namespace kavr {

namespace {

const QString Key = QStringLiteral("recovery/unseen");
// More than a start could ever have kept is not the program's.
constexpr qsizetype MaxLines = 100;
constexpr qsizetype MaxLineLength = 2000;

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
    // One line reads back as a string, several as a list of strings.
    const QVariant value = QSettings(m_file, QSettings::IniFormat).value(Key);
    const QVariantList values = value.metaType().id() == QMetaType::QString ? QVariantList{value}
                                                                            : value.toList();
    QStringList lines;
    for (const QVariant &line : values.first(std::min(values.size(), MaxLines))) {
        // QSettings writes a line that begins with '@' as "@@": one read back so is a value it
        // could not parse (a damaged file), never a line of ours.
        const QString text = line.toString();
        if (line.metaType().id() == QMetaType::QString && !text.isEmpty() && !text.startsWith(u'@')
            && text.size() <= MaxLineLength)
            lines << text;
    }
    return lines;
}

QString CarriedNotice::keep(const QStringList &more)
{
    if (more.isEmpty())
        return {};
    const QStringList kept = lines() + more;
    QSettings settings(m_file, QSettings::IniFormat);
    settings.setValue(Key, kept);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return {};
    return QStringLiteral("не удалось записать файл настроек %1")
        .arg(QDir::toNativeSeparators(m_file));
}

void CarriedNotice::clear()
{
    QSettings settings(m_file, QSettings::IniFormat);
    if (settings.contains(Key))
        settings.remove(Key);
}

} // namespace kavr
