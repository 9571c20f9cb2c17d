// The model's two files: the friends history and the settings.
// No failure loses what the files held before; a save that fails is remembered, written again
// at the next one, and told at the end of the run.
#include "model/main_model.h"
#include "model/settings_table.h"
#include "platform/secret_memory.h"
#include "scan/presence_merge.h"
#include "store/clock.h"
#include "store/data_dir.h"
#include "store/history_file.h"
#include "store/history_saver.h"
#include "store/memory_release.h"
#include "store/presence_log.h"
#include "store/settings_file.h"

namespace amiscan {

namespace {

// The first scan finds the index of names built this long after start-up.
constexpr int NameIndexDelayMs = 500;

// A file that could not be read at start-up is kept under a name of its own before the first
// save, whatever it holds by then: the program never had its content. False when it is still in
// the way (it could not be moved), so that it is not written over either.
bool moveUnreadAside(const QString &path, bool &unread, QString *error)
{
    if (unread && fileExists(path))
        unread = keepFileAside(path, QStringLiteral("unreadable"), error).isEmpty();
    else
        unread = false;
    return !unread;
}

} // namespace

void MainModel::saveHistory()
{
    // Once the program has ended, what its way out saved (or chose not to) stays as it is.
    if (m_ended)
        return;
    const QString path = historyFilePath(m_dataDir);
    // A run that started without a history creates none until a scan has been merged. A history
    // read or a save already asked for counts as the file, which may be gone with its directory
    // or not written yet.
    if (!m_state.dataPresent && !fileExists(path) && m_state.scanState != ScanState::PageRead)
        return;
    QString error;
    if (moveUnreadAside(path, m_state.historyUnreadable, &error)) {
        m_historySaver->save(path, m_table, m_state.lastScanStamp);
        m_historyAsideFailure.reset();
    } else {
        m_historyAsideFailure = SaveFailure{path, error};
    }
    m_state.dataPresent = true;
}

void MainModel::waitForHistorySave()
{
    m_historySaver->wait();
}

void MainModel::retryFailedSaves()
{
    if (m_historyAsideFailure)
        saveHistory();
    else
        m_historySaver->retry();
    if (m_settingsFailure)
        saveSettings();
}

std::optional<SaveFailure> MainModel::saveFailure() const
{
    if (m_historyAsideFailure)
        return m_historyAsideFailure;
    if (const auto failure = m_historySaver->failure())
        return failure;
    return m_settingsFailure;
}

void MainModel::readHistoryAhead()
{
    const QString path = historyFilePath(m_dataDir);
    if (m_historyAhead.valid() || !fileExists(path))
        return;
    m_historyAhead = std::async(std::launch::async, [path] {
        HistoryRead read;
        read.result = history::readFile(path, read.table);
        return read;
    });
}

void MainModel::loadHistory()
{
    const QString path = historyFilePath(m_dataDir);
    std::optional<HistoryRead> ahead;
    if (m_historyAhead.valid())
        ahead = m_historyAhead.get();
    if (!ahead && !fileExists(path)) {
        if (fileExists(presenceLogPath(m_dataDir)))
            openLog();
        return;
    }
    m_state.dataPresent = true;
    m_historyRead = true;
    emit historyReading();
    if (ahead)
        m_table = std::move(ahead->table);
    const history::ReadResult read = ahead ? ahead->result : history::readFile(path, m_table);
    m_state.lastScanStamp = read.lastScanStamp;
    m_state.historyUnreadable = !read.intact;
    // The log takes the two sessions of each friend once, the first time it is started.
    openLog();
    m_historyImportDue = true;
    QTimer::singleShot(0, this, &MainModel::postHistoryImport);
    // Checking the stored lengths and indexing the names spare the first scan that work; both
    // are done a moment after the window is up (a scan before then does them itself).
    QTimer::singleShot(NameIndexDelayMs, this, [this] {
        markCurrentLengths(m_table);
        m_table.indexNames();
        // The file's text and the parts read from it are gone by now.
        releaseFreedMemory();
    });
}

void MainModel::readSettings()
{
    const settings::ReadResult read =
        settings::readFile(settingsFilePath(m_dataDir), ownSettingKeys());
    if (!read.exists)
        return;
    m_state.settingsUnreadable = !read.readable;
    applySettings(m_state, read);
    m_state.serviceUrl = read.serviceUrl;
    m_state.keepDays = read.keepDays;
    m_keepDaysKnown = read.keepDays.has_value();
    m_passwordInFile =
        !m_state.password.isEmpty() && m_state.password != texts::PasswordPlaceholder;
    if (m_passwordInFile)
        keepMemoryPrivate();

    saveSettings();
}

settings::OwnValues MainModel::ownValues() const
{
    settings::OwnValues values = ownSettingsToWrite(m_state);
    if (m_keepDaysKnown)
        values.append({{settings::LogSection, settings::KeepDaysKey},
                       m_state.keepDays ? QString::number(*m_state.keepDays) : QString()});
    return values;
}

void MainModel::saveSettings()
{
    // Before the history has been read or written once, the settings are never written.
    if (!m_state.dataPresent || m_ended)
        return;
    const QString interval = m_state.intervalEntry;
    settings::Values values = settingsToWrite(m_state);
    if (m_state.intervalEntry != interval)
        emit intervalEntryChanged(m_state.intervalEntry);
    // The keyring that holds the password keeps it alone.
    if (passwordOnlyInKeyring())
        values[settings::UserPw].clear();
    const QString path = settingsFilePath(m_dataDir);
    QString error;
    if (moveUnreadAside(path, m_state.settingsUnreadable, &error) &&
        settings::writeFile(path, values, &error, ownValues())) {
        m_settingsFailure.reset();
        m_passwordInFile = !values[settings::UserPw].isEmpty() &&
                           values[settings::UserPw] != texts::PasswordPlaceholder;
    } else {
        m_settingsFailure = SaveFailure{path, error};
    }
    forgetPasswordInKeyring();
    keepPasswordInKeyring();
}

void MainModel::setKeepDays(std::optional<int> days)
{
    m_state.keepDays = days;
    m_keepDaysKnown = true;
    saveSettings();
    m_retainedOn = QDate();
    applyRetention();
}

void MainModel::forgetAllHistory()
{
    presenceLog().forgetAll();
}

PresenceLog &MainModel::presenceLog()
{
    openLog();
    postHistoryImport();
    return *m_log;
}

void MainModel::postHistoryImport()
{
    if (!m_historyImportDue || !m_log)
        return;
    m_historyImportDue = false;
    m_log->importHistory(m_table);
}

} // namespace amiscan
