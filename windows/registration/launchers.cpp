#include "launchers.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

// The program a press starts: the launcher's own where it is there, else the default one.
QString programToStart(const Launcher &launcher) {
    if (launcher.standInFor.isEmpty() || QFileInfo::exists(launcher.program))
        return launcher.program;
    const QString fallback = defaultProgramFor(launcher.standInFor);
    return fallback.isEmpty() ? launcher.program : fallback;
}

} // namespace

QString launchDescription(const Launcher &launcher) {
    const QString program = programToStart(launcher);
    if (program != launcher.program)
        return QStringLiteral("既定の%1（%2）を起動します").arg(launcher.kind, program);
    if (!QFileInfo::exists(program))
        return QStringLiteral("%1（%2）は見つかりません").arg(launcher.kind, program);
    return QStringLiteral("%1（%2）を起動します").arg(launcher.kind, program);
}

std::optional<QString> launch(const Launcher &launcher) {
    const QFileInfo target(programToStart(launcher));
    if (!target.exists())
        return QStringLiteral("「%1」を起動できません。\n次のプログラムが見つかりません：\n%2\n"
                              "プログラムをインストールしてから、もう一度押してください。")
            .arg(launcher.caption, launcher.program);
    if (!target.isFile() || !target.isExecutable())
        return QStringLiteral("「%1」を起動できません。\n次のファイルは実行できるプログラムでは"
                              "ありません：\n%2")
            .arg(launcher.caption, QDir::toNativeSeparators(target.filePath()));
    if (!QProcess::startDetached(target.filePath(), {}))
        return QStringLiteral("「%1」を起動できませんでした。\nプログラム：%2\n"
                              "プログラムが壊れていないか確かめてください。")
            .arg(launcher.caption, QDir::toNativeSeparators(target.filePath()));
    return std::nullopt;
}
