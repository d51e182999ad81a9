#pragma once

#include <QObject>
#include <QString>

class QDBusMessage;

namespace host {

// A desktop-wide key offered through the desktop's shortcuts portal: the desktop asks the user
// for the key and tells us when it is pressed. Where the portal or its shortcuts interface is
// missing, or the user declines, nothing happens and nothing is said.
class GlobalShortcut : public QObject {
    Q_OBJECT
public:
    GlobalShortcut(QString id, QString description, QObject* parent = nullptr);
    ~GlobalShortcut() override;

    // Starts the exchange with the portal on the bus at that address; empty means no bus.
    void Register(const QString& busAddress);
    bool IsBound() const { return m_bound; }

signals:
    void activated();
    // The portal has the shortcut; the key is the desktop's and the user's to choose.
    void bound();

private slots:
    void onResponse(const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);

private:
    void createSession();
    void bindShortcut();
    QString requestPath(const QString& token) const;

    QString m_id;
    QString m_description;
    QString m_connectionName;
    QString m_sessionHandle;
    QString m_pendingRequest;
    bool m_bound = false;
};

} // namespace host
