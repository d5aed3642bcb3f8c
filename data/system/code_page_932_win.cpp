#include "code_page_932.h"

#include <windows.h>

// Code page 932 through Windows' own conversion.

namespace {

constexpr UINT kCodePage = 932;

// The single bytes that are no Shift-JIS character, refused on every platform.
bool isUnassignedSingle(uchar byte) {
    return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

bool isLead(uchar byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isTrail(uchar byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// Whether the run is whole characters, none of them a single byte that is not Shift-JIS:
// Windows reads those five as private-use or control characters, and may drop a lead byte at
// the very end instead of refusing it.
bool wholeAndAssigned(QByteArrayView run) {
    for (qsizetype i = 0; i < run.size(); ++i) {
        const uchar byte = uchar(run[i]);
        if (isLead(byte) ? ++i == run.size() : isUnassignedSingle(byte))
            return false;
    }
    return true;
}

// Converts without any stand-ins: false if a byte or a pair is not a character.
bool convert(QByteArrayView run, QString &out) {
    if (run.isEmpty())
        return true;
    if (!wholeAndAssigned(run))
        return false;
    const qsizetype used = out.size();
    out.resize(used + run.size()); // never more characters than bytes
    const int n =
        ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, run.data(), int(run.size()),
                              reinterpret_cast<wchar_t *>(out.data() + used), int(run.size()));
    out.truncate(used + n);
    return n > 0;
}

// The length of the character at the start: two for a lead byte with a byte after it.
qsizetype characterLength(QByteArrayView bytes) {
    return isLead(uchar(bytes[0])) && bytes.size() > 1 ? 2 : 1;
}

} // namespace

namespace ShiftJis::Codec {

bool decodeRun(QByteArrayView run, QString &out) {
    const qsizetype used = out.size();
    if (convert(run, out))
        return true;
    out.truncate(used);
    return false;
}

// A pair whose second byte could be part of a character stands in as one U+FFFD, as ICU does
// on Linux; otherwise the lead byte alone does, and what follows it is read afresh.
bool decodeRunShowingErrors(QByteArrayView run, QString &out) {
    const qsizetype used = out.size();
    if (decodeRun(run, out))
        return true;
    out.truncate(used);
    for (qsizetype i = 0; i < run.size();) {
        const qsizetype length = characterLength(run.sliced(i));
        if (convert(run.sliced(i, length), out)) {
            i += length;
            continue;
        }
        out += QChar::ReplacementCharacter;
        i += length == 2 && isTrail(uchar(run[i + 1])) ? 2 : 1;
    }
    return false;
}

// Windows would put a best fit (∞ for a look-alike) or '?' in place of what the code page
// does not hold; with WC_NO_BEST_FIT_CHARS it uses its default character instead and says so.
// What is written must also read back as the very same text.
bool encodeRun(QStringView run, QByteArray &out) {
    if (run.isEmpty())
        return true;
    const wchar_t *text = reinterpret_cast<const wchar_t *>(run.utf16());
    const int length = int(run.size());
    BOOL usedDefault = FALSE;
    const int size = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text, length, nullptr,
                                           0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    QByteArray bytes(size, Qt::Uninitialized);
    ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text, length, bytes.data(), size,
                          nullptr, &usedDefault);
    QString back;
    if (usedDefault || !decodeRun(bytes, back) || back != run)
        return false;
    out += bytes;
    return true;
}

} // namespace ShiftJis::Codec
