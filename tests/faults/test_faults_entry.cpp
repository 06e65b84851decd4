// Hostile subject entries, typed or pasted into the main window: lengths of 0, 1, 200, 201
// and 10 000 characters, path traversal, device names, characters outside Windows-1251,
// control characters, blanks at either end, pasted text with line breaks. Each is either
// refused at the entry with the reason shown, writing nothing, or accepted, and then the test
// saves its protocol inside Result under the code as set up, replacing an earlier protocol of
// that code, and writes nowhere else.
#include "harness/TreeSnapshot.h"
#include "support/FormFixture.h"
#include "ui/GeneralErrorHandler.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStringDecoder>
#include <QTest>

using namespace kavr;
using namespace kavr::test;
using kavr::harness::TreeSnapshot;
using namespace Qt::StringLiterals;

namespace {

enum class Outcome { Accepted, RefusedCode, RefusedName, Incomplete };
enum class Entry { Typed, Pasted };

const QString Code = u"Код-7"_s;
const QString Name = u"Иванов И.И."_s;

void Enter(QLineEdit *field, const QString &text, Entry how)
{
    QTest::mouseClick(field, Qt::LeftButton);
    if (how == Entry::Typed) {
        // One key per character, as a keyboard layout would send it (keyClicks knows Latin-1 only).
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text.mid(i, units), Qt::NoModifier);
            i += units - 1;
        }
    } else {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    }
}

} // namespace

class FaultsEntryTest : public QObject
{
    Q_OBJECT

private slots:
    void hostileEntry_data();
    void hostileEntry();
};

void FaultsEntryTest::hostileEntry_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Entry>("how");
    QTest::addColumn<Outcome>("outcome");
    using enum Outcome;
    const Entry T = Entry::Typed, P = Entry::Pasted;

    // Lengths.
    QTest::newRow("code of 0") << QString() << Name << T << Incomplete;
    QTest::newRow("name of 0") << Code << QString() << T << Incomplete;
    QTest::newRow("code of 1") << u"7"_s << Name << T << Accepted;
    QTest::newRow("name of 1") << Code << u"Я"_s << T << Accepted;
    QTest::newRow("code of 200 Latin") << QString(200, u'x') << Name << P << Accepted;
    // A file name is at most 255 bytes, and the longest name made of a code (a recovered
    // protocol's temporary one) has 37 more: 109 Cyrillic letters (two bytes each) at most.
    QTest::newRow("code of 109 Cyrillic") << QString(109, u'ж') << Name << P << Accepted;
    QTest::newRow("code of 110 Cyrillic") << QString(110, u'ж') << Name << P << RefusedCode;
    QTest::newRow("code of 200 Cyrillic") << QString(200, u'ж') << Name << P << RefusedCode;
    QTest::newRow("code of 200 signs №") << QString(200, u'№') << Name << P << RefusedCode;
    QTest::newRow("name of 200") << Code << QString(200, u'Ж') << P << Accepted;
    QTest::newRow("code of 201") << QString(201, u'x') << Name << P << RefusedCode;
    QTest::newRow("name of 201") << Code << QString(201, u'Ж') << P << RefusedName;
    QTest::newRow("code of 10000") << QString(10'000, u'1') << Name << P << RefusedCode;
    QTest::newRow("name of 10000") << Code << QString(10'000, u'Ж') << P << RefusedName;

    // Paths.
    QTest::newRow("..\\x") << u"..\\x"_s << Name << T << RefusedCode;
    QTest::newRow("../x") << u"../x"_s << Name << T << RefusedCode;
    QTest::newRow("/tmp/x") << u"/tmp/x"_s << Name << T << RefusedCode;
    QTest::newRow("C:x") << u"C:x"_s << Name << T << RefusedCode;
    QTest::newRow("..") << u".."_s << Name << T << RefusedCode;
    QTest::newRow(".hidden") << u".hidden"_s << Name << T << Accepted;
    QTest::newRow("$HOME and ~") << u"$HOME~%TEMP%"_s << Name << T << Accepted;
    QTest::newRow("name ../x") << Code << u"../x"_s << T << Accepted;
    QTest::newRow("name C:\\x|y") << Code << u"C:\\x|y"_s << T << Accepted;

    // Device names, any case, with and without an extension.
    for (const QString &device : {u"con"_s, u"CON"_s, u"Nul.txt"_s, u"nUl"_s, u"COM9"_s,
                                  u"com1.log"_s, u"LPT3"_s, u"aux.a.b"_s, u"Prn"_s, u"conin$"_s})
        QTest::newRow(qPrintable(device)) << device << Name << T << RefusedCode;
    QTest::newRow("COM10") << u"COM10"_s << Name << T << Accepted;
    QTest::newRow("name con") << Code << u"con"_s << T << Accepted;

    // Outside Windows-1251.
    QTest::newRow("code emoji") << u"Код😀"_s << Name << P << RefusedCode;
    QTest::newRow("code CJK") << u"李01"_s << Name << T << RefusedCode;
    QTest::newRow("code combining acute") << u"Пе\u0301тров"_s << Name << P << RefusedCode;
    QTest::newRow("code combining breve") << u"Бои\u0306ко"_s << Name << P << Accepted;
    QTest::newRow("name emoji") << Code << u"Иванов 🙂"_s << P << RefusedName;
    QTest::newRow("name CJK") << Code << u"Ли 李"_s << T << RefusedName;
    QTest::newRow("name combining acute") << Code << u"Пе\u0301тров"_s << P << RefusedName;
    QTest::newRow("code euro and no-break blank") << u"€\u00A05"_s << Name << T << Accepted;

    // Control characters.
    QTest::newRow("code tab") << u"a\tb"_s << Name << P << RefusedCode;
    QTest::newRow("code U+0001") << u"a\u0001b"_s << Name << P << RefusedCode;
    QTest::newRow("code DEL") << u"a\u007Fb"_s << Name << P << RefusedCode;
    QTest::newRow("code U+0085") << u"a\u0085b"_s << Name << P << RefusedCode;
    QTest::newRow("code U+2028") << u"a\u2028b"_s << Name << P << RefusedCode;
    QTest::newRow("name escape") << Code << u"Иванов\u001B"_s << P << RefusedName;

    // Blanks at either end.
    QTest::newRow("code leading blank") << u" 12"_s << Name << T << RefusedCode;
    QTest::newRow("code trailing blank") << u"12 "_s << Name << T << RefusedCode;
    QTest::newRow("code trailing dot") << u"12."_s << Name << T << RefusedCode;
    QTest::newRow("code blank inside") << u"1 2"_s << Name << T << Accepted;
    QTest::newRow("name blanks at both ends") << Code << u"  Иванов И.И.  "_s << T << Accepted;

    // Pasted text with line breaks.
    QTest::newRow("code pasted over two lines") << u"abc\ndef"_s << Name << P << RefusedCode;
    QTest::newRow("code pasted with CR LF") << u"abc\r\n"_s << Name << P << RefusedCode;
    QTest::newRow("name pasted over two lines") << Code << u"Иванов\r\nИ.И."_s << P << RefusedName;
}

void FaultsEntryTest::hostileEntry()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(Entry, how);
    QFETCH(Outcome, outcome);

    FormFixture f;
    const QString root = QFileInfo(f.resultDir()).absolutePath();
    // An earlier protocol of every accepted code, which the test must replace.
    const QString earlier = f.resultDir() + u'/' + code.normalized(QString::NormalizationForm_C) + u".IM.txt"_s;
    QFile earlierFile(earlier);
    if (outcome == Outcome::Accepted) {
        QVERIFY(QDir().mkpath(f.resultDir()));
        QVERIFY(earlierFile.open(QIODevice::WriteOnly));
        earlierFile.write("earlier\r\n");
        earlierFile.close();
    }
    const TreeSnapshot before(root);
    f.logIn(); // which sees that Result takes a file, and leaves nothing
    Enter(f.form->EditUser, code, how);
    Enter(f.form->EditPassword, name, how);
    const QString setUpCode = f.form->EditUser->text().normalized(QString::NormalizationForm_C);
    f.pressKey(Qt::Key_Return);
    TForm1 &form = *f.form;

    if (outcome != Outcome::Accepted) {
        QCOMPARE(form.run().state().Stage, 1);
        QVERIFY(form.run().state().ResultLog.isEmpty());
        QCOMPARE(before.changedIn(TreeSnapshot(root)), QStringList());
        if (outcome == Outcome::Incomplete) {
            QVERIFY(form.logInNotice->isHidden());
            QCOMPARE(form.focusWidget(), form.EditPassword);
            return;
        }
        const bool codeAtFault = outcome == Outcome::RefusedCode;
        QVERIFY(form.logInNotice->isVisible());
        QVERIFY2(form.logInNotice->text().startsWith(codeAtFault ? u"Код обследуемого "_s : u"Фамилия И.О. "_s),
                 qPrintable(form.logInNotice->text()));
        QCOMPARE(form.focusWidget(), codeAtFault ? form.EditUser : form.EditPassword);
        return;
    }

    QVERIFY2(form.run().state().Stage == 2, qPrintable(u"refused: "_s + form.logInNotice->text()));
    f.startAnswerPhase();
    f.clock.advanceMs(60'000);
    QCOMPARE(form.run().state().Stage, 4);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(u'\n')));

    // The one file made is the protocol in Result, under the code as set up.
    const QString fileName = setUpCode + u".IM.txt"_s;
    QCOMPARE(fileName, QFileInfo(earlier).fileName());
    QCOMPARE(before.changedIn(TreeSnapshot(root)), QStringList{u"Result/"_s + fileName});
    QFile file(f.resultDir() + u'/' + fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QFileInfo(file).absoluteFilePath(), form.run().protocolPath());
    QStringDecoder decoder("windows-1251");
    const QStringList lines = QString(decoder(file.readAll())).split(u"\r\n"_s);
    QVERIFY(!decoder.hasError());
    QCOMPARE(lines.size(), 24);
    QCOMPARE(lines[2], setUpCode);
    QCOMPARE(lines[1].section(u"  Дата ПФО: "_s, 0, 0),
             u"Код: "_s + setUpCode + u"  Имя: "_s + form.EditPassword->text());
}

QTEST_MAIN(FaultsEntryTest)
#include "test_faults_entry.moc"
