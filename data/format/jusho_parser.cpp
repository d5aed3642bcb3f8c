#include "jusho_parser.h"

#include "book_encoding.h"
#include "jusho_record.h"
#include "shift_jis.h"

#include <array>
#include <optional>

namespace {

inline char16_t unitAt(QByteArrayView text, qsizetype i) {
    return uchar(text[i]);
}
inline char16_t unitAt(QStringView text, qsizetype i) {
    return text[i].unicode();
}

// Reads fields the way the writer lays them out, over the file's bytes or over its decoded
// text: '"', ',', CR and LF are never part of a two-byte Shift-JIS character, so both
// split the same way.
template <typename View> class FieldReader {
public:
    explicit FieldReader(View text)
        : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    qsizetype position() const { return m_pos; }

    // The next field, or nothing if the file ends before or inside it.
    std::optional<View> next() {
        if (atEnd())
            return std::nullopt;
        if (unitAt(m_text, m_pos) == u'"')
            return quoted();
        return unquoted();
    }

private:
    // Everything up to the next quote; whatever follows it up to the comma or line end is
    // dropped, so the next read starts at the next field.
    std::optional<View> quoted() {
        const qsizetype begin = m_pos + 1;
        qsizetype close = begin;
        while (close < m_text.size() && unitAt(m_text, close) != u'"')
            ++close;
        if (close >= m_text.size())
            return std::nullopt;
        m_pos = close + 1;
        skipPastDelimiter(delimiterFrom(m_pos));
        return m_text.sliced(begin, close - begin);
    }

    View unquoted() {
        const qsizetype end = delimiterFrom(m_pos);
        qsizetype first = m_pos;
        qsizetype last = end;
        while (first < last && unitAt(m_text, first) == u' ')
            ++first;
        while (last > first && unitAt(m_text, last - 1) == u' ')
            --last;
        skipPastDelimiter(end);
        return m_text.sliced(first, last - first);
    }

    // Where the next comma or line end (CR LF, or a lone LF) starts; the end if none.
    qsizetype delimiterFrom(qsizetype from) const {
        for (qsizetype i = from; i < m_text.size(); ++i) {
            const char16_t c = unitAt(m_text, i);
            if (c == u',')
                return i;
            if (c == u'\n')
                return i > from && unitAt(m_text, i - 1) == u'\r' ? i - 1 : i;
        }
        return m_text.size();
    }

    void skipPastDelimiter(qsizetype at) {
        if (at >= m_text.size())
            m_pos = m_text.size();
        else
            m_pos = at + (unitAt(m_text, at) == u'\r' ? 2 : 1);
    }

    View m_text;
    qsizetype m_pos = 0;
};

// Where reading stops, and what was stored: rows 1 to count, and the first field that shows
// substitutes for bytes that were not text.
struct Parsed {
    qint16 count = 0;
    qsizetype wholeRecordsEnd = 0; // bytes up to the end of the last whole record
    std::optional<DataError> stop;
    std::optional<DataError> strayBytes;
};

// The load itself, over decoded text or over bytes that are decoded field by field. A record
// goes to store(record, field, raw), field by field, only once all eight have been read, so
// that a record cut short never leaves part of itself in the table; store() says whether the
// field showed stray bytes.
template <typename View, typename Store>
Parsed parse(View text, const QString &path, Store &&store) {
    FieldReader<View> reader(text);
    Parsed parsed;
    qint16 record = 0;
    auto stop = [&](DataError::Kind kind, qint16 field) {
        parsed.count = qint16(record - 1);
        parsed.stop = DataError{.kind = kind, .path = path, .record = record, .field = field};
        return parsed;
    };

    std::array<View, kJushoFieldCount> fields;
    while (!reader.atEnd()) {
        parsed.wholeRecordsEnd = reader.position();
        ++record;
        for (qint16 field = 0; field < kJushoFieldCount; ++field) {
            if (!JushoTable::contains(record, field))
                return stop(DataError::Kind::TooManyRecords, field);
            const std::optional<View> raw = reader.next();
            if (!raw)
                return stop(DataError::Kind::RecordCutShort, field);
            fields[field] = *raw;
        }
        for (qint16 field = 0; field < kJushoFieldCount; ++field) {
            if (store(record, field, fields[field]) && !parsed.strayBytes)
                parsed.strayBytes = DataError{.kind = DataError::Kind::NotShiftJis,
                                              .path = path,
                                              .record = record,
                                              .field = field};
        }
    }
    parsed.count = record;
    parsed.wholeRecordsEnd = text.size();
    return parsed;
}

// The whole file's decoded text, shared by the cells rather than copied into them.
Parsed parseText(JushoTable &table, const QString &text, const QString &path) {
    return parse(QStringView(text), path, [&](qint16 record, qint16 field, QStringView raw) {
        table.setCell(record, field, text, raw.data() - text.constData(), raw.size());
        return false;
    });
}

// Each field decoded on its own, which shows where bytes are not text.
template <typename Decode>
Parsed parseBytes(JushoTable &table, QByteArrayView bytes, const QString &path, Decode &&decode) {
    return parse(bytes, path, [&](qint16 record, qint16 field, QByteArrayView raw) {
        const Result<QString> cell = decode(raw);
        table.setCell(record, field, cell.value());
        return !cell.warnings().isEmpty();
    });
}

Result<QString> fromUtf8(QByteArrayView field) {
    Result<QString> text(textOfUtf8(field));
    if (!field.isValidUtf8())
        text.warn({.kind = DataError::Kind::NotShiftJis});
    return text;
}

// The book's text when it decodes in one piece, which is much faster than field by field.
std::optional<QString> wholeText(QByteArrayView bytes, BookEncoding encoding) {
    if (encoding == BookEncoding::Utf8)
        return bytes.isValidUtf8() ? std::optional(textOfUtf8(bytes)) : std::nullopt;
    Result<QString> text = ShiftJis::decode(bytes);
    return text.ok() ? std::optional(std::move(text.value())) : std::nullopt;
}

} // namespace

Result<qint16> parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path,
                               BookEncoding encoding) {
    // Bytes that do not decode may still lie outside every field (after a closing quote), so
    // only reading field by field tells whether, and where, a field is damaged. The delimiters
    // are ASCII, never part of a character in either encoding: both ways find the same records.
    const bool utf8 = encoding == BookEncoding::Utf8;
    const QByteArrayView text = utf8 ? withoutByteOrderMark(bytes) : bytes;
    const std::optional<QString> whole = wholeText(text, encoding);
    const Parsed parsed = whole  ? parseText(table, *whole, path)
                          : utf8 ? parseBytes(table, text, path, fromUtf8)
                                 : parseBytes(table, text, path, ShiftJis::decodeForShowing);
    table.keepOwnText(qint16(parsed.count + 1));
    Result<qint16> loaded(parsed.count);
    if (utf8)
        loaded.warn({.kind = DataError::Kind::SavedAsUtf8, .path = path});
    for (const auto &warning : {parsed.stop, parsed.strayBytes}) {
        if (warning)
            loaded.warn(*warning);
    }
    return loaded;
}

Result<qint16> parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path) {
    return parseJushoTable(table, bytes, path, encodingOf(bytes));
}

Result<FileShape> scanJushoFile(QByteArrayView bytes, const QString &path) {
    const Parsed parsed = parse(bytes, path, [](qint16, qint16, QByteArrayView) { return false; });
    Result<FileShape> shape(FileShape{parsed.count, parsed.wholeRecordsEnd});
    if (parsed.stop)
        shape.warn(*parsed.stop);
    return shape;
}

void forEachField(
    QByteArrayView bytes,
    const std::function<void(qint16 record, qint16 field, QByteArrayView raw)> &visit) {
    parse(bytes, QString(), [&](qint16 record, qint16 field, QByteArrayView raw) {
        visit(record, field, raw);
        return false;
    });
}
