// Writes the system format settings as UTF-8 lines: decimal separator, a date and time,
// a fixed-point value.
#include "testing/core/Format.h"

#include <cstdio>

int main()
{
    using namespace kavr;
    const FormatSettings settings = FormatSettings::system();
    const QDateTime when(QDate(2026, 12, 7), QTime(14, 5, 9));
    const QString text = settings.decimalSeparator + u'\n' + DateTimeToStr(when, settings)
        + u'\n' + FormatFixed(2.125, 2, settings) + u'\n';
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return 0;
}
