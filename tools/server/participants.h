#pragma once
// The presence server's registry: who announced itself, from which address and since when.
// Pure logic with an injected clock; the daemon feeds it and prints what changed.

#include <QDateTime>
#include <QList>
#include <QString>
#include <chrono>
#include <functional>

struct Participant {
    QString computer;   // as announced; may hold blanks or be empty
    QString address;    // dotted IPv4 address, the registry's key
    QDateTime since;    // first announcement of this run of the client
    QDateTime lastSeen; // last announcement or query from this address

    friend bool operator==(const Participant &, const Participant &) = default;
};

class Participants {
public:
    using Clock = std::function<QDateTime()>;

    // expireAfter: a participant silent for longer is dropped by expire(); zero keeps
    // participants until they announce their close.
    Participants(Clock clock, std::chrono::seconds expireAfter);

    enum class Change { Added, Renewed, Removed, Unknown };

    // One participant per address: a second start announcement from the same address
    // (the client restarted, perhaps under another name) replaces the entry and starts
    // its time anew.
    Change connect(const QString &computer, const QString &address);
    // Removes the entry of that address and name; anything else is Unknown and changes nothing.
    Change disconnect(const QString &computer, const QString &address);
    // A query from the address shows the participant is still there.
    void seen(const QString &address);
    // Drops and returns every participant silent for longer than the expiry time.
    QList<Participant> expire();

    // Sorted by computer name (ignoring case), then address.
    QList<Participant> list() const;
    const Participant *find(const QString &address) const;
    int size() const { return int(m_entries.size()); }

private:
    Clock m_clock;
    std::chrono::seconds m_expireAfter;
    QList<Participant> m_entries;
};
