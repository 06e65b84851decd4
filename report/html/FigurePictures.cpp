#include "report/html/FigurePictures.h"

#include "assets/PictureCatalogue.h"
#include "report/html/HtmlPage.h"

#include <QHash>
#include <QList>
#include <QSize>

#include <algorithm>

namespace kavr::report {

namespace {

// Pixel sizes of the sets the pages show (the catalogue's table).
QSize PictureSize(qint32 number)
{
    return assets::IsAnswerPicture(number) ? QSize(127, 112) : QSize(166, 146);
}

QString Id(qint32 number)
{
    return QStringLiteral("pic%1").arg(number);
}

// The data: URI of a picture, made once per run: ten thousand pages embed the same few.
const QString &DataUri(qint32 number, const PictureSource &source)
{
    static QHash<qint32, QString> made;
    auto it = made.find(number);
    if (it == made.end())
        it = made.insert(number, QStringLiteral("data:image/jpeg;base64,")
                                     + QString::fromLatin1(source(number).toBase64()));
    return *it;
}

} // namespace

QString FigurePictures::use(qint32 number, const QString &cssClass, const QString &label)
{
    if (!m_source)
        return QStringLiteral("<span class=\"%1 named\">%2</span>").arg(cssClass, HtmlEscaped(label));
    m_used.insert(number);
    const QSize size = PictureSize(number);
    return QStringLiteral("<svg class=\"%1\" viewBox=\"0 0 %2 %3\" role=\"img\" aria-label=\"%4\">"
                          "<use href=\"#%5\"/></svg>")
        .arg(cssClass)
        .arg(size.width())
        .arg(size.height())
        .arg(HtmlEscaped(label), Id(number));
}

QString FigurePictures::definitions() const
{
    if (m_used.isEmpty())
        return {};
    QList<qint32> numbers(m_used.begin(), m_used.end());
    std::sort(numbers.begin(), numbers.end());
    QString svg = QStringLiteral("<svg class=\"pictures\" width=\"0\" height=\"0\" "
                                 "aria-hidden=\"true\"><defs>");
    for (qint32 number : numbers) {
        const QSize size = PictureSize(number);
        svg += QStringLiteral("<image id=\"%1\" width=\"%2\" height=\"%3\" href=\"%4\"/>")
                   .arg(Id(number))
                   .arg(size.width())
                   .arg(size.height())
                   .arg(DataUri(number, m_source));
    }
    return svg + QStringLiteral("</defs></svg>\n");
}

} // namespace kavr::report
