#include "launchers.h"

LauncherTable defaultLaunchers() {
    return {{
        {QStringLiteral("Outlook Express"), kMailProgram,
         QStringLiteral("C:\\Program Files\\Outlook Express\\msimn.exe")},
        {QStringLiteral("Internet Explorer"), kWebBrowser,
         QStringLiteral("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE")},
        {QStringLiteral("ICQ"), kMessenger, QStringLiteral("C:\\Program Files\\ICQ\\Icq.exe")},
    }};
}
