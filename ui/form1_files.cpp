// The main window's two files: the friends history and the settings.
// No failure loses what the files held before; a save that fails is remembered, written again
// at the next one, and told at the end of the run (see shut_down.cpp).
#include "platform/secret_memory.h"
#include "scan/presence_merge.h"
#include "store/data_dir.h"
#include "store/history_file.h"
#include "store/history_saver.h"
#include "store/safe_file.h"
#include "store/settings_file.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace amiscan {

namespace {

// The first scan finds the index of names built this long after start-up.
constexpr int NameIndexDelayMs = 500;

// A file that could not be read at start-up is kept under a name of its own before the first
// save, whatever it holds by then: the window never had its content. False when it is still in
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

void Form1::saveHistory()
{
    // Once the program has ended, what its way out saved (or chose not to) stays as it is.
    if (m_ended)
        return;
    const QString path = historyFilePath(m_dataDir);
    // A run that started without a history creates none until a scan has been merged. A history
    // read or a save already asked for counts as the file, which may be gone with its directory
    // or not written yet.
    if (!state.dataPresent && !fileExists(path) && state.scanState != ScanState::PageRead)
        return;
    QString error;
    if (moveUnreadAside(path, state.historyUnreadable, &error)) {
        m_historySaver->save(path, table, state.lastScanStamp);
        m_historyAsideFailure.reset();
    } else {
        m_historyAsideFailure = SaveFailure{path, error};
    }
    state.dataPresent = true;
}

void Form1::waitForHistorySave()
{
    m_historySaver->wait();
}

void Form1::retryFailedSaves()
{
    if (m_historyAsideFailure)
        saveHistory();
    else
        m_historySaver->retry();
    if (m_settingsFailure)
        saveSettings();
}

std::optional<SaveFailure> Form1::saveFailure() const
{
    if (m_historyAsideFailure)
        return m_historyAsideFailure;
    if (const auto failure = m_historySaver->failure())
        return failure;
    return m_settingsFailure;
}

void Form1::loadHistory()
{
    const QString path = historyFilePath(m_dataDir);
    if (!fileExists(path))
        return;
    state.dataPresent = true;
    LabInfo->setText(texts::ReadingFile);
    const history::ReadResult read = history::readFile(path, table);
    state.lastScanStamp = read.lastScanStamp;
    state.historyUnreadable = !read.intact;
    // Checking the stored lengths now spares the first scan that work; so does the index of
    // names, built a moment after the window is up, on its own.
    markCurrentLengths(table);
    QTimer::singleShot(NameIndexDelayMs, this, [this] { table.indexNames(); });
}

void Form1::readSettings()
{
    const settings::ReadResult read = settings::readFile(settingsFilePath(m_dataDir));
    if (!read.exists)
        return;
    state.settingsUnreadable = !read.readable;
    const auto value = [&read](settings::Key key) { return read.values[size_t(key)]; };
    const auto applyFlag = [&](settings::Key key, QCheckBox *box) {
        if (const auto on = settings::acceptedFlag(value(key)))
            box->setChecked(*on);
    };

    applyFlag(settings::AutoStart, CheckAutoStart);
    if (const auto hidden = settings::acceptedFlag(value(settings::AutoHide)))
        state.panelState = *hidden ? PanelState::Hidden : PanelState::Shown;
    state.userName = value(settings::UserName);
    state.password = value(settings::UserPw);
    TextTimerScan->setText(value(settings::ScanTimer));
    if (const auto on = settings::acceptedFlag(value(settings::TimerOn)))
        state.repeatOn = *on;
    applyFlag(settings::Filter, CheckFlter);
    applyFlag(settings::FriendsOff, CheckHideOff);
    applyFlag(settings::DisplayUser, CheckUser);
    applyFlag(settings::MinimizeIcon, CheckTray);
    if (const auto on = settings::acceptedFlag(value(settings::NotifyOnline)))
        state.notifyOnline = *on;
    state.serviceUrl = read.serviceUrl;
    if (!state.password.isEmpty() && state.password != texts::PasswordPlaceholder)
        keepMemoryPrivate();

    saveSettings();
}

void Form1::saveSettings()
{
    // Before the history has been read or written once, the settings are never written.
    if (!state.dataPresent || m_ended)
        return;
    if (state.userName.isEmpty())
        state.userName = texts::UserPlaceholder;
    if (state.password.isEmpty())
        state.password = texts::PasswordPlaceholder;
    if (TextTimerScan->text().isEmpty())
        TextTimerScan->setText(QStringLiteral("15"));

    settings::Values values;
    const auto set = [&values](settings::Key key, const QString &text) {
        values[size_t(key)] = text;
    };
    set(settings::AutoStart, settings::flagText(CheckAutoStart->isChecked()));
    set(settings::AutoHide, QString::number(int(state.panelState)));
    set(settings::UserName, state.userName);
    set(settings::UserPw, state.password);
    set(settings::ScanTimer, TextTimerScan->text());
    set(settings::TimerOn, settings::flagText(state.repeatOn));
    set(settings::Filter, settings::flagText(CheckFlter->isChecked()));
    set(settings::FriendsOff, settings::flagText(CheckHideOff->isChecked()));
    set(settings::DisplayUser, settings::flagText(CheckUser->isChecked()));
    set(settings::MinimizeIcon, settings::flagText(CheckTray->isChecked()));
    set(settings::NotifyOnline, settings::flagText(state.notifyOnline));
    const QString path = settingsFilePath(m_dataDir);
    QString error;
    if (moveUnreadAside(path, state.settingsUnreadable, &error) &&
        settings::writeFile(path, values, &error))
        m_settingsFailure.reset();
    else
        m_settingsFailure = SaveFailure{path, error};
}

} // namespace amiscan
