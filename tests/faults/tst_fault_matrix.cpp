#include "data_file_io.h"
#include "frm_toroku.h"
#include "test_support.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace {

enum Fault { DiskFull, DiskFullNoFile, SizeLimit, NoRoom, ReadOnlyFs, ReadOnlyFolder };

const QString kNewcomer = QStringLiteral("新しい人");

QStringList person(const QString &name) {
    return {name, "東京都", ";", ";", ";", ";", "友　　人", "メモ\r\n"};
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

// Each fault of the system made real, then 追加 pressed in the real window: the program
// keeps running, the user reads what went wrong and where, the fields stay as typed, and
// the data file is as it was.
class TestFaultMatrix : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;
    QString m_folder;
    QString m_path;
    bool m_mounted = false;

    // A small tmpfs of its own over the data folder; mounting needs root.
    bool mount(const char *options, unsigned long flags = 0) {
        const bool done =
            ::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", flags, options) == 0;
        m_mounted = m_mounted || done;
        return done;
    }

    // Puts the fault in place; the limit and the dropped overrides come only with the press.
    void breakData(Fault fault) {
        if (fault == DiskFullNoFile || fault == ReadOnlyFolder)
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
    }

private slots:
    void initTestCase() { reportFileSizeLimitAsError(); } // as the program does

    void init() {
        m_folder = m_dir.filePath(QString::number(++m_serial));
        QVERIFY(QDir().mkdir(m_folder));
        m_path = m_folder + QStringLiteral("/Tovrin.txt");
    }

    void cleanup() {
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        if (std::exchange(m_mounted, false))
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }

    void fault_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QStringList>("seen");
        const QString cannotOpen = QStringLiteral("データファイルを開けませんでした");
        const QString diskFull = QStringLiteral("ディスクに空きがない");
        const QString tooLarge = QStringLiteral("ファイルの大きさの上限");
        const QString unchanged = QStringLiteral("ファイルは元のままです");
        const QString denied = QStringLiteral("アクセスが許可されていません");
        QTest::newRow("disk full during Add") << int(DiskFull) << QStringList{diskFull, unchanged};
        QTest::newRow("disk full, no data file yet")
            << int(DiskFullNoFile) << QStringList{diskFull, unchanged};
        QTest::newRow("file size limit hit mid-write")
            << int(SizeLimit) << QStringList{tooLarge, unchanged};
        QTest::newRow("file size limit, no room left")
            << int(NoRoom) << QStringList{tooLarge, unchanged};
        QTest::newRow("read-only file system")
            << int(ReadOnlyFs) << QStringList{cannotOpen, "読み取り専用"};
        QTest::newRow("read-only folder") << int(ReadOnlyFolder) << QStringList{cannotOpen, denied};
    }

    void fault() {
        QFETCH(int, fault);
        QFETCH(QStringList, seen);
        if ((fault == DiskFull || fault == DiskFullNoFile) && !mount("size=64k"))
            QSKIP("mounting a small tmpfs needs root (CAP_SYS_ADMIN)");
        if (fault == ReadOnlyFs && !mount("size=1m"))
            QSKIP("mounting a tmpfs to make read-only needs root (CAP_SYS_ADMIN)");
        QVERIFY(writeFile(m_path, shiftJisLines({person("山田"), person("鈴木")})));

        frmToroku window(DataFileLocation{m_path});
        window.Form_Load();
        window.show();
        auto *name = child<QLineEdit>(window, QStringLiteral("txtShimei"));
        name->setText(kNewcomer);
        // Longer than what a full disk still has room for in its last page.
        child<QPlainTextEdit>(window, QStringLiteral("Text1"))->setPlainText(QString(8192, u'メ'));
        const auto press = [&] { QTest::mouseClick(child(window, "OKButton"), Qt::LeftButton); };
        breakData(Fault(fault));
        if (QTest::currentTestFailed())
            return;
        const QByteArray before = fileBytes(m_path);

        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        if (fault == SizeLimit || fault == NoRoom) {
            const rlimit limit{rlim_t(before.size() + (fault == NoRoom ? 0 : 10)), saved.rlim_max};
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        }
        if (fault == ReadOnlyFolder && ::geteuid() == 0 && !setModeBitOverrides(false))
            QSKIP("cannot drop root's access override for this thread");
        const ShownMessage shown = messagesDuring(press);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        setModeBitOverrides(true);

        QCOMPARE(shown.count, 1);
        QCOMPARE(shown.icon, QMessageBox::Warning);
        for (const QString &part : seen << m_path)
            QVERIFY2(shown.text.contains(part), qPrintable(shown.text));
        // Still running, nothing cleared, and the data file as it was.
        QVERIFY(window.isVisible());
        QCOMPARE(name->text(), kNewcomer);
        QCOMPARE(fileBytes(m_path), before);
    }
};

QTEST_MAIN(TestFaultMatrix)
#include "tst_fault_matrix.moc"
