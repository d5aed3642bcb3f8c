#include "guarded_handler.h"

#include "window_look.h"

#include <exception>
#include <new>

void runGuarded(QWidget *window, const std::function<void()> &handler) {
    const auto report = [window](const QString &text) { tellUser(window, Tone::Warning, text); };
    try {
        handler();
    } catch (const std::bad_alloc &) {
        report(QStringLiteral("メモリーが足りないため、操作を最後まで行えませんでした。"));
    } catch (const std::exception &error) {
        report(QStringLiteral("思いがけない問題のため、操作を最後まで行えませんでした。\n%1")
                   .arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        report(QStringLiteral("思いがけない問題のため、操作を最後まで行えませんでした。"));
    }
}
