#include "ui/TAboutBox.h"

#include "assets/Icons.h"
#include "ui/AboutBoxClient.h"
#include "ui/LookAndFeel.h"
#include "ui/Panel.h"
#include "ui/ShadowLabel.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace kavr::ui {

namespace {

struct LabelSpec
{
    const char *name;
    QRect geometry;
    const char *text;
    Qt::Alignment alignment;
    bool autoSize; // the label takes the size of its text
};

const LabelSpec AboutLabels[] = {
    {"Label3", {69, 28, 161, 39},
     "Диагностика кратковременной\nобразной памяти\nЛаборатория психодиагностики",
     Qt::AlignHCenter, true},
    {"Label1", {13, 76, 62, 13}, " Version " KAVR_VERSION, Qt::AlignLeft, true},
    {"Label2", {13, 95, 179, 13}, "Для работы психолога с обследуемым", Qt::AlignLeft, true},
    {"Label4", {16, 128, 250, 13}, "Contact points are: ", Qt::AlignHCenter, false},
    {"Label5", {16, 147, 250, 13}, "Методический отдел лаборатории", Qt::AlignHCenter, false},
    {"Label6", {8, 164, 250, 13}, "kavr-im@example.org", Qt::AlignHCenter, false},
};

} // namespace

TAboutBox::TAboutBox(AboutBoxClient &client, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_client(client)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setModal(false);
    setFixedSize(298, 225);
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 196, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });

    // An etched frame: outer bevel lowered, inner raised.
    Panel2 = new Panel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(8, 8, 281, 185);
    Panel2->setBevels(Panel::Bevel::Lowered, Panel::Bevel::Raised);

    auto *appIcon = new QLabel(Panel2);
    appIcon->setObjectName(QStringLiteral("AppIcon"));
    appIcon->setPixmap(assets::AppIconPixmap());
    appIcon->setGeometry(12, 8, 32, 32);
    appIcon->setToolTip(QStringLiteral("Click twice here!"));

    auto *webLabel = new ShadowLabel(QStringLiteral("KAVR.IM - Image Memory"), Panel2);
    webLabel->setObjectName(QStringLiteral("WebLabel"));
    webLabel->setGeometry(56, 10, 185, 15);
    webLabel->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11, true));
    webLabel->setToolTip(QStringLiteral("RX Library Web Site"));

    for (const LabelSpec &layout : AboutLabels) {
        auto *label = new QLabel(QString::fromUtf8(layout.text), Panel2);
        label->setObjectName(QString::fromUtf8(layout.name));
        label->setAlignment(layout.alignment | Qt::AlignTop);
        label->setGeometry(layout.geometry);
        if (layout.autoSize) {
            label->adjustSize();
            label->move(layout.geometry.topLeft());
        } else {
            label->setWordWrap(true);
        }
    }

    auto *bevel1 = new QFrame(Panel2);
    bevel1->setObjectName(QStringLiteral("Bevel1"));
    bevel1->setFrameShape(QFrame::HLine);
    bevel1->setFrameShadow(QFrame::Sunken);
    bevel1->setGeometry(5, 120, 271, 2);
}

void TAboutBox::ShowModeless()
{
    if (isVisible())
        return;
    show();
    if (!m_placed) {
        // Centred with its frame, which is known once the box is shown.
        const QScreen *screen = parentWidget() && parentWidget()->screen()
            ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
        m_placed = true;
    }
    raise();
    activateWindow();
}

void TAboutBox::OKButtonClick()
{
    hide();
    m_client.showEntryControls();
    m_client.BtnEnterClick();
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    // No cancel button: Esc does nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAboutBox::closeEvent(QCloseEvent *event)
{
    // The close button only hides the box.
    event->ignore();
    hide();
}

void TAboutBox::reject()
{
    hide();
}

} // namespace kavr::ui
