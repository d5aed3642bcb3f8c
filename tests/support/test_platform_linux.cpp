#include "test_platform.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

void limitFileSize(qint64 bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes < 0 ? limit.rlim_max : rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

bool setModeBitOverrides(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0}; // 0: this thread
    __user_cap_data_struct caps[2]{};
    if (::syscall(SYS_capget, &header, caps) != 0)
        return false;
    const __u32 overrides = 1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER;
    caps[0].effective = (caps[0].effective & ~overrides) | (on ? caps[0].permitted & overrides : 0);
    return ::syscall(SYS_capset, &header, caps) == 0;
}

bool hasMode(const QString &path, int mode) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 &&
           int(info.st_mode & 07777) == mode;
}

bool setClosed(const QString &folder, bool closed) {
    ::chmod(QFile::encodeName(folder).constData(), closed ? 0555 : 0755);
    ::chmod(QFile::encodeName(folder + "/Tovrin.txt").constData(), closed ? 0444 : 0644);
    setModeBitOverrides(!closed);
    const bool writable =
        ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK, AT_EACCESS) == 0;
    return writable != closed;
}

UniqueHandle holdAsAppending(const QString &path) {
    UniqueHandle folder(
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY));
    ::flock(folder.get(), LOCK_EX);
    return folder;
}

QString mountSmallDisk(const QString &folder, int) {
    const QByteArray name = QFile::encodeName(folder);
    return ::mount("tmpfs", name.constData(), "tmpfs", 0, "size=64k") == 0 ? folder : QString();
}

bool remountReadOnly(const QString &folder) {
    const QByteArray name = QFile::encodeName(folder);
    return ::mount("tmpfs", name.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") == 0;
}

void unmountSmallDisk(const QString &folder) {
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
}
