#include "data_file_io.h"
#include "frm_jusho.h"
#include "frm_toroku.h"
#include "test_support.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace {

enum Fault {
    DiskFull,
    DiskFullNoFile,
    SizeLimit,
    NoRoom,
    ReadOnlyFs,
    ReadOnlyFolder,
    Folder,
    Unreadable,
    Broken,
    OthersFolder,
    Busy,
    Giant
};
enum Press { Open, Add };

const QString kNewcomer = QStringLiteral("新しい人");

QStringList person(const QString &name) {
    return {name, "東京都", ";", ";", ";", ";", "友　　人", "メモ\r\n"};
}

// The file's bytes, or only its size where it is too big to read whole.
QByteArray contentOf(const QString &path) {
    const qint64 size = QFileInfo(path).size();
    return size > (64 << 20) ? QByteArray::number(size) : fileBytes(path);
}

// Root reads and writes past mode bits; without these overrides the calling thread (the
// one that runs the windows) is held to them like any other user.
bool setModeBitOverrides(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0}; // 0: this thread
    std::array<__user_cap_data_struct, 2> caps{};
    if (::syscall(SYS_capget, &header, caps.data()) != 0)
        return false;
    const __u32 overrides = 1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER;
    caps[0].effective =
        on ? caps[0].effective | (caps[0].permitted & overrides) : caps[0].effective & ~overrides;
    return ::syscall(SYS_capset, &header, caps.data()) == 0;
}

} // namespace

// Each fault made real, then the button pressed in the real window: the program keeps
// running, the user reads what went wrong and where, and the data file is as it should be.
class TestFaultMatrix : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;
    QString m_folder;
    QString m_path;
    bool m_mounted = false;
    int m_lock = -1;

    // A small tmpfs of its own over the data folder; mounting needs root.
    bool mount(const char *options, unsigned long flags = 0) {
        const bool done =
            ::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", flags, options) == 0;
        m_mounted = m_mounted || done;
        return done;
    }

    // Puts the fault in place; the limit and the dropped overrides come only with the press.
    void breakData(Fault fault, const QByteArray &appended) {
        if (fault == DiskFullNoFile || fault == ReadOnlyFolder || fault == Folder)
            QVERIFY(QFile::remove(m_path));
        if (fault == DiskFull || fault == DiskFullNoFile) {
            QFile filler(m_folder + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(1024, 'x')) == 1024) {
            }
        }
        if (fault == ReadOnlyFs)
            QVERIFY(mount(nullptr, MS_REMOUNT | MS_RDONLY));
        if (fault == ReadOnlyFolder)
            QVERIFY(QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner));
        if (fault == Folder)
            QVERIFY(QDir().mkdir(m_path));
        if (fault == Unreadable)
            QVERIFY(QFile::setPermissions(m_path, QFile::WriteOwner));
        if (fault == Broken)
            QVERIFY(writeFile(m_path, appended, QIODevice::Append));
        if (fault == OthersFolder)
            QCOMPARE(::chown(QFile::encodeName(m_folder).constData(), 65534, 65534), 0);
        if (fault == Busy) { // as another copy of the program holds it while it appends
            m_lock = ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY);
            QCOMPARE(::flock(m_lock, LOCK_EX), 0);
        }
        if (fault == Giant)
            QVERIFY(QFile::resize(m_path, qint64(2) << 30));
    }

private slots:
    void initTestCase() { reportFileSizeLimitAsError(); } // as the program does

    void init() {
        m_folder = m_dir.filePath(QString::number(++m_serial));
        QVERIFY(QDir().mkdir(m_folder));
        m_path = m_folder + QStringLiteral("/Tovrin.txt");
    }

    void cleanup() {
        ::close(std::exchange(m_lock, -1));
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        if (std::exchange(m_mounted, false))
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }

    void fault_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QByteArray>("appended"); // to a broken file
        QTest::addColumn<int>("listed");          // names listed after Open
        const auto row = [](const char *name, Fault fault, Press button, const QStringList &seen,
                            const QByteArray &appended = {}, int listed = 3) {
            QTest::newRow(name) << int(fault) << int(button) << seen << appended << listed;
        };
        const QString cannotOpen = QStringLiteral("データファイルを開けませんでした");
        const QString diskFull = QStringLiteral("ディスクに空きがない");
        const QString tooLarge = QStringLiteral("ファイルの大きさの上限");
        const QString unchanged = QStringLiteral("ファイルは元のままです");
        const QString denied = QStringLiteral("アクセスが許可されていません");
        const QString notAFile = QStringLiteral("ファイルではないもの");
        row("disk full during Add", DiskFull, Add, {diskFull, unchanged});
        row("disk full, no data file yet", DiskFullNoFile, Add, {diskFull, unchanged});
        row("file size limit hit mid-write", SizeLimit, Add, {tooLarge, unchanged});
        row("file size limit, no room left", NoRoom, Add, {tooLarge, unchanged});
        row("read-only file system", ReadOnlyFs, Add, {cannotOpen, "読み取り専用"});
        row("read-only folder", ReadOnlyFolder, Add, {cannotOpen, denied});
        row("data file is a folder, Open", Folder, Open, {notAFile});
        row("data file is a folder, Add", Folder, Add, {notAFile});
        row("data file cannot be read", Unreadable, Open, {cannotOpen, denied});
        QList<QStringList> more;
        for (int i = 3; i <= 101; ++i)
            more << person(QString::number(i));
        row("more than 100 records", Broken, Open, {"100件を超える", "101件目"},
            shiftJisLines(more), 101);
        row("file cut inside a record", Broken, Open, {"3件目の記録の途中（「各アドレス2」"},
            "\"p3\",\"\",\";\",\"");
        row("blank line at the end", Broken, Open, {"3件目の記録の途中（「住所」", "最後に空の行"},
            "\r\n");
        row("bytes that are not Shift-JIS", Broken, Open,
            {"3件目の記録の「名前」の欄", "Shift-JIS として読めない"},
            "\"\x85\x40\"" + shiftJisLines({person({})}).mid(2), 4);
        row("folder of another user", OthersFolder, Open, {"別のユーザー"});
        row("folder of another user, Add", OthersFolder, Add, {"別のユーザー"});
        row("another copy using the address book", Busy, Add,
            {"ほかの Pellinova", "何も変えていません"});
        row("sparse file of 2 GB", Giant, Open, {"大きすぎます（2048 MB）"});
    }

    void fault() {
        QFETCH(int, fault);
        QFETCH(int, button);
        QFETCH(QStringList, seen);
        QFETCH(QByteArray, appended);
        if ((fault == DiskFull || fault == DiskFullNoFile) && !mount("size=64k"))
            QSKIP("mounting a small tmpfs needs root (CAP_SYS_ADMIN)");
        if (fault == OthersFolder && ::geteuid() != 0)
            QSKIP("giving the folder to another user needs root");
        if (fault == ReadOnlyFs && !mount("size=1m"))
            QSKIP("mounting a tmpfs to make read-only needs root (CAP_SYS_ADMIN)");
        QVERIFY(writeFile(m_path, shiftJisLines({person("山田"), person("鈴木")})));

        const DataFileLocation location{m_path, FolderCreation::MustExist};
        frmJusho list(location);
        frmToroku registration(location);
        auto *names = child<QComboBox>(list, QStringLiteral("cboShimei"));
        auto *name = child<QLineEdit>(registration, QStringLiteral("txtShimei"));
        QWidget *window = &list;
        auto *pressed = child<QPushButton>(list, QStringLiteral("cmdOpen"));
        const auto press = [&] { QTest::mouseClick(pressed, Qt::LeftButton); };
        if (button == Open) {
            list.show();
            QCOMPARE(messagesDuring(press).count, 0);
            QCOMPARE(names->count(), 3);
        } else {
            window = &registration;
            pressed = child<QPushButton>(registration, QStringLiteral("OKButton"));
            registration.Form_Load();
            registration.show();
            name->setText(kNewcomer);
            // Longer than what a full disk still has room for in its last page.
            child<QPlainTextEdit>(registration, QStringLiteral("Text1"))
                ->setPlainText(QString(8192, u'メ'));
        }
        breakData(Fault(fault), appended);
        if (QTest::currentTestFailed())
            return;
        const QByteArray before = contentOf(m_path);

        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        if (fault == SizeLimit || fault == NoRoom) {
            const rlimit limit{rlim_t(before.size() + (fault == NoRoom ? 0 : 10)), saved.rlim_max};
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        }
        if ((fault == Unreadable || fault == ReadOnlyFolder) && ::geteuid() == 0 &&
            !setModeBitOverrides(false))
            QSKIP("cannot drop root's access override for this thread");
        const ShownMessage shown = messagesDuring(press);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        setModeBitOverrides(true);

        QCOMPARE(shown.count, 1);
        QCOMPARE(shown.icon, QMessageBox::Warning);
        for (const QString &part : seen << (fault == OthersFolder ? m_folder : m_path))
            QVERIFY2(shown.text.contains(part), qPrintable(shown.text));
        // Still running, nothing listed or cleared, and the data file as it was.
        QVERIFY(window->isVisible());
        QFETCH(int, listed);
        QCOMPARE(names->count(), button == Open ? listed : 0);
        QCOMPARE(name->text(), button == Open ? QString() : kNewcomer);
        QCOMPARE(contentOf(m_path), before);
    }
};

QTEST_MAIN(TestFaultMatrix)
#include "tst_fault_matrix.moc"
