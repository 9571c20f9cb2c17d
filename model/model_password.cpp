// The account's password in the desktop's keyring: read at start-up when the settings file holds
// none, written there when it does not hold the password in use, and then left out of the file.
// Until the keyring has taken it, the password stays in the file, so that no answer (or none in
// time) ever loses it.
#include "model/main_model.h"
#include "platform/secret_memory.h"
#include "platform/secret_store.h"
#include "scan/service_address.h"

namespace amiscan {

namespace {

bool isRealUserName(const QString &name)
{
    return !name.isEmpty() && name != texts::UserPlaceholder;
}

bool isRealPassword(const QString &password)
{
    return !password.isEmpty() && password != texts::PasswordPlaceholder;
}

} // namespace

void MainModel::setSecretStore(std::unique_ptr<SecretStore> store)
{
    m_secretStore = std::move(store);
}

SecretStore &MainModel::secretStore()
{
    if (!m_secretStore)
        m_secretStore = std::make_unique<NoSecretStore>();
    return *m_secretStore;
}

// One entry per service and user name: the service's address names it.
QString MainModel::keyringService() const
{
    const QUrl page = friendsPageUrl(m_state.serviceUrl);
    return QStringLiteral("Amiscan (%1)")
        .arg(page.adjusted(QUrl::RemovePath | QUrl::RemoveQuery).toString());
}

void MainModel::setKeyringState(KeyringState state, const QString &reason)
{
    m_state.keyringState = state;
    m_state.keyringReason = reason;
    emit keyringStateChanged();
}

// Start-up, once the settings are read: a password from the file moves to the keyring; without
// one the keyring is asked for it.
void MainModel::settlePasswordPlace()
{
    m_keyringHolds.reset();
    m_keyringWriting = false;
    if (m_state.passwordPlace != PasswordPlace::Keyring)
        return;
    if (isRealPassword(m_state.password))
        keepPasswordInKeyring();
    else if (isRealUserName(m_state.userName))
        askKeyringForPassword();
}

void MainModel::askKeyringForPassword()
{
    setKeyringState(KeyringState::Asking);
    const QString user = m_state.userName;
    secretStore().read(keyringService(), user, [this, user](const SecretStore::Answer &answer) {
        if (answer.outcome == SecretStore::Outcome::Done) {
            m_keyringHolds = std::pair{user, answer.secret};
            // What the user typed meanwhile wins.
            if (!isRealPassword(m_state.password) && m_state.userName == user &&
                isRealPassword(answer.secret)) {
                keepMemoryPrivate();
                m_state.password = m_state.savedPassword = answer.secret;
                emit passwordRestored();
            }
            setKeyringState(KeyringState::Holding);
        } else if (answer.outcome == SecretStore::Outcome::NotFound) {
            setKeyringState(KeyringState::Ready);
        } else {
            setKeyringState(KeyringState::None, answer.reason);
        }
        if (std::exchange(m_scanWhenLoginKnown, false))
            startScanButton();
    });
}

void MainModel::startScanOnceLoginKnown()
{
    if (m_state.keyringState == KeyringState::Asking && !m_keyringWriting)
        m_scanWhenLoginKnown = true;
    else
        startScanButton();
}

void MainModel::keepPasswordInKeyring()
{
    // The keyring holds what the file would.
    const QString user = m_state.userName;
    const QString password = m_state.password;
    if (m_state.passwordPlace != PasswordPlace::Keyring || m_keyringWriting ||
        !isRealUserName(user) || !isRealPassword(password) ||
        m_keyringHolds == std::pair{user, password} || m_ended)
        return;
    m_keyringWriting = true;
    if (m_state.keyringState != KeyringState::Holding)
        setKeyringState(KeyringState::Asking);
    secretStore().write(keyringService(), user, password,
                        [this, user, password](const SecretStore::Answer &answer) {
                            m_keyringWriting = false;
                            if (answer.outcome != SecretStore::Outcome::Done) {
                                setKeyringState(KeyringState::None, answer.reason);
                                return;
                            }
                            m_keyringHolds = std::pair{user, password};
                            setKeyringState(KeyringState::Holding);
                            // The file lets the password go; a newer one goes in turn.
                            if (m_passwordInFile)
                                saveSettings();
                            keepPasswordInKeyring();
                        });
}

void MainModel::forgetPasswordInKeyring()
{
    // A password the user took out of the box is gone from the keyring too.
    if (m_state.passwordPlace == PasswordPlace::Keyring && !isRealPassword(m_state.password) &&
        m_keyringHolds && m_keyringHolds->first == m_state.userName && !m_keyringWriting) {
        secretStore().remove(keyringService(), m_keyringHolds->first,
                             [](const SecretStore::Answer &) {});
        m_keyringHolds.reset();
        setKeyringState(KeyringState::Ready);
    }
}

bool MainModel::passwordOnlyInKeyring() const
{
    if (m_state.passwordPlace != PasswordPlace::Keyring)
        return false;
    if (!isRealPassword(m_state.password))
        return m_state.keyringState == KeyringState::Ready ||
               m_state.keyringState == KeyringState::Holding;
    return m_keyringHolds == std::pair{m_state.userName, m_state.password};
}

void MainModel::setPasswordPlace(PasswordPlace place)
{
    if (m_state.passwordPlace == place)
        return;
    m_state.passwordPlace = place;
    if (place == PasswordPlace::Keyring) {
        saveSettings();
        keepPasswordInKeyring();
        return;
    }
    // In the file now: written there first, then the keyring lets it go.
    saveSettings();
    if (const auto held = std::exchange(m_keyringHolds, std::nullopt))
        secretStore().remove(keyringService(), held->first, [](const SecretStore::Answer &) {});
    emit keyringStateChanged();
}

} // namespace amiscan
