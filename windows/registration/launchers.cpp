#include "launchers.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

// The system's default program for the launcher's kind, where it may stand in; else nothing.
QString standIn(const Launcher &launcher) {
    return launcher.standInFor.isEmpty() ? QString() : defaultProgramFor(launcher.standInFor);
}

// The program a press starts: the launcher's own where it is there, else the default one.
QString programToStart(const Launcher &launcher) {
    if (QFileInfo::exists(launcher.program))
        return launcher.program;
    const QString fallback = standIn(launcher);
    return fallback.isEmpty() ? launcher.program : fallback;
}

} // namespace

QString launchDescription(const Launcher &launcher) {
    if (QFileInfo::exists(launcher.program))
        return QStringLiteral("%1（%2）を起動します").arg(launcher.kind, launcher.program);
    if (const QString fallback = standIn(launcher); !fallback.isEmpty())
        return QStringLiteral("既定の%1（%2）を起動します").arg(launcher.kind, fallback);
    return QStringLiteral("%1（%2）は見つかりません").arg(launcher.kind, launcher.program);
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
