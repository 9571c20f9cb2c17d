#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace amiscan {

// How a later start for the same data directory reaches the copy already running: a local socket
// in the user's runtime directory beside the single-copy lock, named after the data directory as
// the lock is, and open to the user only. A request is one line of text; lines the running copy
// does not know are let go, so that later starts may ask for more.
class CopyChannel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CopyChannel)

public:
    explicit CopyChannel(const QString &dataDir, QObject *parent = nullptr);
    ~CopyChannel() override;

    // For the copy that holds the single-copy lock only: whatever a copy that crashed left under
    // the name is removed first. False when it cannot listen, with errorString() saying why.
    bool listen();
    bool isListening() const;
    QString errorString() const;

    // From a later start: asks the running copy to bring its window back. False, with
    // errorString(), when no copy took the request.
    bool askToShow();

    // Empty when the user has no runtime directory.
    static QString nameFor(const QString &dataDir);

signals:
    // A later start asked for the window.
    void showRequested();

private:
    void answer(QLocalSocket *socket);
    void readRequests(QLocalSocket *socket);

    const QString m_name;
    QLocalServer *m_server = nullptr;
    QString m_error;
};

} // namespace amiscan
