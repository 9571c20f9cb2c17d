#include "platform/keychain_secret_store.h"

#include "platform/logging.h"

#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>

namespace amiscan {

namespace {

// The answer a job gave: a job without error did what it was asked; one that found no keyring,
// was refused or failed otherwise counts as no keyring.
SecretStore::Answer answerOf(QKeychain::Job *job)
{
    SecretStore::Answer answer;
    switch (job->error()) {
    case QKeychain::NoError:
        answer.outcome = SecretStore::Outcome::Done;
        if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(job))
            answer.secret = read->textData();
        break;
    case QKeychain::EntryNotFound:
        answer.outcome = SecretStore::Outcome::NotFound;
        break;
    default:
        answer.reason = job->errorString();
        break;
    }
    return answer;
}

} // namespace

void NoSecretStore::answer(const Callback &callback)
{
    QTimer::singleShot(0, this, [callback] {
        callback({SecretStore::Outcome::NoKeyring, {}, QStringLiteral("no keyring is used")});
    });
}

KeychainSecretStore::KeychainSecretStore(int timeoutMs, QObject *parent)
    : SecretStore(parent), m_timeoutMs(timeoutMs)
{
}

KeychainSecretStore::~KeychainSecretStore() = default;

namespace {

// Starts the job and answers once, with its result or with the time limit's. The job is nobody's
// child: one still waiting for the keyring cannot be deleted safely, so it deletes itself when
// it ends, if ever.
void run(SecretStore *store, QKeychain::Job *job, const QString &user, int timeoutMs,
         const SecretStore::Callback &callback)
{
    auto answered = std::make_shared<bool>(false);
    job->setAutoDelete(true);
    job->setKey(user);
    QObject::connect(
        job, &QKeychain::Job::finished, store, [callback, answered](QKeychain::Job *finished) {
            if (std::exchange(*answered, true))
                return;
            const SecretStore::Answer answer = answerOf(finished);
            if (answer.outcome == SecretStore::Outcome::NoKeyring)
                qCInfo(keyringLog, "The keyring did not answer: %s", qPrintable(answer.reason));
            callback(answer);
        });
    QTimer::singleShot(timeoutMs, store, [callback, answered, timeoutMs] {
        if (std::exchange(*answered, true))
            return;
        qCInfo(keyringLog, "The keyring has not answered in %d ms", timeoutMs);
        callback({SecretStore::Outcome::NoKeyring,
                  {},
                  QStringLiteral("the keyring did not answer in time")});
    });
    job->start();
}

} // namespace

void KeychainSecretStore::read(const QString &service, const QString &user, Callback callback)
{
    run(this, new QKeychain::ReadPasswordJob(service), user, m_timeoutMs, callback);
}

void KeychainSecretStore::write(const QString &service, const QString &user, const QString &secret,
                                Callback callback)
{
    auto *job = new QKeychain::WritePasswordJob(service);
    job->setTextData(secret);
    run(this, job, user, m_timeoutMs, callback);
}

void KeychainSecretStore::remove(const QString &service, const QString &user, Callback callback)
{
    run(this, new QKeychain::DeletePasswordJob(service), user, m_timeoutMs, callback);
}

} // namespace amiscan
