#include "testing/core/CodePage.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace kavr {

namespace {
constexpr UINT CodePage1251 = 1251;
}

std::optional<QByteArray> ToWindows1251(QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = int(text.size());
    // No best fit: "é" must not quietly become "e". usedDefault reports every character the
    // code page lacks, lone surrogates included.
    BOOL usedDefault = FALSE;
    const int size = ::WideCharToMultiByte(CodePage1251, WC_NO_BEST_FIT_CHARS, wide, length,
                                           nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    usedDefault = FALSE;
    if (::WideCharToMultiByte(CodePage1251, WC_NO_BEST_FIT_CHARS, wide, length, bytes.data(),
                              size, nullptr, &usedDefault) != size
        || usedDefault)
        return std::nullopt;
    // The bytes must read back as the very text, as the protocol's reader will read them.
    if (FromWindows1251(bytes) != text)
        return std::nullopt;
    return bytes;
}

bool FitsWindows1251(QStringView text)
{
    return ToWindows1251(text).has_value();
}

QString FromWindows1251(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int length = int(bytes.size());
    const int size = ::MultiByteToWideChar(CodePage1251, 0, bytes.constData(), length, nullptr, 0);
    QString text(size > 0 ? size : 0, Qt::Uninitialized);
    if (size > 0)
        ::MultiByteToWideChar(CodePage1251, 0, bytes.constData(), length,
                              reinterpret_cast<wchar_t *>(text.data()), size);
    return text;
}

} // namespace kavr
