#include "code_page_932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

// Code page 932 through ICU, as Qt on Linux has it.

namespace {

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

} // namespace

namespace ShiftJis::Codec {

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

} // namespace ShiftJis::Codec
