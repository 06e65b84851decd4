#pragma once
// A main window with recording fakes, a clock moved by hand and a private Result folder.
#include "support/FakeClock.h"
#include "support/FakeDesktopServices.h"
#include "support/TestSettings.h"
#include "testing/TForm1.h"
#include "ui/TAboutBox.h"

#include <QTemporaryDir>

#include <memory>

namespace kavr::test {

class FormFixture
{
public:
    FormFixture();
    // Saves where target says; an empty resultDir stands for the private one. Formats with
    // format (RussianSettings() unless given). The journal is written but not forced to disk.
    explicit FormFixture(SaveTarget target, const FormatSettings &format = RussianSettings());
    ~FormFixture();

    // About box OK: the log-in. Leaves Stage 1.
    void logIn();
    // Log-in, code, name, variant, Enter: leaves Stage 2.
    void enterSubject(const QString &code = QStringLiteral("Код-7"),
                      const QString &name = QStringLiteral("Петров А.Б."), int variant = 0);
    // Then F1 and the end of the exposure, the clock moved 30 s: leaves the answer phase.
    void startAnswerPhase();
    void pressKey(int key);
    // Types ASCII text through the window, as the keyboard would.
    void typeText(const char *text);
    void click(QWidget *widget);

    // Answer-row position that offers figure f, and the task panel that showed it.
    int offerPositionOf(int figure) const;
    int panelOf(int figure) const;

    QString resultDir() const { return m_dir.path() + QStringLiteral("/Result"); }

    FakeDesktopServices desktop;
    FakeClock clock;
    QStringList errors;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<ui::TAboutBox> about;

private:
    QTemporaryDir m_dir;
};

} // namespace kavr::test
