#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace amiscan {

// The desktop's keyring, where the account's password can be kept: one entry per service and
// user name. Every call answers later, on the caller's thread, and always answers; a keyring that
// is not running, stays locked or does not answer in time counts as none. Answers due after the
// store is gone are dropped.
class SecretStore : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SecretStore)

public:
    enum class Outcome
    {
        Done,      // read, written or removed
        NotFound,  // the keyring holds no such entry
        NoKeyring, // no keyring answered: see `reason`
    };
    struct Answer
    {
        Outcome outcome = Outcome::NoKeyring;
        QString secret; // what a read found
        QString reason; // why no keyring answered
    };
    using Callback = std::function<void(const Answer &)>;

    using QObject::QObject;
    ~SecretStore() override = default;

    virtual void read(const QString &service, const QString &user, Callback callback) = 0;
    virtual void write(const QString &service, const QString &user, const QString &secret,
                       Callback callback) = 0;
    virtual void remove(const QString &service, const QString &user, Callback callback) = 0;
};

// Where there is no keyring to ask: every call answers NoKeyring at once.
class NoSecretStore final : public SecretStore
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NoSecretStore)

public:
    using SecretStore::SecretStore;
    ~NoSecretStore() override = default;
    void read(const QString &, const QString &, Callback callback) override { answer(callback); }
    void write(const QString &, const QString &, const QString &, Callback callback) override
    {
        answer(callback);
    }
    void remove(const QString &, const QString &, Callback callback) override { answer(callback); }

private:
    void answer(const Callback &callback);
};

} // namespace amiscan
