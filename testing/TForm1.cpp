#include "testing/TForm1.h"

#include "assets/Icons.h"
#include "assets/JpegDecoder.h"
#include "assets/PictureCatalogue.h"
#include "error/KavrError.h"
#include "parameters/TestVariant.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/priority/TimedPriority.h"
#include "testing/BoardGeometry.h"
#include "testing/core/Protocol.h"
#include "testing/core/Scoring.h"
#include "testing/core/SubjectEntryCheck.h"
#include "ui/BitButton.h"
#include "ui/FigureImage.h"
#include "ui/GroupBox.h"
#include "ui/InstructionMemo.h"
#include "ui/LookAndFeel.h"
#include "ui/Panel.h"
#include "ui/SystemColors.h"
#include "ui/TAboutBox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
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

const char *const SubjectCodeCaption = "Введите код обследуемого";
const char *const SubjectNameCaption = "Введите Фамилию И.О. обследуемого";
const char *const FinishedCaption = "Инструкция.";
const char *const FinishedMessage[] = {
    "",
    "",
    "Тест закончен. Спасибо за работу.",
    "",
    "Спокойно сидите в кресле, пока не получите новых инструкций от психолога.",
    "",
    "Внимание! Просьба не разговаривать и не вертеться.",
};
constexpr int FinishedMessagePixels = 32; // 24 pt
const QColor FinishedMessageColor{0, 0, 255};

} // namespace

TForm1::TForm1(platform::DesktopServices &desktop, Clock &clock, SaveTarget saveTarget,
               FormatSettings format, TestJournal::FileSync fileSync, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      Timer(this, clock, [this] { m_desktop.WaitForWindowSystem(); }),
      m_desktop(desktop),
      m_clock(clock),
      m_saveTarget(std::move(saveTarget)),
      m_format(format.encodable()),
      m_recorder(clock, m_saveTarget, m_format, std::move(fileSync))
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

TForm1::Snapshot TForm1::state() const
{
    return {Tag, SessionOpen, VariantIndex, KeyOrder, Choices, ChoiceNo, SelectedFigure, MarkTime,
            AnswerStartTime, ResultLog ? std::optional<QStringList>(*ResultLog) : std::nullopt,
            m_protocolPath, TaskPanels, TaskImages, AnswerPanels, AnswerImages, ExamplePanels, ExampleImages,
            PracticePanels, FigurePanels, FigureImages, Timer.isActive(), Timer.interval(), Timer.deadline()};
}

void TForm1::guarded(const std::function<void()> &handler)
{
    ui::RunGuarded(m_errorSink, handler);
}

// ---- Stages -------------------------------------------------------------------------------

void TForm1::FormCreate()
{
    m_desktop.PlaySound(StartSound);
    m_desktop.LoadKeyboardLayout(EnglishLayout);
    SessionOpen = false;
    cbVariant->setCurrentIndex(0);
    bringToFront(PaPassword);
    m_nativeSystemMenu = m_desktop.AddSystemMenuEntry(std::uintptr_t(winId()), AboutCommand,
                                                      AboutItemText);
    // The window's own key hook: it sees every key before the focused control does.
    windowHandle()->installEventFilter(this);
    ResultLog = std::make_unique<QStringList>();
}

void TForm1::FormClose()
{
    Timer.stop();
    m_desktop.ShowTaskbar();
    ResultLog.reset();
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
    for (QWidget *control : {static_cast<QWidget *>(GroupBoxUser), static_cast<QWidget *>(GroupBoxPasswrd),
                             static_cast<QWidget *>(gbVariant), static_cast<QWidget *>(BtnExit),
                             static_cast<QWidget *>(BtnEnter)})
        control->show();
    // The operator learns of trouble with the workstation before any subject starts.
    const QScreen *shown = screen();
    m_notice.entryControlsShown(m_saveTarget, ScreenProblem(ui::ClientSize, shown->availableGeometry().size(),
                                                            frameGeometry().size() - geometry().size(),
                                                            shown->devicePixelRatio()));
    showLogInNotice();
}

void TForm1::setRecoveryNotice(const RecoveryReport &report)
{
    if (Tag > 1) {
        // A subject is at work: the screens stay the subject's, and the next start tells.
        m_notice.carry(report.carriedLines());
        return;
    }
    m_notice.setRecovery(report.noticeLines(m_saveTarget.resultDir), report.carriedLines());
    if (!GroupBoxUser->isHidden())
        showLogInNotice();
}

void TForm1::BtnEnterClick()
{
    const bool codeGiven = !EditUser->text().isEmpty();
    const bool nameGiven = !EditPassword->text().isEmpty();
    if (SessionOpen && codeGiven && nameGiven) {
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
    if (SessionOpen) {
        EditPassword->setFocus();
        return;
    }
    if (codeGiven || nameGiven) {
        EditPassword->clear();
        EditPassword->setFocus();
        return;
    }
    // The log-in succeeds exactly when both fields are empty.
    m_desktop.LoadKeyboardLayout(RussianLayout);
    SessionOpen = true;
    EditPassword->setEchoMode(QLineEdit::Normal);
    EditPassword->clear();
    EditUser->clear();
    Tag = 1;
    EditUser->setFocus();
    GroupBoxUser->setCaption(QString::fromUtf8(SubjectCodeCaption));
    GroupBoxPasswrd->setCaption(QString::fromUtf8(SubjectNameCaption));
}

void TForm1::refuseEntry(const EntryProblem &problem)
{
    QLineEdit *field = problem.field == EntryProblem::Field::Code ? EditUser : EditPassword;
    m_notice.refuse(problem.reason);
    showLogInNotice();
    field->setFocus();
    field->selectAll();
}

// What the log-in layer tells the operator, in one maroon label below the buttons, as tall as its
// lines need.
void TForm1::showLogInNotice()
{
    const QString text = m_notice.text();
    if (text.isEmpty())
        return;
    logInNotice->setText(text);
    const int height = logInNotice->heightForWidth(logInNotice->width());
    if (height > logInNotice->height())
        logInNotice->resize(logInNotice->width(), height);
    logInNotice->show();
}

void TForm1::BtnExitClick()
{
    close();
}

void TForm1::bbTestClick()
{
    if (Tag != 2)
        return; // the timed test starts only from the instruction, with the boards built
    ResultLog->append(protocol::InstructionLine(SecondsSince(m_clock, MarkTime), m_format));
    bbTest->hide();
    gbIn1->hide();
    gbIn2->hide();
    Tag = 3;
    // The exposure counts from the moment the figures are handed to the window system, as the
    // answer row that ends them will be at the deadline.
    Timer.begin(figuresScreen(), TestVariants[VariantIndex].exposureSeconds * 1000,
                answerRowScreen(), DrawAheadAfterMs);
    SelectedFigure = 0;
    // The processor for the timed phases, until the protocol is saved; asked once the figures
    // are up, so that asking delays nothing the subject sees.
    const platform::PriorityGrant priority = m_desktop.RaiseTimedPriority();
    // From now on the subject's work must survive whatever stops the program. Journaled once
    // the figures are up; a set-up repeated during the exposure goes on in the same journal.
    m_recorder.exposureBegan(EditUser->text(), *ResultLog, variantText());
    m_recorder.priority(priority.granted, QString::fromStdString(priority.how));
}

void TForm1::TimerTimer()
{
    if (SessionOpen) {
        // The exposure has ended, the answer row is up: the answer time counts from that moment.
        MarkTime = m_clock.ClockMs();
        AnswerStartTime = MarkTime;
        Timer.beginNext(TestVariants[VariantIndex].answerSeconds * 1000, closingScreen(),
                        ClosingAheadAfterMs);
        SessionOpen = false;
        ChoiceNo = 1;
        placePointer(AnswerImages[1], AnswerStartPoint);
        m_recorder.answerBegan(AnswerStartTime);
    } else {
        FinishTest(); // the answer time has run out
    }
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
    return {[this] { return answerRowRegion(); }, [this] { showAnswerRow(true); },
            [this] { showAnswerRow(false); }, {}};
}

PhasePresenter::Screen TForm1::closingScreen()
{
    return {[this] { return QRegion(paInstr->geometry()); }, [this] { bringToFront(paInstr); },
            [this] { bringToFront(paTest); }, [this] { ensureClosingMessage(); }};
}

void TForm1::showAnswerRow(bool shown)
{
    for (int i = 1; i <= FigureCount; ++i)
        TaskImages[i]->setVisible(!shown);
    gbAnswer->setVisible(shown);
}

// What changes on the test layer as the answer row comes, in window coordinates.
QRegion TForm1::answerRowRegion() const
{
    QRegion changed = gbAnswer->geometry();
    for (int i = 1; i <= FigureCount; ++i)
        changed += QRect(TaskImages[i]->mapTo(paTest, QPoint(0, 0)), TaskImages[i]->size());
    return changed.translated(paTest->pos());
}

void TForm1::FormKeyDown(int key)
{
    switch (Tag) {
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
    ResultLog->append(protocol::HeaderLines(EditUser->text(), EditPassword->text(),
                                            m_clock.now(), m_format));
    VariantIndex = cbVariant->currentIndex();
    if (cbVariant->currentText() != cbVariant->itemText(VariantIndex))
        VariantIndex = -1; // text typed into the field names no item
    if (VariantIndex < 0 || VariantIndex >= VariantCount)
        VariantIndex = 0;
    setWindowTitle(windowTitle() + QLatin1Char(' ') + variantText());
    ui::ShowPhaseLengths(*this, TestVariants[VariantIndex]);

    // A repeated set-up builds new boards over the old ones, which stay owned by the window
    // but hidden: an old figure showing through where a new one was placed could be placed
    // again.
    for (const auto *board : {&TaskPanels, &AnswerPanels, &ExamplePanels, &PracticePanels, &FigurePanels})
        for (int i = 1; i <= FigureCount; ++i)
            if ((*board)[i])
                (*board)[i]->hide();

    m_random.reseedFromClock();
    KeyOrder = DrawPermutation(m_random);

    for (int i = 1; i <= FigureCount; ++i) {
        TaskPanels[i] = createPanel(paTest, TaskPanelFamily, i);
        TaskPanels[i]->Tag = KeyOrder[i];
        TaskPanels[i]->setOnClick([this](ui::Panel *p) { guarded([this, p] { paTask0Click(p); }); });
        ExamplePanels[i] = createPanel(gbIn1, ExamplePanelFamily, i);
        ExampleImages[i] = createImage(ExamplePanels[i], assets::ExamplePicture(KeyOrder[i]));
        PracticePanels[i] = createPanel(gbIn2, PracticePanelFamily, i);
        PracticePanels[i]->setOnClick([this](ui::Panel *p) { guarded([this, p] { PaInstClick(p); }); });
        TaskImages[i] = createImage(TaskPanels[i], assets::ExposurePicture(VariantIndex, KeyOrder[i]));
    }
    for (int i = 1; i <= FigureCount; ++i) {
        AnswerPanels[i] = createPanel(gbAnswer, AnswerPanelFamily, i);
        AnswerPanels[i]->setColor(ui::ButtonFace);
        AnswerPanels[i]->Tag = 0;
        FigurePanels[i] = createPanel(gbIn3, FigurePanelFamily, i);
        FigurePanels[i]->setColor(ui::ButtonFace);
    }
    const Permutation OfferOrder = DrawPermutation(m_random);
    for (int i = 1; i <= FigureCount; ++i) {
        const int offered = KeyOrder[OfferOrder[i]];
        AnswerImages[i] = createImage(AnswerPanels[i], assets::AnswerPicture(VariantIndex, offered));
        AnswerImages[i]->Hint = QString::number(i);
        AnswerImages[i]->Tag = offered;
        AnswerImages[i]->setCursor(Qt::PointingHandCursor);
        AnswerImages[i]->setOnClick([this](ui::FigureImage *im) { guarded([this, im] { imAnswer0Click(im); }); });
        FigureImages[i] = createImage(FigurePanels[i], assets::PalettePicture(OfferOrder[i]));
        FigureImages[i]->Hint = QString::number(i);
        FigureImages[i]->setCursor(Qt::PointingHandCursor);
        FigureImages[i]->setOnClick([this](ui::FigureImage *im) { guarded([this, im] { ImInstrClick(im); }); });
    }

    for (int i = 1; i <= FigureCount; ++i) {
        Choices[i].Time = 0.0;
        Choices[i].PanelNo = -1;
    }
    // Styled now rather than on their first show, which would otherwise fall into the last
    // milliseconds of the exposure.
    paTest->ensurePolished();
    // A set-up repeated after F1 finds the practice boards and the start button hidden.
    for (QWidget *instruction : {static_cast<QWidget *>(gbIn1), static_cast<QWidget *>(gbIn2),
                                 static_cast<QWidget *>(bbTest)})
        instruction->show();
    bringToFront(paInstr);
    Tag = 2;
    placePointer(gbIn3, ui::PaletteStartPoint);
    MarkTime = m_clock.ClockMs();
    SelectedFigure = 0;
    m_recorder.protocolLines(*ResultLog); // a set-up repeated during the exposure
}

ui::Panel *TForm1::createPanel(QWidget *parent, const PanelFamily &family, int i)
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

ui::FigureImage *TForm1::createImage(ui::Panel *panel, qint32 pictureNumber)
{
    auto *image = new ui::FigureImage(panel);
    image->setGeometry(panel->clientRect());
    image->show();
    LoadFigurePicture(image, pictureNumber);
    return image;
}

void TForm1::LoadFigurePicture(ui::FigureImage *image, qint32 number)
{
    // Decoded anew on every call; a failure throws before the image is touched.
    image->setPicture(assets::LoadPicture(number));
}

// ---- Placements ---------------------------------------------------------------------------

void TForm1::highlightPick(Board<ui::Panel> &panels, int position)
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
        // A second click takes the frame away but keeps the pick.
        picked->setColor(ui::ButtonFace);
        picked->Tag = 0;
    }
    SelectedFigure = quint8(position);
}

void TForm1::imAnswer0Click(ui::FigureImage *sender)
{
    const int figure = sender->Tag;
    const int position = sender->Hint.toInt();
    Choices[ChoiceNo].PictureNo = position;
    Choices[ChoiceNo].Answer = figure;
    highlightPick(AnswerPanels, position);
    m_recorder.pick(ChoiceNo, Choices);
}

void TForm1::paTask0Click(ui::Panel *sender)
{
    if (SelectedFigure == 0)
        return;
    const int key = sender->Tag;
    const int panelNo = sender->caption().toInt();
    Choices[ChoiceNo].PanelNo = panelNo;
    Choices[ChoiceNo].Key = key;
    TaskPanels[panelNo]->setOnClick(nullptr);
    TaskPanels[panelNo]->setCursor(Qt::ArrowCursor);
    sender->setCaption(QString());
    AnswerPanels[SelectedFigure]->hide();
    SelectedFigure = 0;
    Choices[ChoiceNo].Time += SecondsSince(m_clock, MarkTime);
    MarkTime = m_clock.ClockMs();
    // The time is taken and the screen changed; the journal line costs one write().
    m_recorder.place(ChoiceNo, Choices, MarkTime);
    ++ChoiceNo;
    if (ChoiceNo == AllPlaced)
        FinishTest();
}

void TForm1::ImInstrClick(ui::FigureImage *sender)
{
    highlightPick(FigurePanels, sender->Hint.toInt());
}

void TForm1::PaInstClick(ui::Panel *sender)
{
    if (SelectedFigure == 0)
        return;
    sender->setOnClick(nullptr);
    sender->setCaption(QString());
    sender->setCursor(Qt::ArrowCursor);
    FigurePanels[SelectedFigure]->hide();
    SelectedFigure = 0;
    setFocus();
}

// ---- End of the test ----------------------------------------------------------------------

void TForm1::FinishTest()
{
    // The processor goes back once the protocol is saved, or could not be.
    const auto giveBack = qScopeGuard([this] { m_desktop.RestoreTimedPriority(); });
    ensureClosingMessage(); // all twelve placed before it was set up
    if (ChoiceNo != AllPlaced)
        Choices[ChoiceNo].Time += SecondsSince(m_clock, MarkTime); // the placement in progress
    Timer.stop();
    Tag = 4;
    const double answerTime = SecondsSince(m_clock, AnswerStartTime);
    bringToFront(paInstr);
    showNow(paInstr); // the message shows when the time is up: before the sound and the save
    m_desktop.PlaySound(FinishSound);

    const QDateTime end = m_clock.now();
    ResultLog->append(protocol::FinishTimeLine(end.time(), m_format));
    const Score score = ScoreChoices(Choices);
    ResultLog->append(protocol::ResultLines(variantText(), answerTime, score, Choices, m_format));
    // Should the save fail everywhere, the journal holds the test as it ended.
    m_recorder.finish(answerTime, ChoiceNo, Choices, end);
    const SaveOutcome saved = TrySaveProtocol(m_saveTarget, EditUser->text(), *ResultLog);
    m_protocolPath = saved.path;
    if (!saved.path.isEmpty())
        m_recorder.protocolSaved(saved.path); // saved nowhere, the journal still holds it
    if (!saved.error.isEmpty())
        throw KavrError(saved.error + (saved.path.isEmpty() ? m_recorder.journalNote() : QString()));
}

// Set on the hidden instruction layer once the answer time has begun, so that the end of the
// test is a layer switch and one paint.
void TForm1::ensureClosingMessage()
{
    if (m_closingMessageSet)
        return;
    m_closingMessageSet = true;
    gbInstr->setCaption(QString::fromUtf8(FinishedCaption));
    mInstruction->clear();
    mInstruction->setFont(ui::PixelFont(mInstruction->font().family(), FinishedMessagePixels, true));
    QPalette palette = mInstruction->palette();
    palette.setColor(QPalette::Text, FinishedMessageColor);
    mInstruction->setPalette(palette);
    QStringList message;
    for (const char *line : FinishedMessage)
        message << QString::fromUtf8(line);
    mInstruction->setLines(message, true);
}

QString TForm1::variantText() const
{
    return TestVariants[VariantIndex].itemText.toString();
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
