#include "guarded_handler.h"

#include "message_box.h"

#include <exception>
#include <new>

void runGuarded(QWidget *window, const std::function<void()> &handler) {
    const auto report = [window](const QString &text) { tellUser(window, Tone::Warning, text); };
    try {
        handler();
    } catch (const std::bad_alloc &) {
        report(QStringLiteral("メモリが足りないため、操作を最後まで行えませんでした。"));
    } catch (const std::exception &error) {
        // What the library says is for the developer (and may be English); the user is told
        // in Japanese.
        qWarning("handler stopped by an exception: %s", error.what());
        report(QStringLiteral("予期しない問題のため、操作を最後まで行えませんでした。"));
    } catch (...) {
        report(QStringLiteral("予期しない問題のため、操作を最後まで行えませんでした。"));
    }
}
