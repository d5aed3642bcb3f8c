#include "launchers.h"

LauncherTable defaultLaunchers() {
    // xdg-email with no arguments opens the user's mail program on a blank message;
    // x-www-browser is the system's default browser.
    return {{
        {QStringLiteral("Outlook Express"), kMailProgram, QStringLiteral("/usr/bin/xdg-email")},
        {QStringLiteral("Internet Explorer"), kWebBrowser,
         QStringLiteral("/usr/bin/x-www-browser")},
        {QStringLiteral("ICQ"), kMessenger, QStringLiteral("/usr/bin/pidgin")},
    }};
}

// The launchers' own programs are the desktop's defaults already.
QString defaultProgramFor(const QString &) {
    return {};
}
