#include "data_file.h"
#include "test_support.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Kind = DataError::Kind;

namespace {

const QByteArray kLine = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n";

QStringList numbered(int i) {
    return {QStringLiteral("人%1").arg(i), "住所", "自宅;03", ";", ";", ";", "友人", ""};
}

JushoRecord jushoRecord(const QStringList &fields) {
    JushoRecord record;
    std::copy(fields.begin(), fields.end(), record.begin());
    return record;
}

QByteArray book(int records, int first = 1) {
    QList<QStringList> lines;
    for (int i = first; i < first + records; ++i)
        lines << numbered(i);
    return shiftJisLines(lines);
}

int kindOf(const std::optional<DataError> &error) {
    return error ? int(error->kind) : -1;
}

int modeOf(const QString &path) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) ? -1 : int(info.st_mode & 07777);
}

// Runs each job in a process of its own, all let go at once, and returns their exit statuses:
// for an append, 0 if it added, else its error's kind + 1.
QList<int> inProcesses(int count, const std::function<AppendResult(int)> &append) {
    int gate[2];
    if (::pipe(gate) != 0)
        return {};
    QList<pid_t> children;
    for (int i = 0; i < count; ++i) {
        if (const pid_t child = ::fork(); child != 0) {
            children << child;
            continue;
        }
        ::close(gate[1]);
        char go;
        (void)::read(gate[0], &go, 1); // returns once the parent closes its end
        const AppendResult added = append(i);
        ::_exit(added.error ? int(added.error->kind) + 1 : 0);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    QList<int> statuses;
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        statuses << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return statuses;
}

void limitFileSize(qint64 bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// Appends the record in a child process and kills it once the file has started to grow, as a
// crash or a power cut mid-write would; the file's bytes afterwards.
QByteArray killWhileAppending(const QString &path, const JushoRecord &record) {
    const qint64 before = QFileInfo(path).size();
    const pid_t child = ::fork();
    if (child == 0) {
        (void)AppendJushoRecord(record, {path});
        ::_exit(0);
    }
    struct stat info;
    while (::stat(QFile::encodeName(path).constData(), &info) == 0 && info.st_size <= before &&
           ::waitpid(child, nullptr, WNOHANG) == 0) {
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return fileBytes(path);
}

} // namespace

// What an append makes of the file as it stands, and what it takes for the file to be the
// user's alone and whole. What a line holds, and what a load reads, the fuzz checks judge.
class TestDataFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    int m_serial = 0;

private slots:
    void initTestCase() { reportFileSizeLimitAsError(); }
    void init() { m_path = m_dir.filePath(QStringLiteral("Tovrin%1.txt").arg(++m_serial)); }

    void appendsTheLineOrNothing_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // in the message
        QTest::addColumn<QByteArray>("after");
        const QByteArray added = book(1, 9);
        QTest::newRow("no file yet") << QByteArray() << -1 << "" << added;
        QTest::newRow("no line end before") << kLine.chopped(2) << -1 << "" << kLine + added;
        QTest::newRow("lone CR before")
            << kLine.chopped(1) << -1 << "" << kLine.chopped(1) + "\r\n" + added;
        QTest::newRow("lone LF before")
            << kLine.chopped(2) + "\n" << -1 << "" << kLine.chopped(2) + "\n" + added;
        // The comma ended the last record; a line end after it would start an empty field.
        QTest::newRow("comma at the end")
            << kLine.chopped(2) + "," << -1 << "" << kLine.chopped(2) + "," + added;
        const QByteArray stray = "\"\x85\x40\"" + kLine.mid(3);
        QTest::newRow("bytes that are not Shift-JIS") << stray << -1 << "" << stray + added;
        const QByteArray cutShort = kLine + "\"x\",\"y\"\r\n";
        QTest::newRow("last record cut short")
            << cutShort << int(Kind::LastRecordIncomplete) << "（2件目）" << cutShort;
        QTest::newRow("101st person") << book(100) << int(Kind::AddressBookFull) << "100件"
                                      << book(100);
        const QByteArray nearlyFull =
            shiftJisLines({{"大", "", "", "", "", "", "", QString((16 << 20) - 40, 'x')}});
        QTest::newRow("past the size bound")
            << nearlyFull << int(Kind::NoRoomForRecord) << "16 MB" << nearlyFull;
    }
    void appendsTheLineOrNothing() {
        QFETCH(QByteArray, before);
        QFETCH(int, kind);
        QFETCH(QString, named);
        QFETCH(QByteArray, after);
        QVERIFY(before.isNull() || writeFile(m_path, before));
        const AppendResult added = AppendJushoRecord(jushoRecord(numbered(9)), {m_path});
        QCOMPARE(kindOf(added.error), kind);
        QVERIFY(!added.error || added.error->message().contains(named));
        QCOMPARE(fileBytes(m_path), after);
        JushoTable table; // and it reads back as it was given
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QVERIFY(added.error || (loaded.complete() && table.cell(loaded.count, 0) == "人9"));
    }

    // What the folder and the file must be: the user's own, a plain file within the size
    // bound, not in another copy's hands. Add and Open both refuse anything else, name it and
    // leave it as it was; the program's own folder is made, and any found open to others is
    // made, private.
    void folderAndFile_data() {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // relative to the home folder
        const QString file = QStringLiteral("share/P/T.txt");
        QTest::newRow("none yet") << "" << -1 << "";
        QTest::newRow("open to others") << "open" << -1 << "";
        QTest::newRow("a pipe") << "pipe" << int(Kind::NotAFile) << file;
        QTest::newRow("a sparse giant") << "giant" << int(Kind::FileTooBig) << file;
        QTest::newRow("another copy at work") << "busy" << int(Kind::Busy) << file;
        QTest::newRow("folder of another user") << "others folder" << int(Kind::NotYours) << "share/P";
        QTest::newRow("file of another user") << "others file" << int(Kind::NotYours) << file;
        QTest::newRow("link planted by another user") << "others link" << int(Kind::NotYours) << file;
    }
    void folderAndFile() {
        QFETCH(QString, setUp);
        QFETCH(int, kind);
        QFETCH(QString, named);
        const QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("share/P"));
        const QString path = folder + QStringLiteral("/T.txt");
        const QString victim = home.filePath(QStringLiteral("victim"));
        QVERIFY(writeFile(victim, "secret"));
        if (!setUp.isEmpty()) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        }
        if (setUp == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (setUp == "others link")
            QVERIFY(QFile::link(victim, path));
        else if (!setUp.isEmpty())
            QVERIFY(writeFile(path, kLine));
        QVERIFY(setUp != "giant" || QFile::resize(path, qint64(2) << 30));
        const int lock = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(setUp != "busy" || ::flock(lock, LOCK_EX) == 0);
        const QString given = setUp == "others folder" ? folder : path;
        if (setUp.startsWith("others") && ::lchown(QFile::encodeName(given).constData(), 65534, 0))
            QSKIP("giving a file to another user needs root");
        const qint64 size = QFileInfo(path).size();

        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, path);
        const AppendResult added =
            AppendJushoRecord(jushoRecord(numbered(1)), {path, FolderCreation::CreateOwnFolder});
        ::close(lock);
        QCOMPARE(kindOf(loaded.error), setUp.isEmpty() ? int(Kind::FileMissing) : kind);
        QCOMPARE(kindOf(added.error), kind);
        QCOMPARE(fileBytes(victim), QByteArray("secret"));
        if (kind >= 0) {
            QVERIFY(added.error->message().contains(home.filePath(named)));
            QCOMPARE(QFileInfo(path).size(), size);
            return;
        }
        QCOMPARE(modeOf(home.filePath(QStringLiteral("share"))), setUp.isEmpty() ? 0700 : 0755);
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(LoadJushoTable(table, path).count, setUp.isEmpty() ? 1 : 2);
    }

    void dataFolderFollowsAbsoluteDataHomeOnly() {
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "/srv/data");
        QCOMPARE(jushoDataFileLocation().path, QStringLiteral("/srv/data/Pellinova/Tovrin.txt"));
        qputenv("XDG_DATA_HOME", "relative/data");
        QCOMPARE(jushoDataFileLocation().path,
                 QDir::homePath() + QStringLiteral("/.local/share/Pellinova/Tovrin.txt"));
        qputenv("XDG_DATA_HOME", saved);
    }

    // Copies of the program in processes of their own, pressing Add at once.
    void appendsInParallel_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("firstFails"); // hits its file size limit
        QTest::newRow("eight at once on a book of 99") << 99 << 8 << false;
        for (int round = 1; round <= 4; ++round)
            QTest::addRow("one failing beside one adding, round %d", round) << 2 << 2 << true;
    }
    void appendsInParallel() {
        QFETCH(int, records);
        QFETCH(int, copies);
        QFETCH(bool, firstFails);
        QVERIFY(writeFile(m_path, book(records)));
        const qint64 size = QFileInfo(m_path).size();
        const QList<int> outcomes = inProcesses(copies, [&](int copy) {
            if (firstFails && copy == 0)
                limitFileSize(size + 10);
            return AppendJushoRecord(jushoRecord(numbered(1000 + copy)), {m_path});
        });
        // Exactly one adds, what it added is there, and nothing else was written.
        QCOMPARE(outcomes.count(0), 1);
        for (const int outcome : outcomes)
            QVERIFY(QList<int>({0, int(Kind::AddressBookFull) + 1, int(Kind::Busy) + 1,
                                int(Kind::FileSizeLimit) + 1})
                        .contains(outcome));
        QVERIFY(!firstFails || outcomes[0] == int(Kind::FileSizeLimit) + 1);
        QCOMPARE(fileBytes(m_path), book(records) + book(1, 1000 + int(outcomes.indexOf(0))));
    }

    // A writer killed mid-line leaves whole records that load, and an incomplete one that the
    // next append sets aside byte for byte, or, if any step fails, leaves where it was.
    void incompleteLastRecord_data() {
        QTest::addColumn<int>("limit"); // the repair's file size limit; -1: the file's size
        QTest::addColumn<int>("note");  // characters of the new record's notes
        QTest::addColumn<int>("kind");
        QTest::newRow("set aside") << 0 << 0 << -1;
        QTest::newRow("the copy cannot be written") << 10 << 0 << int(Kind::CannotSetAside);
        QTest::newRow("the append fails after the cut")
            << -1 << (13 << 20) << int(Kind::FileSizeLimit);
    }
    void incompleteLastRecord() {
        QFETCH(int, limit);
        QFETCH(int, note);
        QFETCH(int, kind);
        QStringList killed = numbered(3);
        killed.last() = QString(12 << 20, 'x');
        QByteArray cut;
        for (int attempt = 0; attempt < 20 && !cut.endsWith('x'); ++attempt) {
            QVERIFY(writeFile(m_path, book(2)));
            cut = killWhileAppending(m_path, jushoRecord(killed));
        }
        QVERIFY2(cut.endsWith('x'), "no kill landed while the line was written");
        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QCOMPARE(loaded.count, 2);
        QCOMPARE(kindOf(loaded.stop), int(Kind::RecordCutShort));

        QStringList fields = numbered(4);
        fields.last() = QString(note, 'y');
        const JushoRecord record = jushoRecord(fields);
        QCOMPARE(kindOf(AppendJushoRecord(record, {m_path}).error),
                 int(Kind::LastRecordIncomplete));
        QCOMPARE(fileBytes(m_path), cut);
        const int repaired = inProcesses(1, [&](int) { // the limit stays with that process
            if (limit)
                limitFileSize(limit > 0 ? limit : cut.size());
            return AppendJushoRecord(record, {m_path}, IncompleteRecord::SetAside);
        }).value(0);
        QCOMPARE(repaired - 1, kind);

        const QStringList aside =
            QDir(m_dir.path()).entryList({QFileInfo(m_path).fileName() + ".broken-*"});
        QCOMPARE(aside.size(), kind < 0 ? 1 : 0);
        QCOMPARE(fileBytes(m_path), kind < 0 ? book(2) + shiftJisLines({fields}) : cut);
        if (kind < 0) {
            QCOMPARE(fileBytes(m_dir.filePath(aside.first())), cut.mid(book(2).size()));
            QCOMPARE(modeOf(m_dir.filePath(aside.first())), 0600);
        }
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_data_file.moc"
