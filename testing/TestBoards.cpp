#include "testing/TestBoards.h"

#include "assets/PictureCatalogue.h"
#include "testing/BoardGeometry.h"
#include "ui/FigureImage.h"
#include "ui/GroupBox.h"
#include "ui/LookAndFeel.h"
#include "ui/Panel.h"
#include "ui/SystemColors.h"

namespace kavr {

namespace {

ui::Panel *CreatePanel(QWidget *parent, const PanelFamily &family, int i)
{
    auto *panel = new ui::Panel(parent);
    panel->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(family.name)).arg(i));
    panel->setGeometry(family.geometry(i));
    panel->setBevels(ui::Panel::Bevel::Raised, ui::Panel::Bevel::Lowered);
    panel->setBorderWidth(family.borderWidth);
    panel->setCaption(QString::number(i));
    panel->setCaptionColor(Qt::black);
    panel->setFont(ui::PixelFont(QStringLiteral("Times New Roman"), family.fontPixels));
    if (family.handPointer)
        panel->setCursor(Qt::PointingHandCursor);
    panel->show();
    return panel;
}

ui::FigureImage *CreateImage(ui::Panel *panel, qint32 pictureNumber,
                             const TestBoards::Wiring &wiring)
{
    auto *image = new ui::FigureImage(panel);
    image->setGeometry(panel->clientRect());
    image->show();
    wiring.loadPicture(image, pictureNumber);
    return image;
}

} // namespace

void TestBoards::hideAll()
{
    for (const auto *board :
         {&TaskPanels, &AnswerPanels, &ExamplePanels, &PracticePanels, &FigurePanels})
        for (int i = 1; i <= FigureCount; ++i)
            if ((*board)[i])
                (*board)[i]->hide();
}

void TestBoards::build(const ui::MainWindowControls &c, const Permutation &keyOrder,
                       const Permutation &offerOrder, qint32 variant, const Wiring &wiring)
{
    for (int i = 1; i <= FigureCount; ++i) {
        TaskPanels[i] = CreatePanel(c.paTest, TaskPanelFamily, i);
        TaskPanels[i]->Tag = keyOrder[i];
        TaskPanels[i]->setOnClick(wiring.taskPanelClick);
        ExamplePanels[i] = CreatePanel(c.gbIn1, ExamplePanelFamily, i);
        ExampleImages[i] = CreateImage(ExamplePanels[i], assets::ExamplePicture(keyOrder[i]),
                                       wiring);
        PracticePanels[i] = CreatePanel(c.gbIn2, PracticePanelFamily, i);
        PracticePanels[i]->setOnClick(wiring.practicePanelClick);
        TaskImages[i] = CreateImage(TaskPanels[i], assets::ExposurePicture(variant, keyOrder[i]),
                                    wiring);
    }
    for (int i = 1; i <= FigureCount; ++i) {
        AnswerPanels[i] = CreatePanel(c.gbAnswer, AnswerPanelFamily, i);
        AnswerPanels[i]->setColor(ui::ButtonFace);
        AnswerPanels[i]->Tag = 0;
        FigurePanels[i] = CreatePanel(c.gbIn3, FigurePanelFamily, i);
        FigurePanels[i]->setColor(ui::ButtonFace);
    }
    for (int i = 1; i <= FigureCount; ++i) {
        const int offered = keyOrder[offerOrder[i]];
        AnswerImages[i] = CreateImage(AnswerPanels[i], assets::AnswerPicture(variant, offered),
                                      wiring);
        AnswerImages[i]->Hint = QString::number(i);
        AnswerImages[i]->Tag = offered;
        AnswerImages[i]->setCursor(Qt::PointingHandCursor);
        AnswerImages[i]->setOnClick(wiring.answerClick);
        FigureImages[i] = CreateImage(FigurePanels[i], assets::PalettePicture(offerOrder[i]),
                                      wiring);
        FigureImages[i]->Hint = QString::number(i);
        FigureImages[i]->setCursor(Qt::PointingHandCursor);
        FigureImages[i]->setOnClick(wiring.paletteClick);
    }
}

void TestBoards::Highlight(Board<ui::Panel> &panels, int position)
{
    ui::Panel *picked = panels[position];
    if (picked->Tag == 0) {
        for (int i = 1; i <= FigureCount; ++i) {
            panels[i]->setColor(ui::ButtonFace);
            panels[i]->Tag = 0;
        }
        picked->setColor(ui::HighlightRed);
        picked->Tag = 1;
    } else {
        picked->setColor(ui::ButtonFace);
        picked->Tag = 0;
    }
}

void TestBoards::showAnswerRow(const ui::MainWindowControls &c, bool shown) const
{
    for (int i = 1; i <= FigureCount; ++i)
        TaskImages[i]->setVisible(!shown);
    c.gbAnswer->setVisible(shown);
}

QRegion TestBoards::answerRowRegion(const ui::MainWindowControls &c) const
{
    QRegion changed = c.gbAnswer->geometry();
    for (int i = 1; i <= FigureCount; ++i)
        changed += QRect(TaskImages[i]->mapTo(c.paTest, QPoint(0, 0)), TaskImages[i]->size());
    return changed.translated(c.paTest->pos());
}

} // namespace kavr
