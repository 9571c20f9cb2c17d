#pragma once

#include "platform/secret_store.h"

namespace amiscan {

// The desktop's Secret Service keyring through QtKeychain, whose back end loads libsecret when
// the program runs. A call that has not answered within the time limit answers NoKeyring; its
// late answer is dropped.
class KeychainSecretStore final : public SecretStore
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeychainSecretStore)

public:
    // Long enough for the user to unlock the keyring when the desktop asks for its password.
    static constexpr int DefaultTimeoutMs = 25000;

    explicit KeychainSecretStore(int timeoutMs = DefaultTimeoutMs, QObject *parent = nullptr);
    ~KeychainSecretStore() override;

    void read(const QString &service, const QString &user, Callback callback) override;
    void write(const QString &service, const QString &user, const QString &secret,
               Callback callback) override;
    void remove(const QString &service, const QString &user, Callback callback) override;

private:
    int m_timeoutMs;
};

} // namespace amiscan
