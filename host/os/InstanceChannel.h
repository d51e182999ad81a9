#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <memory>

namespace host {

// Where the copies of the program in one desktop session meet: a name on the session bus,
// or, without a bus, a lock and a socket in the user's own runtime folder.
struct InstancePlace {
    QString busAddress; // empty: no bus
    QString busName;
    QString lockPath;
    QString socketPath;
};

// The place for this user on this display. A per-user bus can serve several graphical
// sessions, each with its own panel, so the display is part of the key.
InstancePlace SessionInstancePlace(const QString& busAddress, const QString& display);

enum class ClaimOutcome {
    First,      // no other copy runs: this one is now the copy later starts hand over to
    HandedOver, // another copy runs and was asked to come forward
    NoAnswer,   // another copy runs but did not answer in time
};

// The link between the copies of the program. The first copy hears activationRequested
// whenever a later start hands over to it.
class InstanceLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual ClaimOutcome Claim(int answerTimeoutMs) = 0;
    // The first copy opens its channel to later starts; until then they wait for it.
    virtual void Listen() = 0;
    virtual bool IsFirst() const = 0;

signals:
    void activationRequested();
};

class SessionInstanceLink : public InstanceLink {
    Q_OBJECT
public:
    explicit SessionInstanceLink(InstancePlace place, QObject* parent = nullptr);
    ~SessionInstanceLink() override;

    ClaimOutcome Claim(int answerTimeoutMs) override;
    void Listen() override;
    bool IsFirst() const override;
    // How later starts reach this copy: "bus", "socket", or empty while it does not listen.
    QString Channel() const;

private:
    ClaimOutcome HandOver(const QDeadlineTimer& deadline);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace host
