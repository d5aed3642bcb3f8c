#include "launchers.h"

#include <QFileInfo>
#include <QProcess>

LauncherTable defaultLaunchers() {
#ifdef Q_OS_WIN
    return {{
        {QStringLiteral("Outlook Express"),
         QStringLiteral("C:\\Program Files\\Outlook Express\\msimn.exe")},
        {QStringLiteral("Internet Explorer"),
         QStringLiteral("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE")},
        {QStringLiteral("ICQ"), QStringLiteral("C:\\Program Files\\ICQ\\Icq.exe")},
    }};
#else
    // xdg-email with no arguments opens the user's mail program on a blank message;
    // x-www-browser is the system's default browser.
    return {{
        {QStringLiteral("Outlook Express"), QStringLiteral("/usr/bin/xdg-email")},
        {QStringLiteral("Internet Explorer"), QStringLiteral("/usr/bin/x-www-browser")},
        {QStringLiteral("ICQ"), QStringLiteral("/usr/bin/pidgin")},
    }};
#endif
}

std::optional<QString> launch(const Launcher &launcher) {
    const QFileInfo target(launcher.program);
    if (!target.exists())
        return QStringLiteral("「%1」を起動できません。\n次のプログラムが見つかりません：\n%2\n"
                              "プログラムをインストールしてから、もう一度押してください。")
            .arg(launcher.caption, launcher.program);
    if (!target.isFile() || !target.isExecutable())
        return QStringLiteral("「%1」を起動できません。\n次のファイルは実行できるプログラムでは"
                              "ありません：\n%2")
            .arg(launcher.caption, launcher.program);
    if (!QProcess::startDetached(launcher.program, {}))
        return QStringLiteral("「%1」を起動できませんでした。\nプログラム：%2\n"
                              "プログラムが壊れていないか確かめてください。")
            .arg(launcher.caption, launcher.program);
    return std::nullopt;
}
