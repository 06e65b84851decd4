#include "ui/LookAndFeel.h"

#include "ui/SystemColors.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>

namespace kavr::ui {

namespace {

class KavrStyle final : public QProxyStyle
{
    Q_OBJECT
public:
    KavrStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QPalette ClassicPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, ButtonFace);
    palette.setColor(QPalette::Button, ButtonFace);
    palette.setColor(QPalette::WindowText, WindowText);
    palette.setColor(QPalette::ButtonText, WindowText);
    palette.setColor(QPalette::Text, WindowText);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Light, ButtonHighlight);
    palette.setColor(QPalette::Dark, ButtonShadow);
    palette.setColor(QPalette::Mid, ButtonShadow);
    palette.setColor(QPalette::Shadow, QColor(105, 105, 105));
    palette.setColor(QPalette::Highlight, QColor(0, 120, 215));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    palette.setColor(QPalette::ToolTipText, WindowText);
    return palette;
}

} // namespace

void ApplyLookAndFeel(QApplication &app)
{
    // The faces the screens were laid out for, and the Debian faces of the same metrics.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    app.setStyle(new KavrStyle);
    app.setPalette(ClassicPalette());
    app.setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
}

QFont PixelFont(const QString &face, int pixels, bool bold)
{
    QFont font(face);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace kavr::ui

#include "LookAndFeel.moc"
