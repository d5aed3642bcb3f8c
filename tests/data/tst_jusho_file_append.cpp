#include "data_test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Kind = DataError::Kind;

namespace {
const QByteArray kExisting = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n";

int modeOf(const QString &path) {
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}
} // namespace

// Appends that must not be made leave the file byte for byte as it was.
class TestJushoFileAppend : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_serial = 0;
    QString m_mount;

private slots:
    void init() { m_path = m_dir.filePath(QStringLiteral("Tovrin%1.txt").arg(++m_serial)); }

    void cleanup() {
        if (!m_mount.isEmpty())
            ::umount2(QFile::encodeName(m_mount).constData(), MNT_DETACH);
        m_mount.clear();
    }

    void refusesRecordsTheFileCannotHold_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named");
        QTest::newRow("emoji") << 3 << QString::fromUtf8("携帯;😀") << int(Kind::CannotEncode)
                               << "各アドレス2・U+1F600";
        QTest::newRow("hangul") << 0 << QString::fromUtf8("김") << int(Kind::CannotEncode)
                                << "名前・U+AE40";
        QTest::newRow("kanji outside the code page")
            << 1 << QString::fromUtf8("森鷗外") << int(Kind::CannotEncode) << "住所・鷗・U+9DD7";
        QTest::newRow("double quote") << 7 << "say \"hi\"" << int(Kind::QuoteInField) << "補足情報";
    }

    void refusesRecordsTheFileCannotHold() {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, named);
        JushoRecord record = jushoRecord(numbered(1));
        record[field] = text;

        QCOMPARE(kindOf(AppendJushoRecord(record, m_path)), kind);
        QVERIFY(!QFileInfo::exists(m_path));
        QVERIFY(writeFile(m_path, kExisting));
        const auto error = AppendJushoRecord(record, m_path);
        QCOMPARE(kindOf(error), kind);
        QCOMPARE(error->field, field);
        for (const QString &part : named.split(QStringLiteral("・")))
            QVERIFY2(error->message().contains(part), qPrintable(part));
        QCOMPARE(fileBytes(m_path), kExisting);
    }

    void refusesToAppendToFilesThatDoNotLoad_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("cut short") << kExisting + "\"x\",\"y\"\r\n";
        QTest::newRow("not Shift-JIS") << QByteArray("\"\x85\x40\"") + kExisting.mid(3);
    }

    void refusesToAppendToFilesThatDoNotLoad() {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(m_path, bytes));
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(numbered(2)), m_path)),
                 int(Kind::ExistingFileBroken));
        QCOMPARE(fileBytes(m_path), bytes);
    }

    void startsOnALineOfItsOwn_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("separator");
        QTest::newRow("no line end") << kExisting.chopped(2) << QByteArray("\r\n");
        QTest::newRow("lone CR") << kExisting.chopped(1) << QByteArray("\r\n");
        QTest::newRow("lone LF") << kExisting.chopped(2) + "\n" << QByteArray();
    }

    void startsOnALineOfItsOwn() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, separator);
        QVERIFY(writeFile(m_path, bytes));
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord("||;|;|;|;||"), m_path)), -1);
        QCOMPARE(fileBytes(m_path),
                 bytes + separator + "\"\",\"\",\";\",\";\",\";\",\";\",\"\",\"\"\r\n");
        JushoTable table;
        QCOMPARE(LoadJushoTable(table, m_path).count, 2);
    }

    void createsOnlyItsOwnFolder() {
        const QString path = m_dir.filePath(QStringLiteral("share/Pellinova/Tovrin.txt"));
        const JushoRecord record = jushoRecord(numbered(1));
        QCOMPARE(kindOf(AppendJushoRecord(record, path, FolderCreation::MustExist)),
                 int(Kind::FolderMissing));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("share"))));

        QCOMPARE(kindOf(AppendJushoRecord(record, path, FolderCreation::CreateOwnFolder)), -1);
        QCOMPARE(modeOf(m_dir.filePath(QStringLiteral("share"))), 0700);
        QCOMPARE(modeOf(m_dir.filePath(QStringLiteral("share/Pellinova"))), 0700);
        QCOMPARE(modeOf(path), 0600);

        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("plain")), "x"));
        QCOMPARE(kindOf(AppendJushoRecord(record, m_dir.filePath(QStringLiteral("plain/P/T.txt")),
                                          FolderCreation::CreateOwnFolder)),
                 int(Kind::CannotCreateFolder));
    }

    void fullDiskLeavesTheFileAsItWas_data() {
        QTest::addColumn<bool>("existing");
        QTest::newRow("existing file") << true;
        QTest::newRow("new file") << false;
    }

    void fullDiskLeavesTheFileAsItWas() {
        QFETCH(bool, existing);
        m_mount = m_dir.filePath(QStringLiteral("tiny%1").arg(m_serial));
        QVERIFY(QDir().mkdir(m_mount));
        if (::mount("tmpfs", QFile::encodeName(m_mount).constData(), "tmpfs", 0, "size=64k") != 0) {
            m_mount.clear();
            QSKIP("cannot mount a small tmpfs here (needs root)");
        }
        const QString path = m_mount + QStringLiteral("/Tovrin.txt");
        if (existing)
            QVERIFY(writeFile(path, kExisting));
        QFile filler(m_mount + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(1024, 'x')) == 1024) {
        }
        JushoRecord record = jushoRecord(numbered(1));
        record[Hosoku] = QString(8192, QLatin1Char('x')); // more than the last page's slack

        const auto error = AppendJushoRecord(record, path);
        QCOMPARE(kindOf(error), int(Kind::DiskFull));
        QVERIFY(error->message().contains(QStringLiteral("元のまま")));
        QCOMPARE(fileBytes(path), existing ? kExisting : QByteArray("(none)"));
    }

    void fileSizeLimitLeavesTheFileAsItWas_data() {
        QTest::addColumn<int>("room");
        QTest::newRow("no room at all") << 0;
        QTest::newRow("room for part of the line") << 10;
    }

    void fileSizeLimitLeavesTheFileAsItWas() {
        QFETCH(int, room);
        QVERIFY(writeFile(m_path, kExisting));
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = rlim_t(kExisting.size() + room);
            const rlimit fsize{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &fsize) != 0)
                ::_exit(100);
            ::_exit(kindOf(AppendJushoRecord(jushoRecord(numbered(2)), m_path)));
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), int(Kind::FileTooLarge));
        QCOMPARE(fileBytes(m_path), kExisting);
    }
};

QTEST_GUILESS_MAIN(TestJushoFileAppend)
#include "tst_jusho_file_append.moc"
