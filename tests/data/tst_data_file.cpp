#include "data_file.h"
#include "data_folder.h"
#include "test_support.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <utility>
#ifdef Q_OS_WIN
#include <windows.h>
#else // the faults made real with limits, mounts, modes and owners are POSIX's
#include <clocale>
#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

using Kind = DataError::Kind;

namespace {

const QByteArray kLine = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n";

// A person's fields, with notes as given.
QStringList numbered(int i, const QString &notes = {}) {
    return {QStringLiteral("人%1").arg(i), "住所", "自宅;03", ";", ";", ";", "友人", notes};
}

// The person added, with more notes than a full disk has room for in its last page.
const QStringList kPerson = numbered(9, QString(8192, u'メ'));

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

template <typename T> int kindOf(const Result<T> &result) {
    return result.ok() ? -1 : int(result.error().kind);
}

// What the user reads is Japanese whatever the locale: besides the places it names (given
// longest first, as on this platform they are written), only these words are in Latin letters.
bool inJapanese(QString message, const QStringList &places) {
    for (const QString &place : places)
        message.remove(QDir::toNativeSeparators(place));
    static const QRegularExpression allowed(
        QStringLiteral("(?<![A-Za-z])(Pellinova|MB|Shift|JIS|UTF)(?![A-Za-z])"));
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    return !message.remove(allowed).contains(word);
}

#ifdef Q_OS_WIN
constexpr bool kFileSizeLimits = false;
// Windows holds no process to a file size limit, nor an administrator past access rights.
void limitFileSize(qint64) {}
bool setModeBitOverrides(bool) {
    return true;
}
#else
constexpr bool kFileSizeLimits = true;
// Sets the file size limit of this process, in bytes (-1: as high as it may go).
void limitFileSize(qint64 bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes < 0 ? limit.rlim_max : rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

int modeOf(const QString &path) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) ? -1 : int(info.st_mode & 07777);
}

// Root reads and writes past mode bits; without these overrides this thread is held to them
// like any other user.
bool setModeBitOverrides(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0}; // 0: this thread
    __user_cap_data_struct caps[2]{};
    if (::syscall(SYS_capget, &header, caps) != 0)
        return false;
    const __u32 overrides = 1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER;
    caps[0].effective = (caps[0].effective & ~overrides) | (on ? caps[0].permitted & overrides : 0);
    return ::syscall(SYS_capset, &header, caps) == 0;
}
#endif

// Holds the book as another copy of the program adding to it would.
UniqueHandle holdAsAppending(const QString &path) {
#ifdef Q_OS_WIN
    return UniqueHandle(::CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(),
                                      GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
#else
    UniqueHandle folder(
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY));
    ::flock(folder.get(), LOCK_EX);
    return folder;
#endif
}

#ifdef Q_OS_WIN
// Closes the folder and the book in it to the user, or opens them again. Wine keeps no access
// lists: it goes by mode bits, set here with Linux's own chmod, which Wine starts like any
// program but cannot wait for. False if the folder stays writable (as it does to root).
bool setClosed(const QString &folder, bool closed) {
    QProcess::startDetached(QStringLiteral("/bin/chmod"),
                            {closed ? "a-w" : "u+w", ".", "Tovrin.txt"}, folder);
    return QTest::qWaitFor([&] {
        QFile probe(folder + QStringLiteral("/probe"));
        const bool writable = probe.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        probe.remove();
        return writable != closed;
    }, 5000);
}
#endif

// Starts a copy of this program that appends the numbered person, with notes of so many x's,
// under a file size limit if given, once it is let go (its standard input ends); it exits
// with 0 if it added, else its error's kind + 1.
void startCopy(QProcess &process, const QString &path, int number, int notes = 0,
               qint64 sizeLimit = 0) {
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--append"), path, QString::number(number),
                   QString::number(notes), QString::number(sizeLimit)});
    process.waitForStarted();
}

int appendAsCopy(const QStringList &arguments) { // the program, "--append", then the above
    reportFileSizeLimitAsError();
    const QStringList fields = numbered(arguments[3].toInt(), QString(arguments[4].toInt(), 'x'));
    if (const qint64 limit = arguments[5].toLongLong())
        limitFileSize(limit);
    (void)std::getchar(); // returns once the test closes its end
    return kindOf(AppendJushoRecord(jushoRecord(fields), {arguments[2]})) + 1;
}

// Lets the copies all go at once, and returns their exit statuses.
QList<int> letGo(std::vector<QProcess> &copies) {
    for (QProcess &process : copies)
        process.closeWriteChannel();
    QList<int> statuses;
    for (QProcess &process : copies) {
        process.waitForFinished(-1);
        statuses << (process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1);
    }
    return statuses;
}

// Adds a person with a 12 MB note in a copy and kills it once the file has started to grow,
// as a crash or a power cut mid-write would; the file's bytes afterwards.
QByteArray killWhileAppending(const QString &path) {
    const qint64 before = QFileInfo(path).size();
    QProcess process;
    startCopy(process, path, 3, 12 << 20);
    process.closeWriteChannel();
    QFileInfo file(path);
    while (process.state() != QProcess::NotRunning && file.size() <= before)
        file.refresh();
    process.kill();
    process.waitForFinished(-1);
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
    QString m_mounted; // a small tmpfs of a test's own

    // A small tmpfs over the folder; Wine cannot mount: wine-run.sh maps one as a drive of its
    // own when it can, and the folder is made there instead.
#ifdef Q_OS_WIN
    bool mount(QString &folder) {
        const QString drive = qEnvironmentVariable("PELLINOVA_SMALL_DRIVE");
        folder = drive + QStringLiteral("/%1").arg(m_serial);
        return !drive.isEmpty() && QDir().mkpath(m_mounted = folder);
    }
    void unmount() { QDir(std::exchange(m_mounted, {})).removeRecursively(); }
#else
    bool mount(const QString &folder, unsigned long flags = 0) {
        m_mounted = folder;
        const QByteArray name = QFile::encodeName(folder);
        return ::mount("tmpfs", name.constData(), "tmpfs", flags, "size=64k") == 0;
    }
    void unmount() { ::umount2(QFile::encodeName(std::exchange(m_mounted, {})), MNT_DETACH); }
#endif

private slots:
    void initTestCase() { reportFileSizeLimitAsError(); } // as the program does
    void init() { m_path = m_dir.filePath(QStringLiteral("Tovrin%1.txt").arg(++m_serial)); }
    void cleanup() {
        if (!m_mounted.isEmpty())
            unmount();
    }

    // An append adds the line, or is refused, says why and where in Japanese, and leaves the
    // file byte for byte as it was (and none where there was none). The faults of the system
    // are made real; mounting needs root.
    void appendsTheLineOrNothing_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file yet
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // in the message
        QTest::addColumn<QByteArray>("after");
        const auto refused = [](const char *tag, const QByteArray &before, Kind kind,
                                const QString &named) {
            QTest::newRow(tag) << before << int(kind) << named << QByteArray();
        };
        const QByteArray added = shiftJisLines({kPerson});
        QTest::newRow("no file yet") << QByteArray() << -1 << "" << added;
        const QByteArray unended = kLine.chopped(2);
        QTest::newRow("no line end before") << unended << -1 << "" << kLine + added;
        QTest::newRow("lone LF before") << unended + "\n" << -1 << "" << unended + "\n" + added;
        // The comma ended the last record; a line end after it would start an empty field.
        QTest::newRow("comma at the end") << unended + "," << -1 << "" << unended + "," + added;
        const QByteArray stray = "\"\x85\x40\"" + kLine.mid(3);
        QTest::newRow("bytes that are not Shift-JIS") << stray << -1 << "" << stray + added;
        refused("last record cut short", kLine + "\"x\",\"y\"\r\n", Kind::LastRecordIncomplete,
                "（2件目）");
        refused("101st person", book(100), Kind::AddressBookFull, "100件");
        refused("past the size bound",
                shiftJisLines({{"大", "", "", "", "", "", "", QString((16 << 20) - 40, 'x')}}),
                Kind::NoRoomForRecord, "16 MB");
        const QString denied = QStringLiteral("アクセスが許可されていません");
        refused("disk full", book(2), Kind::DiskFull, "ディスクに空きがない");
        refused("disk full, no data file yet", {}, Kind::DiskFull, "ディスクに空きがない");
        refused("size limit hit mid-write", book(2), Kind::FileSizeLimit, "ファイルの大きさの上限");
        refused("size limit, no room left", book(2), Kind::FileSizeLimit, "ファイルの大きさの上限");
#ifdef Q_OS_WIN // a read-only file, as Windows has no read-only mounts of its own
        refused("read-only", book(2), Kind::CannotOpen, denied);
#else
        refused("read-only", book(2), Kind::CannotOpen, "読み取り専用");
#endif
        refused("read-only folder, no data file yet", {}, Kind::CannotOpen, denied);
        refused("folder that cannot be opened", book(2), Kind::CannotOpenFolder, denied);
    }
    void appendsTheLineOrNothing() {
        QFETCH(QByteArray, before);
        QFETCH(int, kind);
        QFETCH(QString, named);
        QFETCH(QByteArray, after);
        const QString fault = QTest::currentDataTag();
        const bool diskFull = fault.startsWith("disk full");
#ifdef Q_OS_WIN
        if (fault.startsWith("size limit"))
            QSKIP("Windows holds no process to a file size limit");
        if (fault.contains("folder"))
            QSKIP("Wine does not hold its programs to Windows' access control lists");
        const bool mounted = diskFull; // a read-only file stands for a read-only mount
#else
        const bool mounted = diskFull || fault == "read-only";
#endif
        QString folder = m_dir.filePath(QString::number(m_serial));
        QVERIFY(QDir().mkdir(folder));
        if (mounted && !mount(folder))
            QSKIP("mounting a small tmpfs needs root (CAP_SYS_ADMIN)");
        const QString path = folder + QStringLiteral("/Tovrin.txt");
        QVERIFY(before.isNull() || writeFile(path, before));
        QFile filler(folder + QStringLiteral("/filler"));
        QVERIFY(!diskFull || filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.isOpen() && filler.write(QByteArray(1024, 'x')) == 1024) {
        }
#ifdef Q_OS_WIN
        QVERIFY(fault != "read-only" || QFile::setPermissions(path, QFile::ReadOwner));
        if (QFile file(path); fault == "read-only" && file.open(QIODevice::Append))
            QSKIP("Wine run by root writes to read-only files");
#else
        QVERIFY(fault != "read-only" || mount(folder, MS_REMOUNT | MS_RDONLY));
        QVERIFY(!fault.startsWith("read-only folder") ||
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!fault.startsWith("folder that") || QFile::setPermissions(folder, {}));
#endif
        const QByteArray was = fileBytes(path);

        if (fault.startsWith("size limit"))
            limitFileSize(was.size() + (fault.endsWith("left") ? 0 : 10));
        const bool heldToModes = setModeBitOverrides(false);
        const AppendResult added = AppendJushoRecord(jushoRecord(kPerson), {path});
        setModeBitOverrides(true);
        limitFileSize(-1);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (fault.contains("folder") && !heldToModes)
            QSKIP("cannot drop root's access override for this thread");
        QCOMPARE(kindOf(added), kind);
        QCOMPARE(fileBytes(path), kind < 0 ? after : was);
        if (kind < 0) { // and what was added reads back as it was given
            JushoTable table;
            const LoadResult loaded = LoadJushoTable(table, {path});
            QVERIFY(loaded.complete() && table.cell(loaded.count, 0) == kPerson.first());
            return;
        }
        const QString message = added.error().message();
        const QString where = kind == int(Kind::CannotOpenFolder) ? "フォルダー：" + folder
                                                                  : "ファイル：" + path;
        for (const QString &part : {named, QDir::toNativeSeparators(where)})
            QVERIFY2(message.contains(part), qPrintable(message));
        QVERIFY2(inJapanese(message, {path, folder}), qPrintable(message));
    }

    // What the folder, the folders on the way and the file must be: the user's own (or
    // root's, on the way), not open to other users' writing, a plain file within the size
    // bound, not in another program's hands. Add and Open both refuse anything else, name it
    // as it is (a "%1" in it too) in Japanese and leave it as it was; the program's own
    // folder is made, and any found open to others is made, private.
    void folderAndFile_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // in the home folder
        const QString share = QStringLiteral("share %1");
        const QString folder = share + QStringLiteral("/Pellinova");
        const QString file = folder + QStringLiteral("/Tovrin.txt");
        QTest::newRow("a sparse giant") << int(Kind::FileTooBig) << file;
        QTest::newRow("a folder") << int(Kind::NotAFile) << file;
        QTest::newRow("another copy at work") << int(Kind::Busy) << file;
        QTest::newRow("none yet") << -1 << "";
        QTest::newRow("none yet, XDG_DATA_HOME relative") << -1 << "";
        QTest::newRow("open to others") << -1 << "";
        QTest::newRow("a pipe") << int(Kind::NotAFile) << file;
        QTest::newRow("leased by another program, LC_ALL=C") << int(Kind::CannotOpen) << file;
        QTest::newRow("folder of another user") << int(Kind::NotYours) << folder;
        QTest::newRow("file of another user") << int(Kind::NotYours) << file;
        QTest::newRow("link planted by another user") << int(Kind::NotYours) << file;
        QTest::newRow("folder on the way of another user") << int(Kind::NotYours) << share;
        QTest::newRow("link on the way planted by another user") << int(Kind::NotYours) << share;
        QTest::newRow("folder on the way open to others") << int(Kind::OpenToOthers) << share;
    }
    void folderAndFile() {
        QFETCH(int, kind);
        QFETCH(QString, named);
        const QString setUp = QTest::currentDataTag();
        const QTemporaryDir home; // as $HOME, and $XDG_DATA_HOME is in it, or ignored
        const QString share = home.filePath(QStringLiteral("share %1"));
#ifdef Q_OS_WIN
        if (!QStringList{"a sparse giant", "a folder", "another copy at work"}.contains(setUp))
            QSKIP("owners, modes, pipes, leases and XDG_DATA_HOME are POSIX's: on Windows, who may "
                  "reach the book is for its access control lists to say");
        const DataFileLocation location{share + QStringLiteral("/Pellinova/Tovrin.txt")};
#else
        const bool relative = setUp.endsWith("relative");
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_DATA_HOME", relative ? "share" : QFile::encodeName(share));
        const DataFileLocation location = jushoDataFileLocation();
        QCOMPARE(location.path, (relative ? home.filePath(".local/share") : share) +
                                    QStringLiteral("/Pellinova/Tovrin.txt"));
#endif
        const QString path = location.path;
        const QString folder = QFileInfo(path).absolutePath();
        const bool fresh = setUp.startsWith("none yet");
        const QString victim = home.filePath(QStringLiteral("victim"));
        QVERIFY(writeFile(victim, "secret"));
        QVERIFY(fresh || QDir().mkpath(folder));
        QVERIFY(fresh || QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        if (setUp == "a folder")
            QVERIFY(QDir().mkdir(path));
        else if (setUp == "link planted by another user")
            QVERIFY(QFile::link(victim, path));
        else if (!fresh && setUp != "a pipe")
            QVERIFY(writeFile(path, kLine));
        QVERIFY(setUp != "a sparse giant" || QFile::resize(path, qint64(2) << 30));
        const UniqueHandle held =
            setUp.endsWith("at work") ? holdAsAppending(path) : UniqueHandle();
#ifndef Q_OS_WIN
        QVERIFY(setUp != "a pipe" || ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        if (setUp.startsWith("link on the way")) { // to another of the user's books
            QVERIFY(QDir().rename(share, home.filePath("elsewhere")));
            QVERIFY(QFile::link(home.filePath("elsewhere"), share));
        }
        QVERIFY(setUp != "folder on the way open to others" ||
                ::chmod(QFile::encodeName(share).constData(), 0777) == 0);
        const int leased =
            setUp.startsWith("leased") ? ::open(QFile::encodeName(path).constData(), O_RDONLY) : -1;
        if (leased >= 0) {
            std::signal(SIGIO, SIG_IGN); // how the holder of a lease hears it is wanted
            QCOMPARE(::fcntl(leased, F_SETLEASE, F_WRLCK), 0);
            ::setlocale(LC_ALL, "C"); // where the C library's words for it are English
        }
        const QString given = setUp.startsWith("folder of") ? folder
                              : setUp.contains("on the way") ? share
                                                             : path;
        if (setUp.endsWith("another user") &&
            ::lchown(QFile::encodeName(given).constData(), 65534, 0))
            QSKIP("giving a file to another user needs root");
#endif
        const qint64 size = QFileInfo(path).size();

        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, location);
        const AppendResult added = AppendJushoRecord(jushoRecord(numbered(1)), location);
#ifndef Q_OS_WIN
        if (leased >= 0) {
            ::close(leased); // and the lease with it
            ::setlocale(LC_ALL, "");
        }
#endif
        QCOMPARE(loaded.error ? int(loaded.error->kind) : -1,
                 fresh ? int(Kind::FileMissing) : kind);
        QCOMPARE(kindOf(added), kind);
        QCOMPARE(fileBytes(victim), QByteArray("secret"));
        if (kind >= 0) {
            for (const QString &message : {loaded.error->message(), added.error().message()}) {
                QVERIFY2(message.contains(QDir::toNativeSeparators(home.filePath(named))),
                         qPrintable(message));
                QVERIFY2(inJapanese(message, {path, folder, share}), qPrintable(message));
            }
            QCOMPARE(QFileInfo(path).size(), size);
            return;
        }
#ifndef Q_OS_WIN
        QCOMPARE(modeOf(QFileInfo(folder).absolutePath()), fresh ? 0700 : 0755);
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(path), 0600);
#endif
        QCOMPARE(LoadJushoTable(table, location).count, fresh ? 1 : 2);
    }

    // Windows: the book where earlier versions left it. The user's copy (VirtualStore) is read
    // whenever it exists, and added to where the program's folder is not the user's to write,
    // made first from the book there; the book there is then left as it is.
    void userCopy_data() {
        QTest::addColumn<bool>("book");   // at the program's path
        QTest::addColumn<bool>("copy");   // the user's copy of it
        QTest::addColumn<bool>("closed"); // the program's folder to the user
        QTest::newRow("open folder") << true << false << false;
        QTest::newRow("open folder, copy") << true << true << false;
        QTest::newRow("closed folder") << true << false << true;
        QTest::newRow("closed folder, copy") << true << true << true;
        QTest::newRow("closed folder, no book") << false << false << true;
    }
    void userCopy() {
#ifndef Q_OS_WIN
        QSKIP("only Windows keeps a user's own copy of what is under C:\\Program Files");
#else
        QFETCH(bool, book);
        QFETCH(bool, copy);
        QFETCH(bool, closed);
        const QString folder = m_dir.filePath(QStringLiteral("Program %1").arg(m_serial));
        const QString copies = m_dir.filePath(QStringLiteral("VirtualStore %1").arg(m_serial));
        const DataFileLocation location{folder + QStringLiteral("/Tovrin.txt"),
                                        FolderCreation::MustExist,
                                        copies + QStringLiteral("/Tovrin.txt")};
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!book || writeFile(location.path, ::book(2)));
        QVERIFY(!copy || (QDir().mkpath(copies) && writeFile(location.userCopy, ::book(3))));
        if (closed && !setClosed(folder, true))
            QSKIP("the folder cannot be closed to this user: Wine run by root writes anywhere");
        const QByteArray atProgram = fileBytes(location.path);
        const int shown = copy ? 3 : book ? 2 : 0; // the records Open shows

        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, location);
        const AppendResult added = AppendJushoRecord(jushoRecord(numbered(9)), location);
        if (closed)
            setClosed(folder, false);
        QCOMPARE(loaded.count, shown);
        QCOMPARE(kindOf(added), -1);
        const bool toCopy = copy || closed;
        QCOMPARE(fileBytes(location.path), toCopy ? atProgram : atProgram + ::book(1, 9));
        QCOMPARE(fileBytes(location.userCopy),
                 toCopy ? ::book(shown) + ::book(1, 9) : QByteArray("(none)"));
#endif
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
        if (firstFails && !kFileSizeLimits)
            QSKIP("Windows holds no process to a file size limit");
        QVERIFY(writeFile(m_path, book(records)));
        std::vector<QProcess> running(copies);
        for (int copy = 0; copy < copies; ++copy)
            startCopy(running[copy], m_path, 1000 + copy, 0,
                      firstFails && copy == 0 ? QFileInfo(m_path).size() + 10 : 0);
        const QList<int> outcomes = letGo(running);
        // Exactly one adds, what it added is there, and nothing else was written.
        QCOMPARE(outcomes.count(0), 1);
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
        if (limit && !kFileSizeLimits)
            QSKIP("Windows holds no process to a file size limit");
        QByteArray cut;
#ifdef Q_OS_WIN // Wine lets a write finish before a kill lands: the cut is made by hand
        QVERIFY(writeFile(m_path, book(2) + shiftJisLines({numbered(3)}).left(30) + "xx"));
        cut = fileBytes(m_path);
#endif
        for (int attempt = 0; attempt < 20 && !cut.endsWith('x'); ++attempt) {
            QVERIFY(writeFile(m_path, book(2)));
            cut = killWhileAppending(m_path);
        }
        QVERIFY2(cut.endsWith('x'), "no kill landed while the line was written");
        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, {m_path});
        QCOMPARE(loaded.count, 2);
        QVERIFY(loaded.stop && loaded.stop->kind == Kind::RecordCutShort);

        const QStringList fields = numbered(4, QString(note, 'x'));
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(fields), {m_path})),
                 int(Kind::LastRecordIncomplete));
        QCOMPARE(fileBytes(m_path), cut);
        limitFileSize(limit < 0 ? cut.size() : limit ? limit : -1);
        const AppendResult repaired =
            AppendJushoRecord(jushoRecord(fields), {m_path}, IncompleteRecord::SetAside);
        limitFileSize(-1);
        QCOMPARE(kindOf(repaired), kind);

        const QStringList aside =
            QDir(m_dir.path()).entryList({QFileInfo(m_path).fileName() + ".broken-*"});
        QCOMPARE(aside.size(), kind < 0 ? 1 : 0);
        QCOMPARE(fileBytes(m_path), kind < 0 ? book(2) + shiftJisLines({fields}) : cut);
        if (kind < 0) {
            QCOMPARE(fileBytes(m_dir.filePath(aside.first())), cut.mid(book(2).size()));
#ifndef Q_OS_WIN
            QCOMPARE(modeOf(m_dir.filePath(aside.first())), 0600);
#endif
        }
    }
};

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == u"--append")
        return appendAsCopy(app.arguments());
    TestDataFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_data_file.moc"
