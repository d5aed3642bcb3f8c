#include "jusho_parser.h"

#include "shift_jis.h"

#include <limits>

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

QString toText(QStringView field) {
    return field.toString();
}
std::optional<QString> toText(QByteArrayView field) {
    return ShiftJis::decode(field);
}

// The load itself, over decoded text or over bytes that are decoded field by field.
template <typename View> LoadResult parse(JushoTable &table, View text, const QString &path) {
    FieldReader<View> reader(text);
    qint16 record = 0;
    auto failure = [&](DataError::Kind kind, qint16 field) {
        return LoadResult{qint16(record - 1), DataError{kind, path, record, field}};
    };

    while (!reader.atEnd()) {
        if (record == std::numeric_limits<qint16>::max())
            return failure(DataError::Kind::TooManyRecords, 0);
        ++record;
        for (qint16 field = 0; field < kJushoFieldCount; ++field) {
            if (!JushoTable::contains(record, field))
                return failure(DataError::Kind::TooManyRecords, field);
            const std::optional<View> raw = reader.next();
            if (!raw)
                return failure(DataError::Kind::RecordCutShort, field);
            const std::optional<QString> cell = toText(*raw);
            if (!cell)
                return failure(DataError::Kind::NotShiftJis, field);
            table.setCell(record, field, *cell);
        }
    }
    return {record, std::nullopt};
}

} // namespace

LoadResult parseJushoTable(JushoTable &table, QByteArrayView bytes, const QString &path) {
    // Decoding the file in one piece is much faster than field by field. Bytes that do not
    // decode may still lie outside every field (after a closing quote), so only the field by
    // field reading can tell whether, and where, the file is at fault.
    if (const std::optional<QString> text = ShiftJis::decode(bytes))
        return parse(table, QStringView(*text), path);
    return parse(table, bytes, path);
}
