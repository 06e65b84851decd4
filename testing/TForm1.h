#pragma once
// The main window of the test and its handlers.
//
// The test itself, its stages, state and protocol, is the run (testing/core/TestRun.h): each
// handler reads the controls, calls the run's step and shows what the run then says. One test
// runs through fixed stages:
//   0 log-in (entry controls hidden until the about box's OK) -> 1 subject entry ->
//   2 instruction and practice (boards built by PrepareTest) -> 3 exposure (30 s), then the
//   answer phase (60 s) -> 4 finished (FinishTest scored and saved).
// Three opaque layers fill the client area; only the one in front is shown, so input can
// reach nothing behind it. Everything runs on the GUI thread inside event handlers; whatever
// a handler throws goes to the general error handler and the program goes on.
//
// The pieces that need no window live in testing/core; the desktop services come through
// platform::DesktopServices.
#include "testing/PhasePresenter.h"
#include "testing/TestBoards.h"
#include "testing/core/Clock.h"
#include "testing/core/JournalRecovery.h"
#include "testing/core/LogInNotice.h"
#include "testing/core/ProtocolFile.h"
#include "testing/core/SubjectEntryCheck.h"
#include "testing/core/TestJournal.h"
#include "testing/core/TestRun.h"
#include "ui/AboutBoxClient.h"
#include "ui/GeneralErrorHandler.h"
#include "ui/MainWindowLayout.h"

#include <QWidget>

#include <array>

namespace kavr::platform {
class DesktopServices;
}

namespace kavr {

namespace ui {
class FigureImage;
class TAboutBox;
} // namespace ui

class TForm1 final : public QWidget, public ui::MainWindowControls, public ui::AboutBoxClient
{
    Q_OBJECT
public:
    // The system-menu command of the item "О программе".
    static constexpr unsigned AboutCommand = 1025;

    // format is made encodable() first: whatever the regional settings, the protocol can be
    // saved. fileSync makes the journal of the test in progress durable (TestJournal.h).
    TForm1(platform::DesktopServices &desktop, Clock &clock, SaveTarget saveTarget,
           FormatSettings format, TestJournal::FileSync fileSync, QWidget *parent = nullptr);
    ~TForm1() override;

    void setAboutBox(ui::TAboutBox *aboutBox) { m_aboutBox = aboutBox; }
    // Where errors that escape a handler go; a message box unless replaced.
    void setErrorSink(ui::ErrorSink sink) { m_errorSink = std::move(sink); }
    // What the start's recovery found, for the operator: shown with the entry controls, where an
    // entry is refused, until the first valid entry; at once when it comes after the entry
    // controls; once a subject has begun, kept for the next start's entry controls (whose own
    // notice follows the earlier one).
    void setRecoveryNotice(const RecoveryReport &report);
    // Where notices are kept for the next start; the user's own settings file unless set.
    void setCarriedNoticeFile(const QString &file) { m_notice.setCarriedNoticeFile(file); }
    // The folder the program runs from (the executable's unless set) and the user's temporary
    // folder (the system's unless set), for the workplace check when the entry controls appear.
    void setProgramFolder(const QString &folder) { m_notice.setProgramFolder(folder); }
    void setTemporaryFolder(const QString &folder) { m_notice.setTemporaryFolder(folder); }

    // Handlers.
    void FormCreate();
    void FormClose();
    void WMSysCommand(unsigned command);
    void BtnEnterClick() override;
    void BtnExitClick();
    void bbTestClick();
    void TimerTimer();
    void FormKeyDown(int key);
    void imAnswer0Click(ui::FigureImage *sender);
    void paTask0Click(ui::Panel *sender);
    void ImInstrClick(ui::FigureImage *sender);
    void PaInstClick(ui::Panel *sender);
    void showEntryControls() override;

    // Steps of the test.
    void PrepareTest();
    void LoadFigurePicture(ui::FigureImage *image, qint32 number);
    void FinishTest();

    // What tests and the timing bench may see: the test as it stands, the boards of the last
    // set-up, the timer of the timed phases.
    const TestRun &run() const { return m_run; }
    TestRun &run() { return m_run; }
    const TestBoards &boards() const { return m_boards; }
    const PhasePresenter &phases() const { return Timer; }
    // The layer in front.
    ui::Panel *frontLayer() const { return m_front; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    // The test itself: its state and its steps.
    TestRun m_run;
    // The window's one timer: the exposure's 30 s and the answer's 60 s, each with the screen
    // that ends it put up at its deadline; TimerTimer when a phase has ended.
    PhasePresenter Timer;
    TestBoards m_boards;

    void guarded(const std::function<void()> &handler);
    void bringToFront(ui::Panel *layer);
    void refuseEntry(const EntryProblem &problem);
    void ensureClosingMessage();
    PhasePresenter::Screen figuresScreen();
    PhasePresenter::Screen answerRowScreen();
    PhasePresenter::Screen closingScreen();
    void showNow(QWidget *control);
    void placePointer(QWidget *control, QPoint point);

    platform::DesktopServices &m_desktop;
    SaveTarget m_saveTarget;
    ui::TAboutBox *m_aboutBox = nullptr;
    ui::ErrorSink m_errorSink;
    ui::Panel *m_front = nullptr;
    bool m_closingMessageSet = false;
    bool m_nativeSystemMenu = false;
    LogInNotice m_notice;
};

} // namespace kavr
