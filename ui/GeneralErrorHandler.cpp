#include "ui/GeneralErrorHandler.h"

#include "error/KavrError.h"

#include <QMessageBox>

namespace kavr::ui {

QString ErrorMessageText(const QString &errorText)
{
    return errorText + QLatin1Char('.');
}

void ShowErrorMessage(QWidget *parent, const QString &errorText)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("KAVR.IM"), ErrorMessageText(errorText),
                    QMessageBox::Ok, parent);
    box.exec();
}

void RunGuarded(const ErrorSink &sink, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const KavrError &error) {
        sink(error.message());
    } catch (const std::exception &error) {
        sink(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace kavr::ui
