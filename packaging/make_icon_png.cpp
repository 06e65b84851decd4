// Writes the program's icon as a PNG for the desktop entry, which cannot take a Windows icon.
// Usage: make_icon_png <kavr-im.ico> <kavr-im.png>
#include <QCoreApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // the ICO reader is a plugin
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fputs("usage: make_icon_png <icon.ico> <icon.png>\n", stderr);
        return 2;
    }
    const QImage icon(args.at(1));
    if (icon.isNull()) {
        std::fprintf(stderr, "make_icon_png: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    if (!icon.convertToFormat(QImage::Format_ARGB32).save(args.at(2), "PNG")) {
        std::fprintf(stderr, "make_icon_png: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    return 0;
}
