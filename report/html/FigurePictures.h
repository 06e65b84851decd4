#pragma once
// The figure pictures of the program's own catalogue (assets/PictureCatalogue.h) inside a
// page. The catalogue is handed in as a PictureSource, so that this library needs no more than
// QtCore; without one a figure is named by its number. Each picture is embedded once, as its JPEG file in a data: URI under an id, in a
// hidden SVG of definitions at the end of the page; each place that shows it refers to it
// (<use>), so that a figure shown on two boards costs nothing twice. No script, nothing
// fetched: the picture prints as it shows.
#include <QByteArray>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <functional>

namespace kavr::report {

// The JPEG file of a picture number (kavr::assets::PictureData).
using PictureSource = std::function<QByteArray(qint32 number)>;

class FigurePictures final
{
public:
    explicit FigurePictures(PictureSource source) : m_source(std::move(source)) { }

    bool available() const { return bool(m_source); }
    // An inline SVG showing the picture, scaled to the box that CSS gives cssClass; notes the
    // picture for definitions(). label names it for screen readers, and stands in for the
    // picture when there is no source.
    QString use(qint32 number, const QString &cssClass, const QString &label);
    // The hidden SVG holding every picture used so far.
    QString definitions() const;

private:
    PictureSource m_source;
    QSet<qint32> m_used;
};

} // namespace kavr::report
