// The check of the subject's code (a file name on Windows and Linux) and name (a protocol line).
#include "testing/core/SubjectEntryCheck.h"

#include <QTest>

using namespace kavr;
using namespace Qt::StringLiterals;

namespace {

const QString GoodCode = u"Иванов-01"_s;
const QString GoodName = u"Иванов И.И."_s;

// Expected field: -1 none, 0 code, 1 name.
constexpr int None = -1;
constexpr int Code = 0;
constexpr int Name = 1;

const QString CodeTooLong = u"Код обследуемого длиннее 200 символов"_s;
const QString CodeFileName = u"Код обследуемого слишком длинный для имени файла"_s;
const QString CodeControl = u"Код обследуемого содержит управляющий символ"_s;
const QString CodeOnlyDots = u"Код обследуемого не может состоять только из точек и пробелов"_s;
const QString CodeLeadingBlank = u"Код обследуемого не может начинаться с пробела"_s;
const QString CodeTrailing = u"Код обследуемого не может оканчиваться точкой или пробелом"_s;
const QString CodeNot1251 =
    u"Код обследуемого содержит символ, которого нет в кодировке Windows-1251"_s;
const QString NameTooLong = u"Фамилия И.О. длиннее 200 символов"_s;
const QString NameControl = u"Фамилия И.О. содержит управляющий символ"_s;
const QString NameNot1251 =
    u"Фамилия И.О. содержит символ, которого нет в кодировке Windows-1251"_s;

QString Forbidden(QChar c)
{
    return u"Код обследуемого не может содержать символ «"_s + c + u'»';
}

QString Device(const QString &name)
{
    return u"Код обследуемого совпадает с именем устройства «"_s + name + u'»';
}

} // namespace

class TestSubjectEntryCheck : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
};

void TestSubjectEntryCheck::check_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("reason");

    // Accepted.
    QTest::newRow("Cyrillic code") << GoodCode << GoodName << None << QString();
    QTest::newRow("initials and blank in code")
        << u"А.Б. Петров"_s << GoodName << None << QString();
    QTest::newRow("one character") << u"7"_s << u"Я"_s << None << QString();
    QTest::newRow("200 characters") << QString(200, u'z') << QString(200, u'Ж') << None
                                    << QString();
    QTest::newRow("Windows-1251 punctuation") << u"№5 «тест» — ёж"_s << u"Ёлкин Ё.Ё."_s << None
                                              << QString();
    QTest::newRow("precomposed й") << u"Бойко"_s << u"Йорданов"_s << None << QString();
    QTest::newRow("device-like but longer") << u"COM10"_s << GoodName << None << QString();
    QTest::newRow("CONSOLE") << u"CONSOLE"_s << GoodName << None << QString();
    QTest::newRow("NULL") << u"NULL.txt"_s << GoodName << None << QString();
    QTest::newRow("dot inside") << u"a.b"_s << GoodName << None << QString();
    QTest::newRow("name may hold file-name signs")
        << GoodCode << u" Иванов: И.И. / ? "_s << None << QString();

    // Empty fields, never expected but handled.
    QTest::newRow("empty code") << QString() << GoodName << Code
                                << u"Код обследуемого не введён"_s;
    QTest::newRow("empty name") << GoodCode << QString() << Name << u"Фамилия И.О. не введена"_s;

    // Length, counted in characters.
    QTest::newRow("201 characters") << QString(201, u'ж') << GoodName << Code << CodeTooLong;
    QTest::newRow("10000 characters") << QString(10000, u'1') << GoodName << Code << CodeTooLong;
    QTest::newRow("name 201 characters") << GoodCode << QString(201, u'Ж') << Name << NameTooLong;
#ifndef Q_OS_WIN
    // The file name in bytes, with room for the save's temporary name beside it: 255 at most.
    // The longest name made of a code, the temporary name of its 999th recovered protocol, is
    // 37 bytes longer than the code: 218 bytes are left of 255, two for a Cyrillic letter, three
    // for "№".
    QTest::newRow("109 Cyrillic letters") << QString(109, u'ж') << GoodName << None << QString();
    QTest::newRow("110 Cyrillic letters") << QString(110, u'ж') << GoodName << Code << CodeFileName;
    QTest::newRow("120 Cyrillic letters, a 240-byte code") << QString(120, u'ж') << GoodName << Code << CodeFileName;
    QTest::newRow("200 Cyrillic letters") << QString(200, u'ж') << GoodName << Code << CodeFileName;
    QTest::newRow("72 signs №") << QString(72, u'№') << GoodName << None << QString();
    QTest::newRow("73 signs №") << QString(73, u'№') << GoodName << Code << CodeFileName;
#endif
    // 150 emoji are 300 UTF-16 units but 150 characters: refused for the code page.
    QString emoji150;
    for (int i = 0; i < 150; ++i)
        emoji150 += u"😀"_s;
    QTest::newRow("150 emoji") << emoji150 << GoodName << Code << CodeNot1251;

    // Control characters.
    QTest::newRow("tab") << u"a\tb"_s << GoodName << Code << CodeControl;
    QTest::newRow("line feed") << u"a\nb"_s << GoodName << Code << CodeControl;
    QTest::newRow("carriage return") << u"a\rb"_s << GoodName << Code << CodeControl;
    QTest::newRow("U+0001") << u"a\u0001"_s << GoodName << Code << CodeControl;
    QTest::newRow("DEL") << u"a\u007F"_s << GoodName << Code << CodeControl;
    QTest::newRow("C1 next line") << u"a\u0085b"_s << GoodName << Code << CodeControl;
    QTest::newRow("C1 U+0098") << u"a\u0098b"_s << GoodName << Code << CodeControl;
    QTest::newRow("line separator") << u"a\u2028b"_s << GoodName << Code << CodeControl;
    QTest::newRow("name with line break") << GoodCode << u"Иванов\r\nИ.И."_s << Name
                                          << NameControl;
    QTest::newRow("name with tab") << GoodCode << u"Иванов\tИ.И."_s << Name << NameControl;

    // Characters Windows refuses in file names.
    QTest::newRow("..\\x") << u"..\\x"_s << GoodName << Code << Forbidden(u'\\');
    QTest::newRow("../x") << u"../x"_s << GoodName << Code << Forbidden(u'/');
    QTest::newRow("/tmp/x") << u"/tmp/x"_s << GoodName << Code << Forbidden(u'/');
    QTest::newRow("C:x") << u"C:x"_s << GoodName << Code << Forbidden(u':');
    QTest::newRow("asterisk") << u"a*"_s << GoodName << Code << Forbidden(u'*');
    QTest::newRow("question mark") << u"a?"_s << GoodName << Code << Forbidden(u'?');
    QTest::newRow("double quote") << u"\"a\""_s << GoodName << Code << Forbidden(u'"');
    QTest::newRow("less than") << u"a<b"_s << GoodName << Code << Forbidden(u'<');
    QTest::newRow("greater than") << u"a>b"_s << GoodName << Code << Forbidden(u'>');
    QTest::newRow("bar") << u"a|b"_s << GoodName << Code << Forbidden(u'|');

    // Dots and blanks.
    QTest::newRow(".") << u"."_s << GoodName << Code << CodeOnlyDots;
    QTest::newRow("..") << u".."_s << GoodName << Code << CodeOnlyDots;
    QTest::newRow("dots and blanks") << u" . . "_s << GoodName << Code << CodeOnlyDots;
    QTest::newRow("blanks") << u"   "_s << GoodName << Code << CodeOnlyDots;
    QTest::newRow("leading blank") << u" x"_s << GoodName << Code << CodeLeadingBlank;
    QTest::newRow("trailing blank") << u"x "_s << GoodName << Code << CodeTrailing;
    QTest::newRow("trailing dot") << u"x."_s << GoodName << Code << CodeTrailing;

    // Device names, in any case and with any extension.
    QTest::newRow("con") << u"con"_s << GoodName << Code << Device(u"CON"_s);
    QTest::newRow("Nul.txt") << u"Nul.txt"_s << GoodName << Code << Device(u"NUL"_s);
    QTest::newRow("COM9") << u"COM9"_s << GoodName << Code << Device(u"COM9"_s);
    QTest::newRow("com0") << u"com0"_s << GoodName << Code << Device(u"COM0"_s);
    QTest::newRow("LPT0.a.b") << u"LPT0.a.b"_s << GoodName << Code << Device(u"LPT0"_s);
    QTest::newRow("prn with blank before dot") << u"prn .x"_s << GoodName << Code
                                               << Device(u"PRN"_s);
    QTest::newRow("aux") << u"Aux"_s << GoodName << Code << Device(u"AUX"_s);
    QTest::newRow("conin$") << u"conin$"_s << GoodName << Code << Device(u"CONIN$"_s);
    QTest::newRow("CONOUT$.log") << u"CONOUT$.log"_s << GoodName << Code << Device(u"CONOUT$"_s);
    // A trailing dot is the first problem found in "lpt1.".
    QTest::newRow("lpt1.") << u"lpt1."_s << GoodName << Code << CodeTrailing;

    // Characters Windows-1251 cannot hold.
    QTest::newRow("emoji") << u"Код😀"_s << GoodName << Code << CodeNot1251;
    QTest::newRow("CJK") << u"李01"_s << GoodName << Code << CodeNot1251;
    QTest::newRow("combining acute after a letter") << u"Пе\u0301тров"_s << GoodName << Code
                                                   << CodeNot1251;
    QTest::newRow("decomposed й") << u"Бои\u0306ко"_s << GoodName << Code << CodeNot1251;
    QTest::newRow("lone low surrogate") << u"a"_s + QChar(0xDC00) << GoodName << Code
                                        << CodeNot1251;
    // The converter keeps a final high surrogate back, waiting for its pair, and reports nothing.
    QTest::newRow("final high surrogate") << u"a"_s + QChar(0xD800) << GoodName << Code
                                          << CodeNot1251;
    QTest::newRow("name with CJK") << GoodCode << u"Ли 李"_s << Name << NameNot1251;
    QTest::newRow("name with combining mark") << GoodCode << u"Пе\u0301тров"_s << Name
                                              << NameNot1251;

    // Code problems come before name problems.
    QTest::newRow("both wrong") << u"a:b"_s << u"Ли 李"_s << Code << Forbidden(u':');
}

void TestSubjectEntryCheck::check()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(int, field);
    QFETCH(QString, reason);

    const std::optional<EntryProblem> problem = CheckSubjectEntry(code, name);
    if (field == None) {
        QVERIFY2(!problem, problem ? qPrintable(problem->reason) : "");
        return;
    }
    QVERIFY(problem.has_value());
    QCOMPARE(int(problem->field), field == Code ? int(EntryProblem::Field::Code)
                                                : int(EntryProblem::Field::Name));
    QCOMPARE(problem->reason, reason);
    QVERIFY(!problem->reason.contains(u'\n'));
}

QTEST_GUILESS_MAIN(TestSubjectEntryCheck)
#include "test_subjectentrycheck.moc"
