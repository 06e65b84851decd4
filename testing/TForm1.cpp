#include "testing/TForm1.h"

#include "assets/Icons.h"
#include "assets/JpegDecoder.h"
#include "assets/PictureCatalogue.h"
#include "error/KavrError.h"
#include "parameters/TestVariant.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/priority/TimedPriority.h"
#include "testing/BoardGeometry.h"
#include "testing/core/SubjectEntryCheck.h"
#include "ui/BitButton.h"
#include "ui/FigureImage.h"
#include "ui/GroupBox.h"
#include "ui/Panel.h"
#include "ui/TAboutBox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QWindow>

namespace kavr {

namespace {

// The screen that ends the exposure is drawn ahead once the figures are up, the closing
// screen once the answer row is.
constexpr int DrawAheadAfterMs = 1000;
constexpr int ClosingAheadAfterMs = 50;

const char *const EnglishLayout = "00000409";
const char *const RussianLayout = "00000419";
const char *const StartSound = "ID_start";
const char *const FinishSound = "ID_Finish";
const char *const AboutItemText = "О программе";

} // namespace

TForm1::TForm1(platform::DesktopServices &desktop, Clock &clock, SaveTarget saveTarget,
               FormatSettings format, TestJournal::FileSync fileSync, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_run(clock, format.encodable(), saveTarget, std::move(fileSync)),
      Timer(this, clock, [this] { m_desktop.WaitForWindowSystem(); }),
      m_desktop(desktop),
      m_saveTarget(std::move(saveTarget))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KAVR.IM"));
    setWindowIcon(assets::ProgramIcon());
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    resize(ui::ClientSize);
    static_cast<ui::MainWindowControls &>(*this) = ui::BuildMainWindowLayout(this);

    connect(&Timer, &PhasePresenter::phaseEnded, this, [this] { guarded([this] { TimerTimer(); }); });
    connect(BtnEnter, &QPushButton::clicked, this, [this] { guarded([this] { BtnEnterClick(); }); });
    connect(BtnExit, &QPushButton::clicked, this, [this] { guarded([this] { BtnExitClick(); }); });
    connect(bbTest, &QPushButton::clicked, this, [this] { guarded([this] { bbTestClick(); }); });

    m_errorSink = [this](const QString &text) { ui::ShowErrorMessage(this, text); };
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::guarded(const std::function<void()> &handler)
{
    ui::RunGuarded(m_errorSink, handler);
}

// ---- Stages -------------------------------------------------------------------------------

void TForm1::FormCreate()
{
    m_desktop.PlaySound(StartSound);
    m_desktop.LoadKeyboardLayout(EnglishLayout);
    m_run.open();
    cbVariant->setCurrentIndex(0);
    bringToFront(PaPassword);
    m_nativeSystemMenu = m_desktop.AddSystemMenuEntry(std::uintptr_t(winId()), AboutCommand,
                                                      AboutItemText);
    // The window's own key hook: it sees every key before the focused control does.
    windowHandle()->installEventFilter(this);
}

void TForm1::FormClose()
{
    Timer.stop();
    m_desktop.ShowTaskbar();
    m_run.close();
    // What this start recovered and the operator has not read goes to the next start; what
    // cannot, the operator reads now.
    const QString lost = m_notice.closing();
    if (!lost.isEmpty())
        throw KavrError(lost);
}

void TForm1::WMSysCommand(unsigned command)
{
    if (command == AboutCommand && m_aboutBox)
        m_aboutBox->ShowModeless();
}

void TForm1::showEntryControls()
{
    ui::ShowEntryControls(*this);
    // The operator learns of trouble with the workstation before any subject starts.
    const QScreen *shown = screen();
    m_notice.entryControlsShown(m_saveTarget, ScreenProblem(ui::ClientSize, shown->availableGeometry().size(),
                                                            frameGeometry().size() - geometry().size(),
                                                            shown->devicePixelRatio()));
    ui::ShowLogInNotice(*this, m_notice.text());
}

void TForm1::setRecoveryNotice(const RecoveryReport &report)
{
    if (m_run.state().Stage > 1) {
        // A subject is at work: the screens stay the subject's, and the next start tells.
        m_notice.carry(report.carriedLines());
        return;
    }
    m_notice.setRecovery(report.noticeLines(m_saveTarget.resultDir), report.carriedLines());
    if (!GroupBoxUser->isHidden())
        ui::ShowLogInNotice(*this, m_notice.text());
}

void TForm1::BtnEnterClick()
{
    const bool codeGiven = !EditUser->text().isEmpty();
    const bool nameGiven = !EditPassword->text().isEmpty();
    const bool sessionOpen = m_run.state().SessionOpen;
    if (sessionOpen && codeGiven && nameGiven) {
        // Pasted text may spell й or ё as a letter and a combining mark; composed, it fits
        // the protocol's code page.
        for (QLineEdit *field : {EditUser, EditPassword}) {
            const QString composed = field->text().normalized(QString::NormalizationForm_C);
            if (composed != field->text())
                field->setText(composed);
        }
        std::optional<EntryProblem> problem = CheckSubjectEntry(EditUser->text(), EditPassword->text());
        if (!problem)
            problem = m_notice.workplaceRefusal();
        if (problem) {
            refuseEntry(*problem);
            return;
        }
        m_notice.subjectTaken();
        logInNotice->clear();
        logInNotice->hide();
        PrepareTest();
        return;
    }
    if (sessionOpen) {
        EditPassword->setFocus();
        return;
    }
    if (codeGiven || nameGiven) {
        EditPassword->clear();
        EditPassword->setFocus();
        return;
    }
    // The log-in succeeds exactly when both fields are empty.
    if (!m_run.logIn())
        return;
    m_desktop.LoadKeyboardLayout(RussianLayout);
    EditPassword->setEchoMode(QLineEdit::Normal);
    EditPassword->clear();
    EditUser->clear();
    EditUser->setFocus();
    ui::ShowSubjectEntryCaptions(*this);
}

void TForm1::refuseEntry(const EntryProblem &problem)
{
    QLineEdit *field = problem.field == EntryProblem::Field::Code ? EditUser : EditPassword;
    m_notice.refuse(problem.reason);
    ui::ShowLogInNotice(*this, m_notice.text());
    field->setFocus();
    field->selectAll();
}

void TForm1::BtnExitClick()
{
    close();
}

void TForm1::bbTestClick()
{
    if (!m_run.start())
        return;
    bbTest->hide();
    gbIn1->hide();
    gbIn2->hide();
    // The exposure counts from the moment the figures are handed to the window system, as the
    // answer row that ends them will be at the deadline.
    Timer.begin(figuresScreen(), TestVariants[m_run.state().VariantIndex].exposureSeconds * 1000,
                answerRowScreen(), DrawAheadAfterMs);
    // The processor for the timed phases, until the protocol is saved; asked once the figures
    // are up, so that asking delays nothing the subject sees.
    const platform::PriorityGrant priority = m_desktop.RaiseTimedPriority();
    m_run.exposureShown(priority.granted, QString::fromStdString(priority.how));
}

void TForm1::TimerTimer()
{
    if (!m_run.beginAnswer()) {
        FinishTest(); // the answer time has run out
        return;
    }
    // The exposure has ended, the answer row is up and the answer time counts from that moment.
    Timer.beginNext(TestVariants[m_run.state().VariantIndex].answerSeconds * 1000, closingScreen(),
                    ClosingAheadAfterMs);
    placePointer(m_boards.AnswerImages[1], AnswerStartPoint);
}

// The screens that begin and end the timed phases: the figures on the test layer; the answer
// row in their place; the closing message on the instruction layer.
PhasePresenter::Screen TForm1::figuresScreen()
{
    return {[this] { return QRegion(paTest->geometry()); }, [this] { bringToFront(paTest); },
            [this] { bringToFront(paInstr); }, {}};
}

PhasePresenter::Screen TForm1::answerRowScreen()
{
    return {[this] { return m_boards.answerRowRegion(*this); },
            [this] { m_boards.showAnswerRow(*this, true); },
            [this] { m_boards.showAnswerRow(*this, false); },
            {}};
}

PhasePresenter::Screen TForm1::closingScreen()
{
    return {[this] { return QRegion(paInstr->geometry()); }, [this] { bringToFront(paInstr); },
            [this] { bringToFront(paTest); }, [this] { ensureClosingMessage(); }};
}

void TForm1::FormKeyDown(int key)
{
    switch (m_run.state().Stage) {
    case 0:
    case 1:
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Before the about box's OK the entry fields are not there to take the log-in.
            if (!GroupBoxUser->isHidden())
                BtnEnterClick();
        } else if (key == Qt::Key_Escape) {
            BtnExitClick();
        }
        break;
    case 2:
        if (key == Qt::Key_F1)
            bbTestClick();
        break;
    default:
        break; // no key does anything during and after the test
    }
}

// ---- Boards -------------------------------------------------------------------------------

void TForm1::PrepareTest()
{
    // A timer still running from an earlier set-up must not end this one's exposure, nor
    // a screen drawn ahead for it show.
    Timer.stop();
    const qint32 variant = TestRun::VariantOfList(cbVariant->currentIndex(),
                                                  cbVariant->currentText());
    const Permutation OfferOrder = m_run.setUp(EditUser->text(), EditPassword->text(), variant);
    setWindowTitle(windowTitle() + QLatin1Char(' ') + m_run.variantText());
    ui::ShowPhaseLengths(*this, TestVariants[variant]);

    m_boards.hideAll();
    m_boards.build(
        *this, m_run.state().KeyOrder, OfferOrder, variant,
        {[this](ui::FigureImage *image, qint32 number) { LoadFigurePicture(image, number); },
         [this](ui::Panel *p) { guarded([this, p] { paTask0Click(p); }); },
         [this](ui::FigureImage *im) { guarded([this, im] { imAnswer0Click(im); }); },
         [this](ui::Panel *p) { guarded([this, p] { PaInstClick(p); }); },
         [this](ui::FigureImage *im) { guarded([this, im] { ImInstrClick(im); }); }});

    // Styled now rather than on their first show, which would otherwise fall into the last
    // milliseconds of the exposure.
    paTest->ensurePolished();
    // A set-up repeated after F1 finds the practice boards and the start button hidden.
    for (QWidget *instruction : {static_cast<QWidget *>(gbIn1), static_cast<QWidget *>(gbIn2),
                                 static_cast<QWidget *>(bbTest)})
        instruction->show();
    bringToFront(paInstr);
    placePointer(gbIn3, ui::PaletteStartPoint);
    m_run.instructionShown();
}

void TForm1::LoadFigurePicture(ui::FigureImage *image, qint32 number)
{
    // Decoded anew on every call; a failure throws before the image is touched.
    image->setPicture(assets::LoadPicture(number));
}

// ---- Placements ---------------------------------------------------------------------------

void TForm1::imAnswer0Click(ui::FigureImage *sender)
{
    const int position = sender->Hint.toInt();
    TestBoards::Highlight(m_boards.AnswerPanels, position);
    m_run.pick(position, sender->Tag);
}

void TForm1::paTask0Click(ui::Panel *sender)
{
    const int picked = m_run.state().SelectedFigure;
    if (picked == 0)
        return;
    const int panelNo = sender->caption().toInt();
    m_boards.TaskPanels[panelNo]->setOnClick(nullptr);
    m_boards.TaskPanels[panelNo]->setCursor(Qt::ArrowCursor);
    sender->setCaption(QString());
    m_boards.AnswerPanels[picked]->hide();
    if (m_run.place(panelNo, sender->Tag))
        FinishTest();
}

void TForm1::ImInstrClick(ui::FigureImage *sender)
{
    const int position = sender->Hint.toInt();
    TestBoards::Highlight(m_boards.FigurePanels, position);
    m_run.pickPractice(position);
}

void TForm1::PaInstClick(ui::Panel *sender)
{
    const int picked = m_run.state().SelectedFigure;
    if (!m_run.placePractice())
        return;
    sender->setOnClick(nullptr);
    sender->setCaption(QString());
    sender->setCursor(Qt::ArrowCursor);
    m_boards.FigurePanels[picked]->hide();
    setFocus();
}

// ---- End of the test ----------------------------------------------------------------------

void TForm1::FinishTest()
{
    // The processor goes back once the protocol is saved, or could not be.
    const auto giveBack = qScopeGuard([this] { m_desktop.RestoreTimedPriority(); });
    ensureClosingMessage(); // all twelve placed before it was set up
    Timer.stop();
    m_run.stopAnswer();
    bringToFront(paInstr);
    showNow(paInstr); // the message shows when the time is up: before the sound and the save
    m_desktop.PlaySound(FinishSound);
    m_run.composeResult();
    m_run.save();
}

// Set on the hidden instruction layer once the answer time has begun, so that the end of the
// test is a layer switch and one paint.
void TForm1::ensureClosingMessage()
{
    if (m_closingMessageSet)
        return;
    m_closingMessageSet = true;
    ui::ShowClosingMessage(*this);
}

// ---- Window plumbing ----------------------------------------------------------------------

void TForm1::bringToFront(ui::Panel *layer)
{
    // Covered layers are hidden outright, so no control behind the front one can take the
    // focus, a key or a click.
    m_front = layer;
    layer->show();
    layer->raise();
    for (ui::Panel *other : {PaPassword, paTest, paInstr})
        if (other != layer)
            other->hide();
    QWidget *focus = focusWidget();
    if (!focus || !layer->isAncestorOf(focus))
        setFocus();
}

void TForm1::showNow(QWidget *control)
{
    // A widget shown inside a visible one leaves its first paint, and its children's, to the
    // event loop; delivered now, the whole of it is on screen when this returns.
    control->show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    control->repaint();
}

void TForm1::placePointer(QWidget *control, QPoint point)
{
    const QPoint screen = control->mapToGlobal(point);
    m_desktop.SetCursorPos(screen.x(), screen.y());
}

void TForm1::closeEvent(QCloseEvent *event)
{
    guarded([this] { FormClose(); });
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    for (ui::Panel *layer : {PaPassword, paTest, paInstr})
        layer->setGeometry(rect());
}

void TForm1::contextMenuEvent(QContextMenuEvent *event)
{
    // Where the window menu cannot carry the entry, a context menu anywhere in the window
    // offers it and delivers the same command.
    if (m_nativeSystemMenu)
        return;
    QMenu menu(this);
    QAction *about = menu.addAction(QString::fromUtf8(AboutItemText));
    if (menu.exec(event->globalPos()) == about)
        guarded([this] { WMSysCommand(AboutCommand); });
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        guarded([this, key] { FormKeyDown(key); });
    }
    return false; // the key still goes on to the focused control
}

bool TForm1::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    unsigned command = 0;
    if (m_desktop.IsSystemCommand(message, command))
        guarded([this, command] { WMSysCommand(command); });
    return QWidget::nativeEvent(eventType, message, result); // default handling goes on
}

} // namespace kavr
