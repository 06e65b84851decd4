#include "support/FormFixture.h"

#include "ui/FigureImage.h"
#include "ui/LookAndFeel.h"
#include "ui/Panel.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

namespace kavr::test {

FormFixture::FormFixture() : FormFixture(SaveTarget{})
{
}

FormFixture::FormFixture(SaveTarget target, const FormatSettings &format)
{
    static bool styled = false;
    if (!styled) {
        ui::ApplyLookAndFeel(*qApp);
        styled = true;
    }
    if (target.resultDir.isEmpty())
        target.resultDir = resultDir();
    form = std::make_unique<TForm1>(desktop, clock, std::move(target), format, TestJournal::FileSync());
    form->setErrorSink([this](const QString &text) { errors << text; });
    // Installed as a lab installs it: test programs themselves may run from a temporary folder.
    form->setProgramFolder(QStringLiteral("/opt/kavr-im"));
    form->setCarriedNoticeFile(m_dir.filePath(QStringLiteral("kavr-im.ini")));
    about = std::make_unique<ui::TAboutBox>(*form, form.get());
    form->setAboutBox(about.get());
    form->setGeometry(0, 0, 1028, 753);
    form->show();
}

FormFixture::~FormFixture()
{
    about.reset();
    form.reset();
}

void FormFixture::logIn()
{
    about->OKButtonClick();
}

void FormFixture::enterSubject(const QString &code, const QString &name, int variant)
{
    logIn();
    form->EditUser->setText(code);
    form->EditPassword->setText(name);
    form->cbVariant->setCurrentIndex(variant);
    pressKey(Qt::Key_Return);
}

void FormFixture::startAnswerPhase()
{
    pressKey(Qt::Key_F1);
    clock.advanceMs(30'000); // the timer's own way to the end of the exposure
}

void FormFixture::pressKey(int key)
{
    QTest::keyClick(form->windowHandle(), Qt::Key(key));
}

void FormFixture::typeText(const char *text)
{
    for (const char *c = text; *c; ++c)
        QTest::keyClick(form->windowHandle(), *c);
}

void FormFixture::click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

int FormFixture::offerPositionOf(int figure) const
{
    for (int i = 1; i <= 12; ++i)
        if (form->boards().AnswerImages[i]->Tag == figure)
            return i;
    return 0;
}

int FormFixture::panelOf(int figure) const
{
    for (int i = 1; i <= 12; ++i)
        if (form->run().state().KeyOrder[i] == figure)
            return i;
    return 0;
}

} // namespace kavr::test
