#include "folder_trust_linux.h"

#include <grp.h>
#include <optional>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

// The group that can hold no one but the user, if there is one: the user's own primary group
// (Debian and Ubuntu make one for each user, and give such users umask 002), with no other
// member listed and no other user's primary group. What the user database does not list cannot
// be seen; the same trust OpenSSH gives such a group. The database is read once, when first
// needed.
std::optional<gid_t> usersOwnGroup() {
    const struct passwd *me = ::getpwuid(currentUser());
    if (me == nullptr)
        return std::nullopt;
    const gid_t group = me->pw_gid;
    const std::string name = me->pw_name; // getpwent() below reuses the entry's memory
    const struct group *entry = ::getgrgid(group);
    if (entry == nullptr)
        return std::nullopt;
    for (char *const *member = entry->gr_mem; *member != nullptr; ++member) {
        if (name != *member)
            return std::nullopt;
    }
    bool alone = true;
    ::setpwent();
    while (const struct passwd *other = ::getpwent()) {
        if (other->pw_gid == group && other->pw_uid != currentUser())
            alone = false;
    }
    ::endpwent();
    return alone ? std::optional(group) : std::nullopt;
}

bool groupIsTheUsersAlone(gid_t group) {
    static const std::optional<gid_t> own = usersOwnGroup();
    return own == group;
}

} // namespace

uid_t currentUser() {
    static const uid_t euid = ::geteuid();
    return euid;
}

bool trustedOwner(const struct stat &info) {
    return info.st_uid == currentUser() || info.st_uid == 0;
}

bool othersMayWrite(const struct stat &info) {
    if (info.st_uid == 0 && (info.st_mode & S_ISVTX))
        return false;
    return (info.st_mode & S_IWOTH) ||
           ((info.st_mode & S_IWGRP) && !groupIsTheUsersAlone(info.st_gid));
}

void makePrivate(int fd, const struct stat &info) {
    if (info.st_mode & (S_IRWXG | S_IRWXO))
        (void)::fchmod(fd, info.st_mode & 07700);
}
