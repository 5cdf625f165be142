#pragma once
// Every handler of a window is connected through a guard: an error that the handler does
// not catch ends that handler only and is shown in the application's error box, so that
// no exception ever crosses Qt's event loop.

#include <functional>
#include <type_traits>
#include <utility>

class Dialogs;
class QWidget;

class HandlerGuard {
public:
    HandlerGuard(Dialogs &dialogs, QWidget *owner) : m_dialogs(dialogs), m_owner(owner) {}

    // Runs the handler; returns false when it ended with an error (already shown).
    bool run(const std::function<void()> &handler) const;

    // A callable for QObject::connect that runs the handler through the guard,
    // whatever arguments the signal carries.
    template <class Handler>
    auto operator()(Handler handler) const
    {
        // Constrained so that Qt can tell how many of the signal's arguments it takes.
        return [this, handler](auto &&...args)
                   requires std::is_invocable_v<const Handler &, decltype(args)...>
        {
            run([&] { std::invoke(handler, std::forward<decltype(args)>(args)...); });
        };
    }

private:
    Dialogs &m_dialogs;
    QWidget *m_owner;
};
