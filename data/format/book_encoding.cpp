#include "book_encoding.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

constexpr QByteArrayView kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

BookEncoding encodingOf(QByteArrayView bytes) {
    if (bytes.startsWith(kByteOrderMark))
        return BookEncoding::Utf8;
    // Shift-JIS text fails UTF-8 at its first kanji or kana, so this rarely reads far.
    const bool beyondAscii =
        std::any_of(bytes.begin(), bytes.end(), [](char byte) { return uchar(byte) >= 0x80; });
    return beyondAscii && bytes.isValidUtf8() ? BookEncoding::Utf8 : BookEncoding::ShiftJis;
}

QByteArrayView withoutByteOrderMark(QByteArrayView bytes) {
    return bytes.startsWith(kByteOrderMark) ? bytes.sliced(kByteOrderMark.size()) : bytes;
}

QString textOfUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}
