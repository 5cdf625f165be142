#include "platform/handlerguard.h"

#include "platform/dialogs.h"

#include <QString>
#include <exception>

bool HandlerGuard::run(const std::function<void()> &handler) const
{
    try {
        handler();
        return true;
    } catch (const std::exception &error) {
        m_dialogs.showError(m_owner, QString::fromUtf8(error.what()));
    } catch (...) {
        m_dialogs.showError(m_owner, QStringLiteral("Unknown error"));
    }
    return false;
}
