#include "shift_jis.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// ICU's converter swaps three control codes the way IBM's code pages do (0x1A, 0x1C, 0x7F),
// while Windows keeps every control code as itself. Control codes are never part of a
// two-byte character, so these are split off and passed through unconverted.
constexpr bool isSwappedControl(char16_t c) {
    return c == 0x1A || c == 0x1C || c == 0x7F;
}

const char *const kCodePage = "windows-31j";

// Qt 6.4's resetState() does not clear the error flag of an ICU converter, so one that has
// seen an error is replaced. It is rebuilt in place: ICU keeps the address of the Qt
// converter's state, so a converter must never be moved.
template <typename Converter> Converter &icuConverter(std::optional<Converter> &converter) {
    if (!converter || converter->hasError())
        converter.emplace(kCodePage, QStringConverter::Flag::Stateless);
    converter->resetState();
    return *converter;
}

QStringDecoder &icuDecoder() {
    thread_local std::optional<QStringDecoder> decoder;
    return icuConverter(decoder);
}

QStringEncoder &icuEncoder() {
    thread_local std::optional<QStringEncoder> encoder;
    return icuConverter(encoder);
}

// Appends the conversion of a run without control codes; false if it is not valid.
bool decodeRun(QByteArrayView run, QString &out) {
    QStringDecoder &decoder = icuDecoder();
    if (!decoder.isValid())
        return false;
    const qsizetype used = out.size();
    out.resize(used + run.size()); // never more characters than bytes
    QChar *end = decoder.appendToBuffer(out.data() + used, run);
    out.truncate(end - out.constData());
    return !decoder.hasError();
}

// ICU stands U+001A in for a single byte it cannot read, U+FFFD for a pair, and drops a
// lead byte at the very end. The run is read with a '"' after it (never part of a
// character), so that a lead byte at its end is stood in for too; U+001A itself cannot come
// from the run, as the control codes are split off before. False if anything was stood in.
bool decodeRunShowingErrors(QByteArrayView run, QString &out) {
    const qsizetype used = out.size();
    if (decodeRun(run, out))
        return true;
    out.truncate(used);
    decodeRun(run.toByteArray() + '"', out);
    if (out.endsWith(QLatin1Char('"')))
        out.chop(1);
    for (qsizetype i = used; i < out.size(); ++i) {
        if (out[i] == QChar(0x1A))
            out[i] = QChar::ReplacementCharacter;
    }
    return false;
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

// ICU also takes fallbacks (U+F86F -> 0x8782) that would not read back as written, so a
// run counts as held only if its bytes decode to the very same text.
bool encodeRun(QStringView run, QByteArray &out) {
    QStringEncoder &encoder = icuEncoder();
    if (!encoder.isValid())
        return false;
    const QByteArray bytes = encoder.encode(run);
    if (encoder.hasError())
        return false;
    QString back;
    if (!decodeRun(bytes, back) || back != run)
        return false;
    out += bytes;
    return true;
}

char32_t codePointAt(QStringView text, qsizetype i, qsizetype *length) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    *length = 1;
    return c.unicode();
}

// Called only once a run has failed: finds the character to name to the user.
char32_t firstRefused(QStringView run) {
    QByteArray scratch;
    qsizetype length = 1;
    for (qsizetype i = 0; i < run.size(); i += length) {
        const char32_t c = codePointAt(run, i, &length);
        if (!encodeRun(run.sliced(i, length), scratch))
            return c;
    }
    return run.isEmpty() ? 0 : run[0].unicode();
}

} // namespace

namespace ShiftJis {

std::optional<QString> decode(QByteArrayView bytes) {
    QString text;
    if (!decodeSplittingControls(bytes, text, decodeRun))
        return std::nullopt;
    return text;
}

Shown decodeForShowing(QByteArrayView bytes) {
    Shown shown;
    decodeSplittingControls(bytes, shown.text, [&shown](QByteArrayView run, QString &out) {
        if (!decodeRunShowingErrors(run, out))
            shown.substituted = true;
        return true;
    });
    return shown;
}

Encoded encode(QStringView text) {
    QString mapped(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        mapped[i] = QChar(standIn(text[i].unicode()));

    Encoded result;
    result.bytes.reserve(mapped.size() * 2);
    qsizetype start = 0;
    auto flush = [&](qsizetype end) {
        const QStringView run = QStringView(mapped).sliced(start, end - start);
        if (run.isEmpty() || encodeRun(run, result.bytes))
            return true;
        result.refused = firstRefused(run);
        result.bytes.clear();
        return false;
    };
    for (qsizetype i = 0; i < mapped.size(); ++i) {
        const char16_t c = mapped[i].unicode();
        if (!isSwappedControl(c))
            continue;
        if (!flush(i))
            return result;
        result.bytes += char(c);
        start = i + 1;
    }
    flush(mapped.size());
    return result;
}

} // namespace ShiftJis
