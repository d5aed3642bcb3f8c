#include "shift_jis.h"

#include "code_page_932.h"

namespace {

using namespace ShiftJis::Codec;

// ICU's converter swaps three control codes the way IBM's code pages do (0x1A, 0x1C, 0x7F),
// while Windows keeps every control code as itself. Control codes are never part of a
// two-byte character, so these are split off and passed through unconverted.
constexpr bool isSwappedControl(char16_t c) {
    return c == 0x1A || c == 0x1C || c == 0x7F;
}

// Where the next control code that ICU would swap is, from `from` on; the end if none.
// memchr finds each far faster than a loop over the bytes.
qsizetype nextSwappedControl(QByteArrayView bytes, qsizetype from) {
    qsizetype next = bytes.size();
    for (const char control : {'\x1A', '\x1C', '\x7F'}) {
        const qsizetype at = bytes.sliced(from, next - from).indexOf(control);
        if (at >= 0)
            next = from + at;
    }
    return next;
}

// Decodes run by run between the control codes that ICU would swap, which pass through as
// themselves; false as soon as a run fails.
template <typename DecodeRun>
bool decodeSplittingControls(QByteArrayView bytes, QString &text, DecodeRun &&decodeOne) {
    text.reserve(bytes.size());
    qsizetype start = 0;
    for (qsizetype i = nextSwappedControl(bytes, 0); i < bytes.size();
         i = nextSwappedControl(bytes, start)) {
        if (i > start && !decodeOne(bytes.sliced(start, i - start), text))
            return false;
        text += QChar(uchar(bytes[i]));
        start = i + 1;
    }
    return start >= bytes.size() || decodeOne(bytes.sliced(start), text);
}

char16_t standIn(char16_t c) {
    switch (c) {
    case 0x301C:
        return 0xFF5E; // WAVE DASH -> FULLWIDTH TILDE
    case 0x2212:
        return 0xFF0D; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case 0x2016:
        return 0x2225; // DOUBLE VERTICAL LINE -> PARALLEL TO
    case 0x2014:
        return 0x2015; // EM DASH -> HORIZONTAL BAR
    case 0x00A2:
        return 0xFFE0; // CENT SIGN -> FULLWIDTH CENT SIGN
    case 0x00A3:
        return 0xFFE1; // POUND SIGN -> FULLWIDTH POUND SIGN
    case 0x00AC:
        return 0xFFE2; // NOT SIGN -> FULLWIDTH NOT SIGN
    default:
        return c;
    }
}

// Called only once a run has failed: finds the character to name to the user.
char32_t firstRefused(QStringView run) {
    QByteArray scratch;
    for (qsizetype i = 0; i < run.size();) {
        const bool pair =
            run[i].isHighSurrogate() && i + 1 < run.size() && run[i + 1].isLowSurrogate();
        const QStringView character = run.sliced(i, pair ? 2 : 1);
        if (!encodeRun(character, scratch))
            return pair ? QChar::surrogateToUcs4(run[i], run[i + 1]) : run[i].unicode();
        i += character.size();
    }
    return run.isEmpty() ? 0 : run[0].unicode();
}

} // namespace

namespace ShiftJis {

Result<QString> decode(QByteArrayView bytes) {
    QString text;
    if (!decodeSplittingControls(bytes, text, decodeRun))
        return DataError{.kind = DataError::Kind::NotShiftJis};
    return text;
}

Result<QString> decodeForShowing(QByteArrayView bytes) {
    QString text;
    bool substituted = false;
    decodeSplittingControls(bytes, text, [&substituted](QByteArrayView run, QString &out) {
        substituted |= !decodeRunShowingErrors(run, out);
        return true;
    });
    Result<QString> shown(std::move(text));
    if (substituted)
        shown.warn({.kind = DataError::Kind::NotShiftJis});
    return shown;
}

Result<QByteArray> encode(QStringView text) {
    QString mapped(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        mapped[i] = QChar(standIn(text[i].unicode()));

    QByteArray bytes;
    bytes.reserve(mapped.size() * 2);
    qsizetype start = 0;
    const auto encoded = [&](qsizetype end) {
        const QStringView run = QStringView(mapped).sliced(start, end - start);
        return run.isEmpty() || encodeRun(run, bytes);
    };
    const auto refused = [&](qsizetype end) {
        return DataError{.kind = DataError::Kind::CannotEncode,
                         .character = firstRefused(QStringView(mapped).sliced(start, end - start))};
    };
    for (qsizetype i = 0; i < mapped.size(); ++i) {
        const char16_t c = mapped[i].unicode();
        if (!isSwappedControl(c))
            continue;
        if (!encoded(i))
            return refused(i);
        bytes += char(c);
        start = i + 1;
    }
    if (!encoded(mapped.size()))
        return refused(mapped.size());
    return bytes;
}

} // namespace ShiftJis
