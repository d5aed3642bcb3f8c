#include "shift_jis.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTest>

// Code page 932 against an independent converter (glibc iconv), over every code.
class TestShiftJis : public QObject {
    Q_OBJECT

private:
    QHash<QByteArray, char32_t> m_decodes;
    QHash<char32_t, QByteArray> m_encodes;

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
            // Not a character by itself: a lead byte, or refused whatever follows it.
            QVERIFY2(!ShiftJis::decode(single), qPrintable(single.toHex()));
            for (int second = 0; second < 256; ++second) {
                const QByteArray pair = single + char(second);
                const auto text = ShiftJis::decode(pair);
                if (m_decodes.contains(pair))
                    QCOMPARE(text, QString::fromUcs4(&m_decodes[pair], 1));
                else
                    QVERIFY2(!text, qPrintable(pair.toHex()));
            }
        }
    }

    void encodesEveryBmpCodePointAsReference() {
        // iconv's best fits for YEN SIGN and OVERLINE would read back as \ and ~: refused here.
        const QSet<char32_t> refusedOnPurpose{0x00A5, 0x203E};
        const QSet<char32_t> lookAlikes{0x301C, 0x2212, 0x2016, 0x2014, 0x00A2, 0x00A3, 0x00AC};
        QSet<char32_t> referenceLookAlikes;
        for (auto it = m_encodes.cbegin(); it != m_encodes.cend(); ++it) {
            if (m_decodes.value(it.value()) != it.key() && !refusedOnPurpose.contains(it.key()))
                referenceLookAlikes.insert(it.key());
        }
        QCOMPARE(referenceLookAlikes, lookAlikes);

        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const ShiftJis::Encoded encoded = ShiftJis::encode(QString(QChar(char16_t(c))));
            const QString code = QString::number(uint(c), 16);
            if (m_encodes.contains(c) && !refusedOnPurpose.contains(c)) {
                QVERIFY2(encoded.ok(), qPrintable(code));
                QCOMPARE(encoded.bytes, m_encodes[c]);
            } else {
                QVERIFY2(!encoded.ok(), qPrintable(code));
                QCOMPARE(*encoded.refused, c);
            }
        }
    }

    void texts_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("control codes between characters")
            << QByteArray("\x1a\x82\xa0\x1c\x7f\r\n\x82\xa2\x00", 10)
            << QString::fromUtf8("\x1a"
                                 "あ\x1c\x7f\r\nい") +
                   QChar(0);
        QTest::newRow("mixed widths")
            << QByteArray("a\xb1\x88\x9f;1") << QString::fromUtf8("aｱ亜;1");
    }

    void texts() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(ShiftJis::decode(bytes), text);
        QCOMPARE(ShiftJis::encode(text).bytes, bytes);
    }

    void namesTheFirstCharacterItCannotHold_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("refused");
        QTest::newRow("emoji after kana") << QString::fromUtf8("あ😀い") << 0x1F600u;
        QTest::newRow("hangul after a line end") << QString::fromUtf8("\r\n한") << 0xD55Cu;
        QTest::newRow("lone surrogate") << QString(QChar(0xDC00)) << 0xDC00u;
        QTest::newRow("fallback only") << QString(QChar(0xF86F)) << 0xF86Fu;
    }

    void namesTheFirstCharacterItCannotHold() {
        QFETCH(QString, text);
        QFETCH(uint, refused);
        const ShiftJis::Encoded encoded = ShiftJis::encode(text);
        QCOMPARE(uint(encoded.refused.value_or(0)), refused);
        QVERIFY(encoded.bytes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestShiftJis)
#include "tst_shift_jis.moc"
