#include "launchers.h"

#include <shlwapi.h>
#include <windows.h>

LauncherTable defaultLaunchers() {
    // Current Windows has neither Outlook Express nor Internet Explorer: where they are gone,
    // the user's own mail program and browser stand in.
    return {{
        {QStringLiteral("Outlook Express"), kMailProgram,
         QStringLiteral("C:\\Program Files\\Outlook Express\\msimn.exe"), QStringLiteral("mailto")},
        {QStringLiteral("Internet Explorer"), kWebBrowser,
         QStringLiteral("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE"),
         QStringLiteral("http")},
        {QStringLiteral("ICQ"), kMessenger, QStringLiteral("C:\\Program Files\\ICQ\\Icq.exe")},
    }};
}

// The program of the "open" command registered for the scheme, as Explorer would start it
// for a link, started here with no address so that it opens empty.
QString defaultProgramFor(const QString &scheme) {
    wchar_t program[MAX_PATH];
    DWORD length = MAX_PATH;
    if (::AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE,
                            reinterpret_cast<const wchar_t *>(scheme.utf16()), L"open", program,
                            &length) != S_OK)
        return {};
    return QString::fromWCharArray(program);
}
