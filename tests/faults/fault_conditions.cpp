#include "fault_conditions.h"

#include <QByteArray>
#include <QFile>

#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

TmpfsMount::~TmpfsMount() {
    if (!m_folder.isEmpty())
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

bool TmpfsMount::mount(const QString &folder, const char *options) {
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options) != 0)
        return false;
    m_folder = folder;
    return true;
}

bool TmpfsMount::setReadOnly(bool readOnly) {
    return ::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs",
                   MS_REMOUNT | (readOnly ? MS_RDONLY : 0), nullptr) == 0;
}

void fillDisk(const QString &folder) {
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(1024, 'x');
    while (filler.write(block) == block.size()) {
    }
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
        return;
    const rlimit limit{bytes, m_saved.rlim_max};
    m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (m_active)
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
}

namespace {

__user_cap_header_struct capHeader() {
    return {_LINUX_CAPABILITY_VERSION_3, 0}; // 0: the calling thread
}

} // namespace

ModeBitsApply::ModeBitsApply() {
    if (::geteuid() != 0) {
        m_active = true;
        return;
    }
    auto header = capHeader();
    if (::syscall(SYS_capget, &header, m_saved.data()) != 0)
        return;
    auto reduced = m_saved;
    constexpr __u32 overrides =
        1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER;
    reduced[0].effective &= ~overrides;
    m_dropped = ::syscall(SYS_capset, &header, reduced.data()) == 0;
    m_active = m_dropped;
}

ModeBitsApply::~ModeBitsApply() {
    if (!m_dropped)
        return;
    auto header = capHeader();
    ::syscall(SYS_capset, &header, m_saved.data());
}
