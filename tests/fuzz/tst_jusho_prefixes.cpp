#include "data_file.h"
#include "frm_jusho.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kGuide = QStringLiteral("・・・・・・・・・・補足情報・・・・・・・・・・・・\r\n");

// People as the registration window writes them, with line breaks, commas and
// two-byte characters inside fields, so that cuts fall everywhere that matters.
const QList<JushoRecord> kPeople = {
    {"山田太郎", "東京都千代田区1-2-3", "自宅;03-1234-5678", "携帯/PHS;090", ";", ";", "友　　人",
     kGuide},
    {"a,b", "東京都, 千代田区", "自宅;03,1", ";;", "携帯;", ";x", "会社関係", ","},
    {"", "", ";", ";", ";", ";", "", ""},
    {"ﾔﾏﾀﾞ", "髙橋①", "メールアドレス;a@b.jp", ";", ";", ";", "ネッ友", "メモ\r\n2行目\r\n"},
    {"鈴木", "大阪", "ICQ;123", ";", ";", ";", "その他", ""},
};

QString describe(const LoadResult &loaded) {
    if (loaded.ok())
        return QStringLiteral("%1 records").arg(loaded.count);
    return QStringLiteral("%1 records, error %2 at record %3")
        .arg(loaded.count)
        .arg(int(loaded.error->kind))
        .arg(loaded.error->record);
}

QString joined(const JushoRecord &record) {
    return QStringList(record.begin(), record.end()).join(u'|');
}

QString rowOf(const JushoTable &table, qint16 row) {
    QStringList cells;
    for (qint16 field = 0; field < kJushoFieldCount; ++field)
        cells << table.cell(row, field);
    return cells.join(u'|');
}

} // namespace

// A data file cut at any byte, or with anything after its last line, loads the records
// that are whole and no more, or fails; and Open never lists a name from a failed load.
class TestJushoPrefixes : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_file;
    QList<qsizetype> m_ends; // just after the last closing quote of each record

    void write(const QByteArray &bytes) {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    qint16 wholeRecordsIn(qsizetype cut) const {
        qint16 whole = 0;
        while (whole < m_ends.size() && m_ends[whole] <= cut)
            ++whole;
        return whole;
    }

    // Whatever follows the last closing quote up to the line end is read with the record.
    bool endsBetweenRecords(qsizetype cut) const {
        return cut == 0 || std::any_of(m_ends.begin(), m_ends.end(), [cut](qsizetype end) {
                   return cut >= end && cut <= end + 2;
               });
    }

    QStringList listed(const frmJusho &window) const {
        const auto *names = window.findChild<QComboBox *>(QStringLiteral("cboShimei"));
        QStringList items;
        for (int i = 0; i < names->count(); ++i)
            items << names->itemText(i);
        return items;
    }

    void open(frmJusho &window) {
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdOpen")),
                          Qt::LeftButton);
    }

    std::unique_ptr<frmJusho> shownWindow(QList<Notice> *notices) {
        auto window =
            std::make_unique<frmJusho>(DataFileLocation{m_path, FolderCreation::MustExist});
        window->setNotifier([notices](const Notice &notice) { notices->append(notice); });
        window->show();
        return window;
    }

private slots:
    void initTestCase() {
        m_path = m_dir.filePath(QStringLiteral("Tovrin.txt"));
        for (const JushoRecord &person : kPeople) {
            QVERIFY(!AppendJushoRecord(person, m_path));
            QFile file(m_path);
            m_ends << file.size() - 2;
        }
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        m_file = file.readAll();
    }

    void everyCutLoadsTheWholeRecordsOrFails() {
        for (qsizetype cut = 0; cut <= m_file.size(); ++cut) {
            write(m_file.left(cut));
            auto table = std::make_unique<JushoTable>();
            const LoadResult loaded = LoadJushoTable(*table, m_path);

            const qint16 whole = wholeRecordsIn(cut);
            const QString expected = endsBetweenRecords(cut)
                                         ? QStringLiteral("%1 records").arg(whole)
                                         : QStringLiteral("%1 records, error %2 at record %3")
                                               .arg(whole)
                                               .arg(int(DataError::Kind::RecordCutShort))
                                               .arg(whole + 1);
            QCOMPARE(QStringLiteral("cut %1: ").arg(cut) + describe(loaded),
                     QStringLiteral("cut %1: ").arg(cut) + expected);
            for (qint16 row = 1; row <= whole; ++row)
                QCOMPARE(rowOf(*table, row), joined(kPeople[row - 1]));
        }
    }

    void openListsOnlyWholeLoads() {
        QList<Notice> notices;
        auto window = shownWindow(&notices);
        QStringList expected;
        for (qsizetype cut = 0; cut <= m_file.size(); ++cut) {
            write(m_file.left(cut));
            notices.clear();
            open(*window);
            if (endsBetweenRecords(cut)) {
                expected = QStringList{QString()};
                for (qint16 r = 0; r < wholeRecordsIn(cut); ++r)
                    expected << kPeople[r][Shimei];
                QVERIFY(notices.isEmpty());
            } else {
                QCOMPARE(notices.size(), 1);
                QCOMPARE(notices[0].kind, Notice::Kind::Warning);
                QVERIFY(notices[0].text.contains(m_path));
            }
            QCOMPARE(QStringLiteral("cut %1: ").arg(cut) + listed(*window).join(u'|'),
                     QStringLiteral("cut %1: ").arg(cut) + expected.join(u'|'));
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
        const qint16 people = qint16(kPeople.size());
        QList<Notice> notices;
        auto window = shownWindow(&notices);
        write(m_file);
        open(*window);
        const QStringList before = listed(*window);

        write(m_file + tail);
        auto table = std::make_unique<JushoTable>();
        const LoadResult loaded = LoadJushoTable(*table, m_path);
        QVERIFY2(loaded.count >= people, qPrintable(describe(loaded)));
        for (qint16 row = 1; row <= people; ++row)
            QCOMPARE(rowOf(*table, row), joined(kPeople[row - 1]));
        if (!loaded.ok())
            QCOMPARE(loaded.error->record, loaded.count + 1);

        open(*window);
        QStringList expected = before;
        if (loaded.ok()) {
            for (qint16 row = people + 1; row <= loaded.count; ++row)
                expected << table->cell(row, Shimei);
        }
        QCOMPARE(listed(*window), expected);
        QCOMPARE(notices.size(), loaded.ok() ? 0 : 1);
    }
};

QTEST_MAIN(TestJushoPrefixes)
#include "tst_jusho_prefixes.moc"
