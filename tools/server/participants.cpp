#include "participants.h"
#include "presencemessage.h"

#include <algorithm>

Participants::Participants(Clock clock, std::chrono::seconds expireAfter)
    : m_clock(std::move(clock)), m_expireAfter(expireAfter) {}

Participants::Change Participants::connect(const QString &computer, const QString &address) {
    const QDateTime now = m_clock();
    for (Participant &p : m_entries) {
        if (p.address == address) {
            p = {computer, address, now, now};
            return Change::Renewed;
        }
    }
    m_entries.append({computer, address, now, now});
    return Change::Added;
}

Participants::Change Participants::disconnect(const QString &computer, const QString &address) {
    const auto removed = m_entries.removeIf(
        [&](const Participant &p) { return p.address == address && p.computer == computer; });
    return removed > 0 ? Change::Removed : Change::Unknown;
}

void Participants::seen(const QString &address) {
    for (Participant &p : m_entries) {
        if (p.address == address)
            p.lastSeen = m_clock();
    }
}

QList<Participant> Participants::expire() {
    QList<Participant> expired;
    if (m_expireAfter.count() <= 0)
        return expired;
    const QDateTime now = m_clock();
    m_entries.removeIf([&](const Participant &p) {
        const bool silent = p.lastSeen.secsTo(now) > m_expireAfter.count();
        if (silent)
            expired.append(p);
        return silent;
    });
    return expired;
}

QList<Participant> Participants::list() const {
    QList<Participant> sorted = m_entries;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Participant &a, const Participant &b) {
        const int byName = QString::compare(a.computer, b.computer, Qt::CaseInsensitive);
        if (byName != 0)
            return byName < 0;
        return parseDottedIPv4(a.address).value_or(0) < parseDottedIPv4(b.address).value_or(0);
    });
    return sorted;
}

const Participant *Participants::find(const QString &address) const {
    for (const Participant &p : m_entries) {
        if (p.address == address)
            return &p;
    }
    return nullptr;
}
