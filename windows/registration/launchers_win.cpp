#include "launchers.h"

LauncherTable defaultLaunchers() {
    return {{
        {QStringLiteral("Outlook Express"),
         QStringLiteral("C:\\Program Files\\Outlook Express\\msimn.exe")},
        {QStringLiteral("Internet Explorer"),
         QStringLiteral("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE")},
        {QStringLiteral("ICQ"), QStringLiteral("C:\\Program Files\\ICQ\\Icq.exe")},
    }};
}
