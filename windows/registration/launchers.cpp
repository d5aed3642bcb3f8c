#include "launchers.h"

#include <QFileInfo>
#include <QProcess>

QString launchDescription(const Launcher &launcher) {
    return QStringLiteral("%1（%2）を起動します").arg(launcher.kind, launcher.program);
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
