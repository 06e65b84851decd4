// The X11 desktop services without an X server (offscreen): the layout lookup, and every
// service staying silent and harmless where X11 is missing.
#include "platform/desktop/SoundPlayer.h"
#include "platform/desktop/X11DesktopServices.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTest>

using namespace kavr::platform;
using namespace Qt::StringLiterals;

class TestX11Services : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void layoutIdentifiers_data();
    void layoutIdentifiers();
    void layoutsFromRulesNames_data();
    void layoutsFromRulesNames();
    void layoutsFromSymbols_data();
    void layoutsFromSymbols();

    void factoryGivesTheX11Services();
    void playSoundStartsTheNamedSoundAndCutsTheLast();
    void unknownSoundPlaysNothing();
    void layoutSwitchWithoutDisplayDoesNothing();
    void cursorMovesToThePoint();
    void noWindowMenuAndNoSystemCommands();
};

void TestX11Services::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), u"offscreen"_s);
}

void TestX11Services::layoutIdentifiers_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("layout");
    QTest::newRow("English (US)") << u"00000409"_s << u"us"_s;
    QTest::newRow("Russian") << u"00000419"_s << u"ru"_s;
    QTest::newRow("German: not used") << u"00000407"_s << QString();
    QTest::newRow("short form") << u"409"_s << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestX11Services::layoutIdentifiers()
{
    QFETCH(QString, id);
    QFETCH(QString, layout);
    QCOMPARE(X11DesktopServices::XkbLayoutFor(id.toStdString()), layout);
}

void TestX11Services::layoutsFromRulesNames_data()
{
    QTest::addColumn<QByteArray>("names");
    QTest::addColumn<QStringList>("layouts");
    // The five fields, each ended by a NUL, as the X server stores them.
    const auto n = [](const QByteArrayList &fields) { return fields.join('\0').append('\0'); };
    QTest::newRow("us,ru") << n({"evdev", "pc105", "us,ru", "", "grp:alt_shift_toggle"})
                           << QStringList{u"us"_s, u"ru"_s};
    QTest::newRow("us only") << n({"evdev", "pc105", "us", "", ""}) << QStringList{u"us"_s};
    QTest::newRow("ru,us") << n({"evdev", "pc105", "ru,us", "", ""}) << QStringList{u"ru"_s, u"us"_s};
    QTest::newRow("with variants") << n({"evdev", "pc105", "us,ru,de", ",phonetic,", ""})
                                   << QStringList{u"us"_s, u"ru"_s, u"de"_s};
    QTest::newRow("no layout field") << n({"evdev", "pc105"}) << QStringList();
    QTest::newRow("empty layout") << n({"evdev", "pc105", "", "", ""}) << QStringList();
    QTest::newRow("no property") << QByteArray() << QStringList();
}

void TestX11Services::layoutsFromRulesNames()
{
    QFETCH(QByteArray, names);
    QFETCH(QStringList, layouts);
    QCOMPARE(X11DesktopServices::LayoutsFromRulesNames(names), layouts);
}

void TestX11Services::layoutsFromSymbols_data()
{
    QTest::addColumn<QString>("symbols");
    QTest::addColumn<QStringList>("layouts");
    QTest::newRow("us and ru") << u"pc+us+ru:2+inet(evdev)"_s << QStringList{u"us"_s, u"ru"_s};
    QTest::newRow("variants and options")
        << u"pc+us(intl)+ru(phonetic):2+inet(evdev)+group(alt_shift_toggle)"_s
        << QStringList{u"us"_s, u"ru"_s};
    QTest::newRow("ru first") << u"pc+ru+us:2+inet(evdev)"_s << QStringList{u"ru"_s, u"us"_s};
    QTest::newRow("three groups") << u"pc+us+de:2+ru:3+inet(evdev)"_s << QStringList{u"us"_s, u"de"_s, u"ru"_s};
    QTest::newRow("one group") << u"pc+us+inet(evdev)"_s << QStringList{u"us"_s};
    QTest::newRow("group out of range ignored") << u"pc+us+ru:5"_s << QStringList{u"us"_s};
    QTest::newRow("base only") << u"pc"_s << QStringList();
    QTest::newRow("empty") << QString() << QStringList();
}

void TestX11Services::layoutsFromSymbols()
{
    QFETCH(QString, symbols);
    QFETCH(QStringList, layouts);
    QCOMPARE(X11DesktopServices::LayoutsFromSymbols(symbols), layouts);
}

void TestX11Services::factoryGivesTheX11Services()
{
    const std::unique_ptr<DesktopServices> services = CreateDesktopServices();
    QVERIFY(dynamic_cast<X11DesktopServices *>(services.get()));
}

void TestX11Services::playSoundStartsTheNamedSoundAndCutsTheLast()
{
    X11DesktopServices services;
    services.PlaySound("ID_start");
    QVERIFY(services.soundPlayer());
    QCOMPARE(services.soundPlayer()->currentSound(), u"ID_start"_s);
    services.PlaySound("ID_Finish");
    QCOMPARE(services.soundPlayer()->currentSound(), u"ID_Finish"_s);
}

void TestX11Services::unknownSoundPlaysNothing()
{
    X11DesktopServices services;
    services.PlaySound("ID_start");
    services.PlaySound("ID_missing");
    QVERIFY(!services.soundPlayer()->isPlaying());
}

void TestX11Services::layoutSwitchWithoutDisplayDoesNothing()
{
    // No X display: the call must return quietly, and change nothing that Qt sees.
    X11DesktopServices services;
    const QLocale before = QGuiApplication::inputMethod()->locale();
    services.LoadKeyboardLayout("00000419");
    services.LoadKeyboardLayout("00000409");
    services.LoadKeyboardLayout("garbage");
    QCOMPARE(QGuiApplication::inputMethod()->locale(), before);
}

void TestX11Services::cursorMovesToThePoint()
{
    X11DesktopServices services;
    services.SetCursorPos(123, 456);
    QCOMPARE(QCursor::pos(), QPoint(123, 456));
    services.SetCursorPos(60, 65);
    QCOMPARE(QCursor::pos(), QPoint(60, 65));
}

void TestX11Services::noWindowMenuAndNoSystemCommands()
{
    X11DesktopServices services;
    QVERIFY(!services.AddSystemMenuEntry(0, 1025, "О программе"));
    unsigned command = 7;
    const int message = 0x0112;
    QVERIFY(!services.IsSystemCommand(&message, command));
    QCOMPARE(command, 7u);
    services.ShowTaskbar(); // nothing to show; must not fail
}

QTEST_MAIN(TestX11Services)
#include "test_x11services.moc"
