#include "testing/core/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace kavr {

namespace {
constexpr char CodePageName[] = "windows-1251";
}

std::optional<QByteArray> ToWindows1251(QStringView text)
{
    QStringEncoder encoder(CodePageName);
    if (!encoder.isValid())
        return std::nullopt;
    QByteArray bytes = encoder.encode(text);
    // ICU marks unmappable characters with an error, but keeps a final high surrogate back
    // silently, waiting for its pair: only a faithful round trip proves the text survives.
    if (encoder.hasError() || FromWindows1251(bytes) != text)
        return std::nullopt;
    return bytes;
}

bool FitsWindows1251(QStringView text)
{
    return ToWindows1251(text).has_value();
}

QString FromWindows1251(const QByteArray &bytes)
{
    QStringDecoder decoder(CodePageName);
    return decoder.decode(bytes);
}

} // namespace kavr
