#pragma once
// Work that waits until a window is on the screen: run once, right after the window's first
// paint has been flushed. Header only and Qt only, so the start-up yardstick in bench/ uses the
// very same hook as the program.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace quorvex {

class FirstPaintWatch final : public QObject {
public:
    enum class Order { Last, First };

    static void add(QWidget* window, std::function<void()> then, Order order)
    {
        // Found by name: without moc, a typed findChild would take any child for one.
        auto* watch = static_cast<FirstPaintWatch*>(window->findChild<QObject*>(Name, Qt::FindDirectChildrenOnly));
        if (!watch)
            watch = new FirstPaintWatch(window);
        auto& list = watch->then_;
        list.insert(order == Order::First ? list.begin() : list.end(), std::move(then));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->window() == window_) {
            QCoreApplication::instance()->removeEventFilter(this);
            // Queued: the rest of the window paints and is flushed before this runs.
            QTimer::singleShot(0, this, [this] {
                const auto list = std::move(then_);
                setObjectName({});   // a later registration starts a new watch
                deleteLater();
                for (const auto& then : list)
                    then();
            });
        }
        return false;
    }

private:
    static constexpr const char* Name = "FirstPaintWatch";

    explicit FirstPaintWatch(QWidget* window) : QObject(window), window_(window)
    {
        setObjectName(Name);
        QCoreApplication::instance()->installEventFilter(this);
    }

    QWidget* window_;
    std::vector<std::function<void()>> then_;
};

// Runs then once, right after window has first been painted; functions registered for one
// window run in order (Order::First puts one ahead of those already registered).
inline void afterFirstPaint(QWidget* window, std::function<void()> then,
                            FirstPaintWatch::Order order = FirstPaintWatch::Order::Last)
{
    FirstPaintWatch::add(window, std::move(then), order);
}

// For start-up measurements (bench/startup.sh): when QUORVEX_EXIT_WHEN_SHOWN is set, print the
// wall clock in microseconds the moment window has been painted ("painted N") and leave at
// once, so that the measurement ends at the first paint and counts neither the work that waits
// for it nor the teardown. Set to "ready", it goes on to the moment the work after the paint is
// done and the program would wait for input ("ready N"), and leaves then.
inline void exitAtFirstPaintWhenAsked(QWidget* window)
{
    if (!qEnvironmentVariableIsSet("QUORVEX_EXIT_WHEN_SHOWN"))
        return;
    static const auto say = [](const char* what) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("%s %lld\n", what,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
        std::fflush(stdout);
    };
    afterFirstPaint(window, [] {
        say("painted");
        if (qgetenv("QUORVEX_EXIT_WHEN_SHOWN") != "ready")
            std::_Exit(0);
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [] {
            say("ready");
            std::_Exit(0);
        });
    }, FirstPaintWatch::Order::First);
}

} // namespace quorvex
