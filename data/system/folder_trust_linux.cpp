#include "folder_trust_linux.h"

#include <grp.h>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

// Whether the group can hold no one but the user: the user's own primary group (Debian and
// Ubuntu make one for each user, and give such users umask 002), with no other member listed
// and no other user's primary group. What the user database does not list cannot be seen; the
// same trust OpenSSH gives such a group.
bool groupIsTheUsersAlone(gid_t group) {
    const struct passwd *me = ::getpwuid(currentUser());
    if (me == nullptr || me->pw_gid != group)
        return false;
    const std::string name = me->pw_name; // getpwent() below reuses the entry's memory
    const struct group *entry = ::getgrgid(group);
    if (entry == nullptr)
        return false;
    for (char *const *member = entry->gr_mem; *member != nullptr; ++member) {
        if (name != *member)
            return false;
    }
    bool alone = true;
    ::setpwent();
    while (const struct passwd *other = ::getpwent()) {
        if (other->pw_gid == group && other->pw_uid != currentUser())
            alone = false;
    }
    ::endpwent();
    return alone;
}

// The user database is read once for each group asked about.
bool groupIsTheUsersAloneCached(gid_t group) {
    static gid_t asked = gid_t(-1);
    static bool answer = false;
    if (group != asked) {
        answer = groupIsTheUsersAlone(group);
        asked = group;
    }
    return answer;
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
           ((info.st_mode & S_IWGRP) && !groupIsTheUsersAloneCached(info.st_gid));
}

void makePrivate(int fd, const struct stat &info) {
    if (info.st_mode & (S_IRWXG | S_IRWXO))
        (void)::fchmod(fd, info.st_mode & 07700);
}
