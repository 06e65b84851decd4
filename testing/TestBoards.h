#pragma once
// The boards a set-up builds at run time: nine arrays of panels and images, indexed
// 1..FigureCount (element 0 unused), on the main window's layers and group boxes. The window
// owns every control; a set-up repeated builds new boards over the old ones, which stay but are
// hidden. The boards carry the test's data as the test has always kept it: a task panel's Tag
// its figure and its caption its number, an offered image's Tag its figure and its Hint its
// position, an answer or palette panel's Tag its highlight.
#include "parameters/Figures.h"
#include "testing/core/Permutation.h"
#include "ui/MainWindowLayout.h"

#include <QRegion>

#include <functional>

namespace kavr {

namespace ui {
class FigureImage;
class Panel;
} // namespace ui

struct PanelFamily;

template <typename T> using Board = PerFigure<T *>;

struct TestBoards
{
    Board<ui::Panel> TaskPanels{};
    Board<ui::FigureImage> TaskImages{};
    Board<ui::Panel> AnswerPanels{};
    Board<ui::FigureImage> AnswerImages{};
    Board<ui::Panel> ExamplePanels{};
    Board<ui::FigureImage> ExampleImages{};
    Board<ui::Panel> PracticePanels{};
    Board<ui::Panel> FigurePanels{};
    Board<ui::FigureImage> FigureImages{};

    // What building needs from the window: a picture put into an image, and the handlers of the
    // clicks on task panels, offered figures, practice panels and palette figures.
    struct Wiring
    {
        std::function<void(ui::FigureImage *, qint32)> loadPicture;
        std::function<void(ui::Panel *)> taskPanelClick;
        std::function<void(ui::FigureImage *)> answerClick;
        std::function<void(ui::Panel *)> practicePanelClick;
        std::function<void(ui::FigureImage *)> paletteClick;
    };

    // Hides the boards of an earlier set-up: an old figure showing through where a new one was
    // placed could be placed again.
    void hideAll();
    // The boards of a set-up: the task board in KeyOrder with variant's pictures, the answer row
    // and the practice palette in offerOrder (position i offers figure keyOrder[offerOrder[i]]).
    void build(const ui::MainWindowControls &c, const Permutation &keyOrder,
               const Permutation &offerOrder, qint32 variant, const Wiring &wiring);
    // The frame on the figure picked at position, the others' taken away; a second click on the
    // framed one takes its frame away.
    static void Highlight(Board<ui::Panel> &panels, int position);
    // The answer row in place of the figures on the task panels, or the figures back.
    void showAnswerRow(const ui::MainWindowControls &c, bool shown) const;
    // What changes on the test layer as the answer row comes, in window coordinates.
    QRegion answerRowRegion(const ui::MainWindowControls &c) const;
};

} // namespace kavr
