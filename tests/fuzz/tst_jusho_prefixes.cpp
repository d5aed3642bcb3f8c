#include "data_file.h"
#include "frm_jusho.h"
#include "test_support.h"

#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// People as the registration window writes them, with line breaks, commas and
// two-byte characters inside fields, so that cuts fall everywhere that matters.
const QList<JushoRecord> kPeople = {
    {"山田太郎", "東京都千代田区1-2-3", "自宅;03-1234-5678", "携帯/PHS;090", ";", ";", "友　　人",
     "・・・・・・・・・・補足情報・・・・・・・・・・・・\r\n"},
    {"a,b", "東京都, 千代田区", "自宅;03,1", ";;", "携帯;", ";x", "会社関係", ","},
    {"", "", ";", ";", ";", ";", "", ""},
    {"ﾔﾏﾀﾞ", "髙橋①", "メールアドレス;a@b.jp", ";", ";", ";", "ネッ友", "メモ\r\n2行目\r\n"},
    {"鈴木", "大阪", "ICQ;123", ";", ";", ";", "その他", ""},
};

} // namespace

// A data file cut at any byte, or with anything after its last line, loads the records
// that are whole and no more, or fails; and Open never lists a name from a failed load.
class TestJushoPrefixes : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_file;
    QList<qsizetype> m_ends; // just after the last closing quote of each record

    void comparePeople(const JushoTable &table, qint16 count) {
        for (qint16 row = 1; row <= count; ++row) {
            for (qint16 field = 0; field < kJushoFieldCount; ++field)
                QCOMPARE(table.cell(row, field), kPeople[row - 1][field]);
        }
    }

private slots:
    void initTestCase() {
        m_path = m_dir.filePath(QStringLiteral("Tovrin.txt"));
        for (const JushoRecord &person : kPeople) {
            QVERIFY(!AppendJushoRecord(person, {m_path}).error);
            m_ends << QFileInfo(m_path).size() - 2;
        }
        m_file = fileBytes(m_path);
    }

    void everyCutLoadsItsWholeRecordsOrFails() {
        for (qsizetype cut = 0; cut <= m_file.size(); ++cut) {
            QVERIFY(writeFile(m_path, m_file.left(cut)));
            auto table = std::make_unique<JushoTable>();
            const LoadResult loaded = LoadJushoTable(*table, m_path);
            const qint16 whole = qint16(std::count_if(m_ends.begin(), m_ends.end(),
                                                      [cut](qsizetype end) { return end <= cut; }));
            // Whatever follows the last closing quote up to the line end is read with it.
            const bool clean = cut == 0 || (whole > 0 && cut <= m_ends[whole - 1] + 2);
            const QString at = QStringLiteral("cut at byte %1").arg(cut);
            QVERIFY2(loaded.count == whole && loaded.complete() == clean, qPrintable(at));
            QVERIFY2(clean || (loaded.stop->kind == DataError::Kind::RecordCutShort &&
                               loaded.stop->record == whole + 1),
                     qPrintable(at));
            comparePeople(*table, whole);

            // Open in a new window lists the blank item and the whole records.
            QList<Notice> notices;
            frmJusho window(DataFileLocation{m_path, FolderCreation::MustExist});
            window.setNotifier([&notices](const Notice &notice) { notices << notice; });
            window.show();
            QTest::mouseClick(child<QPushButton>(window, QStringLiteral("cmdOpen")),
                              Qt::LeftButton);
            const auto *names = child<QComboBox>(window, QStringLiteral("cboShimei"));
            QStringList expected;
            for (qint16 row = 0; row <= whole; ++row)
                expected << (row ? kPeople[row - 1][Shimei] : QString());
            QStringList listed;
            for (int i = 0; i < names->count(); ++i)
                listed << names->itemText(i);
            QVERIFY2(listed == expected, qPrintable(at + u':' + listed.join(u'|')));
            QVERIFY2(clean ? notices.isEmpty()
                           : notices.size() == 1 && notices[0].kind == Notice::Kind::Warning &&
                                 notices[0].text.contains(m_path),
                     qPrintable(at));
        }
    }

    void anythingAfterTheLastLine_data() {
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("one zero") << QByteArray(1, '\0');
        QTest::newRow("a page of zeros") << QByteArray(4096, '\0');
        // Uniform bytes, and bytes drawn from the characters the reader acts on.
        const QByteArray syntax("\"\",,\r\n\n a\x82\xa0\x81\x1a", 14);
        for (quint32 seed = 1; seed <= 40; ++seed) {
            QRandomGenerator random(seed);
            QByteArray tail(1 + random.bounded(80), Qt::Uninitialized);
            for (char &byte : tail)
                byte = seed % 2 ? char(random.bounded(256)) : syntax[random.bounded(14)];
            QTest::addRow("%s %u", seed % 2 ? "random" : "syntax", seed) << tail;
        }
    }

    void anythingAfterTheLastLine() {
        QFETCH(QByteArray, tail);
        QVERIFY(writeFile(m_path, m_file + tail));
        auto table = std::make_unique<JushoTable>();
        const LoadResult loaded = LoadJushoTable(*table, m_path);
        QVERIFY2(loaded.count >= kPeople.size() &&
                     (loaded.complete() || loaded.stop->record == loaded.count + 1),
                 qPrintable(QString::number(loaded.count)));
        comparePeople(*table, qint16(kPeople.size()));
    }
};

QTEST_MAIN(TestJushoPrefixes)
#include "tst_jusho_prefixes.moc"
