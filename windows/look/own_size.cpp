#include "own_size.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace {

constexpr Qt::WindowStates kLargeStates = Qt::WindowMaximized | Qt::WindowFullScreen;

class OwnSizeKeeper : public QObject {
public:
    explicit OwnSizeKeeper(QWidget *window)
        : QObject(window)
        , m_window(window) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        switch (event->type()) {
        case QEvent::Show: // a message box fixes its size as it shows, and as it lays out
        case QEvent::LayoutRequest:
        case QEvent::WindowStateChange:
        case QEvent::Resize:
            QMetaObject::invokeMethod(this, &OwnSizeKeeper::keep, Qt::QueuedConnection);
            break;
        default:
            break;
        }
        return false;
    }

private:
    void keep() {
        if (!m_window->isVisible())
            return;
        if (m_window->minimumSize() == m_window->maximumSize()) {
            m_size = m_window->minimumSize();
            m_window->setMinimumSize(0, 0);
            m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        // Through the QWindow: the widget's own setWindowState() would take back its size at
        // once, before the compositor has let go of the large state.
        if (m_window->windowState() & kLargeStates)
            m_window->windowHandle()->setWindowStates(m_window->windowState() & ~kLargeStates);
        else if (!m_size.isEmpty() && m_window->size() != m_size)
            m_window->resize(m_size);
    }

    QWidget *m_window;
    QSize m_size;
};

} // namespace

void keepOwnSize(QWidget *window) {
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        new OwnSizeKeeper(window);
}
