// The stages of a test: log-in, subject entry, set-up, exposure, answer phase, end; the keys
// of each stage; the about box in every stage; the desktop calls in their order.
#include "error/KavrError.h"
#include "support/FormFixture.h"
#include "support/TestFiles.h"
#include "testing/core/JournalReader.h"
#include "ui/BitButton.h"
#include "ui/FigureImage.h"
#include "ui/GeneralErrorHandler.h"
#include "ui/GroupBox.h"
#include "ui/Panel.h"

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace kavr;
using namespace kavr::test;

class StagesTest : public QObject
{
    Q_OBJECT

private slots:
    void startsOnEmptyLogInLayer();
    void enterBeforeAboutDoesNothingAndOkStillLogsIn();
    void aboutOkLogsInToSubjectEntry();
    void logInSaysWhatIsAmissWithTheWorkplace_data();
    void logInSaysWhatIsAmissWithTheWorkplace();
    void onlyCommand1025OpensAboutBox_data();
    void onlyCommand1025OpensAboutBox();
    void aboutBoxCloseOnlyHides();
    void incompleteEntryFocusesName_data();
    void incompleteEntryFocusesName();
    void refusedLogInEmptiesName();
    void completeEntryPreparesTestOnce();
    void keysOutsideTheirStageDoNothing_data();
    void keysOutsideTheirStageDoNothing();
    void aboutOkInEntryAndFinishedStages_data();
    void aboutOkInEntryAndFinishedStages();
    void f1StartsExposure();
    void firstTickOpensAnswerPhase();
    void secondTickFinishesTest();
    void processorFromF1UntilTheProtocolIsSaved_data();
    void processorFromF1UntilTheProtocolIsSaved();
    void aboutOkDuringExposureRerunsSetUpAndStopsTimer();
    void aboutOkInAnswerPhaseOnlyEmptiesName();
    void unsafeEntryIsRefusedWithReason_data();
    void unsafeEntryIsRefusedWithReason();
    void decomposedLettersAreComposedAtEntry();
    void keysAfterSetUpNeverReachTheCode();
    void escClosesInEntryStagesAndShowsTaskbar();
    void errorsInHandlersReachTheErrorSink();
};

void StagesTest::startsOnEmptyLogInLayer()
{
    FormFixture f;
    QCOMPARE(f.form->run().state().Stage, 0);
    QVERIFY(!f.form->run().state().SessionOpen);
    QCOMPARE(f.form->frontLayer(), f.form->PaPassword);
    QVERIFY(f.form->paTest->isHidden() && f.form->paInstr->isHidden());
    for (QWidget *w : {static_cast<QWidget *>(f.form->gbVariant), static_cast<QWidget *>(f.form->GroupBoxUser),
                       static_cast<QWidget *>(f.form->GroupBoxPasswrd), static_cast<QWidget *>(f.form->BtnEnter),
                       static_cast<QWidget *>(f.form->BtnExit)})
        QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
    QCOMPARE(f.form->cbVariant->currentIndex(), 0);
    QCOMPARE(f.form->cbVariant->currentText(), QStringLiteral("Вариант A"));
    QCOMPARE(f.form->windowTitle(), QStringLiteral("KAVR.IM"));
    QVERIFY(!f.form->phases().isActive());
    QCOMPARE(f.desktop.calls, QStringList({QStringLiteral("PlaySound ID_start"),
                                           QStringLiteral("LoadKeyboardLayout 00000409"),
                                           QStringLiteral("AddSystemMenuEntry 1025 О программе")}));
    QVERIFY(f.form->run().state().ResultLog.isEmpty());
}

void StagesTest::enterBeforeAboutDoesNothingAndOkStillLogsIn()
{
    FormFixture f;
    f.pressKey(Qt::Key_Return);
    f.pressKey(Qt::Key_Enter);
    QCOMPARE(f.form->run().state().Stage, 0);
    QVERIFY(!f.form->run().state().SessionOpen);
    QCOMPARE(f.desktop.calls.size(), 3);
    f.logIn();
    QCOMPARE(f.form->run().state().Stage, 1);
    QCOMPARE(f.form->GroupBoxUser->caption(), QStringLiteral("Введите код обследуемого"));
}

void StagesTest::aboutOkLogsInToSubjectEntry()
{
    FormFixture f;
    f.form->WMSysCommand(TForm1::AboutCommand);
    QVERIFY(f.about->isVisible());
    f.about->OKButtonClick();
    QVERIFY(!f.about->isVisible());
    QCOMPARE(f.form->run().state().Stage, 1);
    QVERIFY(f.form->run().state().SessionOpen);
    for (QWidget *w : {static_cast<QWidget *>(f.form->gbVariant), static_cast<QWidget *>(f.form->GroupBoxUser),
                       static_cast<QWidget *>(f.form->GroupBoxPasswrd), static_cast<QWidget *>(f.form->BtnEnter),
                       static_cast<QWidget *>(f.form->BtnExit)})
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    QCOMPARE(f.form->GroupBoxUser->caption(), QStringLiteral("Введите код обследуемого"));
    QCOMPARE(f.form->GroupBoxPasswrd->caption(), QStringLiteral("Введите Фамилию И.О. обследуемого"));
    QCOMPARE(f.form->EditPassword->echoMode(), QLineEdit::Normal);
    QVERIFY(f.form->EditUser->text().isEmpty() && f.form->EditPassword->text().isEmpty());
    QCOMPARE(f.form->focusWidget(), f.form->EditUser);
    QCOMPARE(f.desktop.calls.last(), QStringLiteral("LoadKeyboardLayout 00000419"));
}

enum class Amiss { Nothing, ResultCannotBeMade, RunsFromTemporaryFolder, LaptopScreen, ScaledScreen };

void StagesTest::logInSaysWhatIsAmissWithTheWorkplace_data()
{
    QTest::addColumn<Amiss>("amiss");
    QTest::addColumn<QString>("line"); // the first line the log-in layer shows; empty: none
    QTest::addColumn<bool>("subjectTaken");
    QTest::newRow("nothing") << Amiss::Nothing << QString() << true;
    QTest::newRow("Result cannot be made") << Amiss::ResultCannotBeMade
        << QStringLiteral("В папку Result нельзя записать файл (папку нельзя создать или в неё нельзя писать): "
                          "протокол будет сохранён в папке %1.") << true;
    QTest::newRow("run from inside a zip") << Amiss::RunsFromTemporaryFolder
        << QStringLiteral("Программа запущена из временной папки (похоже, прямо из архива), и протоколы пропадут "
                          "вместе с ней. Распакуйте архив в постоянную папку и запустите программу оттуда.")
        << false;
    // The offscreen screens of the tests: a laptop's work area, and 1920×1080 at 150 %.
    QTest::newRow("a laptop of 1366×768") << Amiss::LaptopScreen
        << QStringLiteral("Окно теста не помещается на экране: нужна рабочая область не менее 1028×753 точек, а есть "
                          "1362×724. Выберите большее разрешение экрана.") << true;
    QTest::newRow("1920×1080 at 150 %") << Amiss::ScaledScreen
        << QStringLiteral("Окно теста не помещается на экране при масштабе 150 %: нужна рабочая область не менее "
                          "1542×1130 точек (1028×753 при масштабе 100 %), а есть ") << true;
}

void StagesTest::logInSaysWhatIsAmissWithTheWorkplace()
{
    QFETCH(Amiss, amiss);
    QFETCH(QString, line);
    QFETCH(bool, subjectTaken);
    QTemporaryDir dir;
    SaveTarget target;
    if (amiss == Amiss::ResultCannotBeMade) {
        QVERIFY(WriteAll(dir.filePath(QStringLiteral("file")), "a file where a folder should be"));
        target = {dir.filePath(QStringLiteral("file/Result")), {dir.path()}};
        line = line.arg(QDir::toNativeSeparators(QDir::cleanPath(dir.path())));
    }
    FormFixture f(target);
    // A temporary folder of its own: the system's may hold the home folder (a clean machine's
    // HOME made by mktemp), and such a folder tells nothing of a zip.
    QTemporaryDir temporary(QDir::currentPath() + QStringLiteral("/temporary-XXXXXX"));
    QVERIFY(temporary.isValid());
    f.form->setTemporaryFolder(temporary.path());
    if (amiss == Amiss::RunsFromTemporaryFolder)
        f.form->setProgramFolder(temporary.path() + QStringLiteral("/Temp1_KAVR.IM-2.01-win64.zip/KAVR.IM"));
    if (amiss == Amiss::LaptopScreen || amiss == Amiss::ScaledScreen)
        f.form->windowHandle()->setScreen(QGuiApplication::screens().at(amiss == Amiss::LaptopScreen ? 1 : 2));
    QVERIFY(f.form->logInNotice->isHidden());
    f.logIn();
    // Said as the entry controls appear, before anyone is tested.
    QCOMPARE(f.form->logInNotice->isVisible(), !line.isEmpty());
    if (!line.isEmpty())
        QVERIFY2(f.form->logInNotice->text().startsWith(line), qPrintable(f.form->logInNotice->text()));
    f.form->EditUser->setText(QStringLiteral("Код-7"));
    f.form->EditPassword->setText(QStringLiteral("Петров А.Б."));
    f.pressKey(Qt::Key_Return);
    QCOMPARE(f.form->run().state().Stage, subjectTaken ? 2 : 1);
    if (!subjectTaken) {
        QCOMPARE(f.form->logInNotice->text().split(QLatin1Char('\n')).first(),
                 QStringLiteral("Тест нельзя начать, пока программа запущена из временной папки"));
        QCOMPARE(f.form->focusWidget(), f.form->EditUser);
    }
}

void StagesTest::onlyCommand1025OpensAboutBox_data()
{
    QTest::addColumn<unsigned>("command");
    QTest::addColumn<bool>("opens");
    QTest::newRow("1024") << 1024u << false;
    QTest::newRow("1025") << 1025u << true;
    QTest::newRow("1026") << 1026u << false;
    QTest::newRow("1039") << 1039u << false;
    QTest::newRow("SC_CLOSE") << 0xF060u << false;
}

void StagesTest::onlyCommand1025OpensAboutBox()
{
    QFETCH(unsigned, command);
    QFETCH(bool, opens);
    FormFixture f;
    f.form->WMSysCommand(command);
    QCOMPARE(f.about->isVisible(), opens);
    f.form->WMSysCommand(command); // again: an open box stays open
    QCOMPARE(f.about->isVisible(), opens);
    QCOMPARE(f.form->run().state().Stage, 0);
}

void StagesTest::aboutBoxCloseOnlyHides()
{
    FormFixture f;
    f.form->WMSysCommand(TForm1::AboutCommand);
    const QPoint where(40, 50);
    f.about->move(where);
    f.about->close();
    QVERIFY(!f.about->isVisible());
    QVERIFY(f.form->GroupBoxUser->isHidden());
    QCOMPARE(f.form->run().state().Stage, 0);
    QTest::keyClick(f.about.get(), Qt::Key_Escape);
    f.form->WMSysCommand(TForm1::AboutCommand);
    QVERIFY(f.about->isVisible());
    QCOMPARE(f.about->pos(), where); // reappears where it was, not centred again
    QTest::keyClick(f.about.get(), Qt::Key_Escape);
    QVERIFY(f.about->isVisible()); // Esc does nothing
    QTest::keyClick(f.about.get(), Qt::Key_Return); // Enter presses OK
    QVERIFY(!f.about->isVisible());
    QCOMPARE(f.form->run().state().Stage, 1);
}

void StagesTest::incompleteEntryFocusesName_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("both empty") << QString() << QString();
    QTest::newRow("code only") << QStringLiteral("12") << QString();
    QTest::newRow("name only") << QString() << QStringLiteral("Иванов");
}

void StagesTest::incompleteEntryFocusesName()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    FormFixture f;
    f.logIn();
    f.form->EditUser->setText(code);
    f.form->EditPassword->setText(name);
    f.form->EditUser->setFocus();
    for (int i = 0; i < 3; ++i) {
        f.pressKey(Qt::Key_Return);
        QCOMPARE(f.form->run().state().Stage, 1);
        QCOMPARE(f.form->focusWidget(), f.form->EditPassword);
        QCOMPARE(f.form->EditUser->text(), code);
        QCOMPARE(f.form->EditPassword->text(), name);
    }
    QVERIFY(f.form->run().state().ResultLog.isEmpty());
}

void StagesTest::refusedLogInEmptiesName()
{
    FormFixture f;
    f.form->showEntryControls();
    f.form->EditUser->setText(QStringLiteral("admin"));
    f.form->EditPassword->setText(QStringLiteral("secret"));
    f.form->BtnEnterClick();
    QCOMPARE(f.form->run().state().Stage, 0);
    QVERIFY(!f.form->run().state().SessionOpen);
    QVERIFY(f.form->EditPassword->text().isEmpty());
    QCOMPARE(f.form->EditUser->text(), QStringLiteral("admin"));
    QCOMPARE(f.form->focusWidget(), f.form->EditPassword);
}

void StagesTest::completeEntryPreparesTestOnce()
{
    FormFixture f;
    f.enterSubject();
    QCOMPARE(f.form->run().state().Stage, 2);
    QCOMPARE(f.form->frontLayer(), f.form->paInstr);
    QCOMPARE(f.form->run().state().ResultLog.size(), 3);
    QCOMPARE(f.form->windowTitle(), QStringLiteral("KAVR.IM Вариант A"));
    const QPoint palette = f.form->gbIn3->mapToGlobal(QPoint(31, 34));
    QCOMPARE(f.desktop.calls.last(), QStringLiteral("SetCursorPos %1 %2").arg(palette.x()).arg(palette.y()));
    QCOMPARE(f.form->boards().FigurePanels[1]->mapToGlobal(QPoint(21, 10)), palette);
    f.pressKey(Qt::Key_Return);
    QCOMPARE(f.form->run().state().Stage, 2);
    QCOMPARE(f.form->run().state().ResultLog.size(), 3);
}

void StagesTest::keysOutsideTheirStageDoNothing_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<bool>("answerPhase"); // Stage 3 after the exposure
    QTest::addColumn<int>("key");
    for (int stage : {0, 1, 3, 4})
        QTest::addRow("F1 in %d", stage) << stage << false << int(Qt::Key_F1);
    for (int stage : {2, 3, 4}) {
        QTest::addRow("Enter in %d", stage) << stage << false << int(Qt::Key_Return);
        QTest::addRow("Esc in %d", stage) << stage << false << int(Qt::Key_Escape);
    }
    for (int key : {Qt::Key_F1, Qt::Key_Return, Qt::Key_Escape})
        QTest::addRow("key %x in the answer phase", key) << 3 << true << key;
}

void StagesTest::keysOutsideTheirStageDoNothing()
{
    QFETCH(int, stage);
    QFETCH(bool, answerPhase);
    QFETCH(int, key);
    FormFixture f;
    if (stage >= 1)
        f.logIn();
    if (stage >= 2)
        f.enterSubject();
    if (stage >= 3)
        f.pressKey(Qt::Key_F1);
    if (stage >= 4 || answerPhase)
        f.clock.advanceMs(30'000);
    if (stage >= 4)
        f.clock.advanceMs(60'000);
    QCOMPARE(f.form->run().state().Stage, stage);
    QCOMPARE(f.form->run().state().SessionOpen, stage >= 1 && stage <= 3 && !answerPhase);
    const QStringList log = f.form->run().state().ResultLog;
    const bool timerActive = f.form->phases().isActive();
    f.pressKey(key);
    QCOMPARE(f.form->run().state().Stage, stage);
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.form->run().state().ResultLog, log);
    QCOMPARE(f.form->phases().isActive(), timerActive);
}

void StagesTest::aboutOkInEntryAndFinishedStages_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("name"); // typed into the name field before the OK
    QTest::addColumn<int>("stageAfter");
    QTest::addColumn<int>("logLines"); // ResultLog's lines after the OK
    // In Stage 1 the OK is the Enter key.
    QTest::newRow("Stage 1, both fields filled") << 1 << QStringLiteral("Петров А.Б.") << 2 << 3;
    QTest::newRow("Stage 1, the name empty") << 1 << QString() << 1 << 0;
    // In Stage 4 the log-in is refused: the name field is emptied and nothing else happens.
    QTest::newRow("Stage 4") << 4 << QString() << 4 << 23;
}

void StagesTest::aboutOkInEntryAndFinishedStages()
{
    QFETCH(int, stage);
    QFETCH(QString, name);
    QFETCH(int, stageAfter);
    QFETCH(int, logLines);
    FormFixture f;
    QByteArray protocol;
    if (stage == 1) {
        f.logIn();
        f.form->EditUser->setText(QStringLiteral("Код-7"));
        f.form->EditPassword->setText(name);
    } else {
        f.enterSubject();
        f.startAnswerPhase();
        f.clock.advanceMs(60'000);
        protocol = ReadAll(f.form->run().protocolPath());
        QVERIFY(!protocol.isEmpty());
        QCOMPARE(f.form->EditPassword->text(), QStringLiteral("Петров А.Б."));
    }
    const QStringList calls = f.desktop.calls;
    const QString title = f.form->windowTitle();
    f.logIn();
    QCOMPARE(f.form->run().state().Stage, stageAfter);
    QCOMPARE(f.form->run().state().ResultLog.size(), logLines);
    QCOMPARE(f.form->EditUser->text(), QStringLiteral("Код-7"));
    QVERIFY(f.errors.isEmpty());
    if (stageAfter == 1) {
        QCOMPARE(f.form->focusWidget(), f.form->EditPassword);
        QCOMPARE(f.desktop.calls, calls);
    }
    if (stage == 4) {
        // No second set-up and no second save: the window, the boards and the file as they were.
        QVERIFY(f.form->EditPassword->text().isEmpty());
        QCOMPARE(f.form->windowTitle(), title);
        QCOMPARE(f.form->frontLayer(), f.form->paInstr);
        QCOMPARE(f.desktop.calls, calls);
        QCOMPARE(ReadAll(f.form->run().protocolPath()), protocol);
        QCOMPARE(QDir(f.resultDir()).entryList(QDir::Files), QStringList{QStringLiteral("Код-7.IM.txt")});
    }
}

void StagesTest::f1StartsExposure()
{
    FormFixture f;
    f.enterSubject();
    f.clock.advanceMs(12'500);
    f.pressKey(Qt::Key_F1);
    QCOMPARE(f.form->run().state().Stage, 3);
    QVERIFY(f.form->run().state().SessionOpen);
    QCOMPARE(f.form->frontLayer(), f.form->paTest);
    QVERIFY(f.form->bbTest->isHidden() && f.form->gbIn1->isHidden() && f.form->gbIn2->isHidden());
    QVERIFY(f.form->gbAnswer->isHidden());
    QVERIFY(f.form->phases().isActive());
    QCOMPARE(f.form->phases().interval(), 30'000);
    // 30 s from the moment the figures were handed over.
    QCOMPARE(f.form->phases().deadline() - f.clock.monotonic(), std::chrono::milliseconds(30'000));
    QCOMPARE(f.form->run().state().ResultLog.last(),
             QStringLiteral("Время изучения инструкции  13 сек"));
    f.form->bbTestClick(); // a second start is refused
    QCOMPARE(f.form->run().state().ResultLog.size(), 4);
}

void StagesTest::firstTickOpensAnswerPhase()
{
    FormFixture f;
    f.enterSubject();
    f.startAnswerPhase();
    QCOMPARE(f.form->run().state().Stage, 3);
    QVERIFY(!f.form->run().state().SessionOpen);
    QVERIFY(f.form->gbAnswer->isVisible());
    QCOMPARE(f.form->run().state().ChoiceNo, 1);
    for (int i = 1; i <= 12; ++i)
        QVERIFY(f.form->boards().TaskImages[i]->isHidden());
    QCOMPARE(f.form->run().state().MarkTime, f.clock.ClockMs());
    QCOMPARE(f.form->run().state().AnswerStartTime, f.form->run().state().MarkTime);
    QVERIFY(f.form->phases().isActive());
    QCOMPARE(f.form->phases().interval(), 60'000);
    const QPoint target = f.form->boards().AnswerPanels[1]->mapToGlobal(QPoint(63, 68));
    QCOMPARE(f.desktop.calls.last(), QStringLiteral("SetCursorPos %1 %2").arg(target.x()).arg(target.y()));
}

void StagesTest::secondTickFinishesTest()
{
    FormFixture f;
    f.enterSubject();
    f.startAnswerPhase();
    f.clock.advanceMs(60'000);
    QCOMPARE(f.form->run().state().Stage, 4);
    QVERIFY(!f.form->phases().isActive());
    QCOMPARE(f.form->frontLayer(), f.form->paInstr);
    QCOMPARE(f.form->gbInstr->caption(), QStringLiteral("Инструкция."));
    QVERIFY(f.form->bbTest->isHidden() && f.form->gbIn1->isHidden());
    QCOMPARE(f.desktop.calls.mid(f.desktop.calls.size() - 2),
             QStringList(
                 {QStringLiteral("PlaySound ID_Finish"), QStringLiteral("RestoreTimedPriority")}));
    QCOMPARE(f.form->run().state().ResultLog.size(), 23);
    QVERIFY(f.errors.isEmpty());
}

void StagesTest::processorFromF1UntilTheProtocolIsSaved_data()
{
    QTest::addColumn<bool>("granted");
    QTest::addColumn<bool>("saveRefused");
    QTest::newRow("granted") << true << false;
    QTest::newRow("refused") << false << false;
    QTest::newRow("granted, the save refused") << true << true;
}

void StagesTest::processorFromF1UntilTheProtocolIsSaved()
{
    QFETCH(bool, granted);
    QFETCH(bool, saveRefused);
    FormFixture f;
    f.desktop.priority = {granted,
                          granted ? "SCHED_FIFO 10" : "SCHED_FIFO: Operation not permitted"};
    f.enterSubject();
    QVERIFY(!f.desktop.calls.contains(QStringLiteral("RaiseTimedPriority")));
    f.startAnswerPhase();
    const QString protocol = f.resultDir() + QStringLiteral("/Код-7.IM.txt");
    if (saveRefused) { // an earlier protocol of the code made read-only, and no fallback folder
        QVERIFY(WriteAll(protocol, "earlier\r\n"));
        QVERIFY(QFile::setPermissions(protocol,
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    f.clock.advanceMs(59'000);
    QCOMPARE(f.desktop.calls.count(QStringLiteral("RaiseTimedPriority")), 1);
    QVERIFY(!f.desktop.calls.contains(QStringLiteral("RestoreTimedPriority")));
    // The journal says what the system granted: a kill's recovery shows it, the protocol never.
    const QString journalPath = f.form->run().journal()->path();
    const JournalReadOutcome journal = ReadJournal(ReadAll(journalPath));
    QVERIFY(journal.test && journal.damagedLine == 0);
    QCOMPARE(journal.test->priority,
             granted ? QStringLiteral("granted") : QStringLiteral("refused"));
    QVERIFY(ReadAll(journalPath).contains(QByteArray::fromStdString(f.desktop.priority.how)));

    bool savedBeforeRestore = false;
    f.desktop.restoring = [&] { savedBeforeRestore = !ReadAll(protocol).startsWith("earlier"); };
    f.clock.advanceMs(1'000);
    QCOMPARE(f.form->run().state().Stage, 4);
    QCOMPARE(f.desktop.calls.count(QStringLiteral("RestoreTimedPriority")), 1);
    QCOMPARE(f.desktop.calls.last(), QStringLiteral("RestoreTimedPriority"));
    QCOMPARE(f.errors.size(), saveRefused ? 1 : 0);
    QCOMPARE(savedBeforeRestore, !saveRefused);
}

void StagesTest::aboutOkDuringExposureRerunsSetUpAndStopsTimer()
{
    FormFixture f;
    f.enterSubject();
    f.pressKey(Qt::Key_F1);
    QVERIFY(f.form->phases().isActive());
    ui::Panel *firstBoard = f.form->boards().TaskPanels[1];
    f.logIn();
    QCOMPARE(f.form->run().state().Stage, 2);
    QVERIFY(!f.form->phases().isActive()); // no tick of the first exposure reaches the new set-up
    QVERIFY(f.form->boards().TaskPanels[1] != firstBoard);
    QCOMPARE(f.form->run().state().ResultLog.size(), 7);
    QCOMPARE(f.form->windowTitle(), QStringLiteral("KAVR.IM Вариант A Вариант A"));
    for (int i = 1; i <= 12; ++i)
        QVERIFY(f.form->boards().PracticePanels[i]->isVisible());
}

void StagesTest::aboutOkInAnswerPhaseOnlyEmptiesName()
{
    FormFixture f;
    f.enterSubject();
    f.startAnswerPhase();
    f.logIn();
    QCOMPARE(f.form->run().state().Stage, 3);
    QVERIFY(f.form->EditPassword->text().isEmpty());
    QCOMPARE(f.form->EditUser->text(), QStringLiteral("Код-7"));
    QCOMPARE(f.form->frontLayer(), f.form->paTest);
    QVERIFY(f.form->phases().isActive());
}

void StagesTest::unsafeEntryIsRefusedWithReason_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("codeAtFault");
    QTest::newRow("separator") << QStringLiteral("../x") << QStringLiteral("Иванов") << true;
    QTest::newRow("line break name")
        << QStringLiteral("12") << QStringLiteral("Иванов\nПетров") << false;
}

void StagesTest::unsafeEntryIsRefusedWithReason()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(bool, codeAtFault);
    FormFixture f;
    f.enterSubject(code, name);
    QCOMPARE(f.form->run().state().Stage, 1);
    QVERIFY(f.form->run().state().ResultLog.isEmpty());
    QVERIFY(f.form->logInNotice->isVisible());
    QVERIFY(!f.form->logInNotice->text().isEmpty());
    QLineEdit *field = codeAtFault ? f.form->EditUser : f.form->EditPassword;
    QCOMPARE(f.form->focusWidget(), field);
    QCOMPARE(field->selectedText(), field->text());
    QCOMPARE(f.form->EditUser->text(), code); // nothing else changes
    f.form->EditUser->setText(QStringLiteral("12"));
    f.form->EditPassword->setText(QStringLiteral("Иванов"));
    f.pressKey(Qt::Key_Return);
    QCOMPARE(f.form->run().state().Stage, 2);
    QVERIFY(f.form->logInNotice->isHidden());
}

void StagesTest::decomposedLettersAreComposedAtEntry()
{
    FormFixture f;
    // "Йо" spelt as И + combining breve, о: composed it fits Windows-1251.
    f.enterSubject(QStringLiteral("\u0418\u0306\u043E-1"), QStringLiteral("Е\u0308лкин"));
    QCOMPARE(f.form->run().state().Stage, 2);
    QCOMPARE(f.form->EditUser->text(), QStringLiteral("Йо-1"));
    QCOMPARE(f.form->run().state().ResultLog.at(2), QStringLiteral("Йо-1"));
    QVERIFY(f.form->run().state().ResultLog.at(1).contains(QStringLiteral("Ёлкин")));
}

void StagesTest::keysAfterSetUpNeverReachTheCode()
{
    FormFixture f;
    f.enterSubject(QStringLiteral("A1"));
    f.typeText("zz");
    f.pressKey(Qt::Key_Backspace);
    f.pressKey(Qt::Key_Tab);
    f.typeText("qq");
    QCOMPARE(f.form->EditUser->text(), QStringLiteral("A1"));
    QVERIFY(!f.form->PaPassword->isAncestorOf(f.form->focusWidget()));
    f.pressKey(Qt::Key_F1);
    f.typeText("ww");
    QCOMPARE(f.form->EditUser->text(), QStringLiteral("A1"));
}

void StagesTest::escClosesInEntryStagesAndShowsTaskbar()
{
    FormFixture f;
    f.logIn();
    f.pressKey(Qt::Key_Escape);
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.desktop.calls.last(), QStringLiteral("ShowTaskbar"));
    QVERIFY(f.form->run().state().ResultLog.isEmpty());
    QVERIFY(!QDir(f.resultDir()).exists());
}

void StagesTest::errorsInHandlersReachTheErrorSink()
{
    FormFixture f;
    f.enterSubject();
    // A picture number outside the catalogue fails and the image keeps its picture.
    const QImage before = f.form->boards().TaskImages[1]->picture();
    QVERIFY_THROWS_EXCEPTION(KavrError,
                             f.form->LoadFigurePicture(f.form->boards().TaskImages[1], 1000));
    QCOMPARE(f.form->boards().TaskImages[1]->picture(), before);
    // Reloading replaces the picture.
    f.form->LoadFigurePicture(f.form->boards().TaskImages[1], 1013);
    QCOMPARE(f.form->boards().TaskImages[1]->picture().size(), QSize(37, 33));
    // Through a handler, the error goes to the general error handler and the program goes on.
    QStringList shown;
    ui::RunGuarded([&](const QString &text) { shown << text; },
                   [&] { f.form->LoadFigurePicture(f.form->boards().TaskImages[1], 25); });
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QLatin1String("25")), qPrintable(shown.first()));
    QCOMPARE(ui::ErrorMessageText(QStringLiteral("Cannot create file X")), QStringLiteral("Cannot create file X."));
}

QTEST_MAIN(StagesTest)
#include "test_stages.moc"
