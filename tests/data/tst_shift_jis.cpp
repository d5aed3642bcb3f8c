#include "shift_jis.h"

#include <QFile>
#include <QHash>
#include <QTest>

// Code page 932 against an independent converter (glibc iconv), over every code.
class TestShiftJis : public QObject {
    Q_OBJECT

    QHash<QByteArray, char32_t> m_decodes;
    QHash<char32_t, QByteArray> m_encodes; // with the look-alikes, one way only

private slots:
    void initTestCase() {
        QFile file(QStringLiteral(CP932_REFERENCE));
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
        while (!file.atEnd()) {
            const QList<QByteArray> parts = file.readLine().trimmed().split(' ');
            if (parts.size() != 3 || parts[0].startsWith('#'))
                continue;
            const QByteArray bytes = QByteArray::fromHex(parts[0]);
            const char32_t codePoint = parts[1].toUInt(nullptr, 16);
            if (parts[2] != ">")
                m_decodes.insert(bytes, codePoint);
            if (parts[2] != "<")
                m_encodes.insert(codePoint, bytes);
        }
        QVERIFY(m_decodes.size() > 9000);
    }

    void decodesEveryCodeAsReference() {
        for (int first = 0; first < 256; ++first) {
            const QByteArray single(1, char(first));
            if (m_decodes.contains(single)) {
                QCOMPARE(ShiftJis::decode(single), QString::fromUcs4(&m_decodes[single], 1));
                continue;
            }
            // Not a character by itself: a lead byte, or refused whatever follows it. For
            // showing, it stands as U+FFFD, and never takes a following quote with it.
            QVERIFY2(!ShiftJis::decode(single), qPrintable(single.toHex()));
            QCOMPARE(ShiftJis::decodeForShowing(single + '"').text, u"\uFFFD\""_qs);
            for (int second = 0; second < 256; ++second) {
                const QByteArray pair = single + char(second);
                const auto text = ShiftJis::decode(pair);
                const ShiftJis::Shown shown = ShiftJis::decodeForShowing(pair);
                if (m_decodes.contains(pair)) {
                    QCOMPARE(text, QString::fromUcs4(&m_decodes[pair], 1));
                    QCOMPARE(shown.text, *text);
                } else {
                    QVERIFY2(!text, qPrintable(pair.toHex()));
                    QVERIFY2(shown.substituted &&
                                 shown.text.startsWith(QChar::ReplacementCharacter),
                             qPrintable(pair.toHex()));
                }
            }
        }
    }

    void encodesEveryBmpCodeAsReference() {
        // iconv's best fits for YEN SIGN and OVERLINE would read back as \ and ~: refused here.
        m_encodes.remove(0x00A5);
        m_encodes.remove(0x203E);
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            const ShiftJis::Encoded encoded = ShiftJis::encode(QString(QChar(char16_t(c))));
            const QByteArray code = QByteArray::number(uint(c), 16);
            if (m_encodes.contains(c)) {
                QVERIFY2(encoded.ok(), code);
                QCOMPARE(encoded.bytes, m_encodes[c]);
            } else {
                QVERIFY2(!encoded.ok() && encoded.bytes.isEmpty(), code);
                QCOMPARE(*encoded.refused, c);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestShiftJis)
#include "tst_shift_jis.moc"
