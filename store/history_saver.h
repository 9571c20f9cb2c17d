#pragma once

#include "store/file_patcher.h"
#include "store/friends_table.h"
#include "store/history_file.h"
#include "store/safe_file.h"

#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace amiscan {

// Writes the history file on a thread of its own, from a copy of the table, so that the window
// never waits for the formatting and the disk. One file is written at a time, each whole or not
// at all; a save asked for while another is being written waits for it, and only the latest of
// those waiting is written, so the file always ends with the latest content. A save that fails
// is kept, to be written again when asked for, until a newer one replaces it.
class HistorySaver final
{
    Q_DISABLE_COPY_MOVE(HistorySaver)

public:
    HistorySaver();
    // Waits for the save under way and the one waiting, if any.
    ~HistorySaver();

    // Returns at once. The copy of the table shares its texts with the table until either changes.
    void save(const QString &path, const FriendsTable &table, const QString &lastScanStamp);
    // Returns once every save asked for so far has ended.
    void wait();

    // Why the latest save written failed; empty once a save has succeeded since.
    std::optional<SaveFailure> failure();
    // Writes again the latest save when it failed, unless a newer one is waiting. Returns at once.
    void retry();

private:
    struct Job
    {
        QString path;
        FriendsTable table;
        QString lastScanStamp;
    };
    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Job> m_waiting;
    std::optional<Job> m_failedJob;
    std::optional<SaveFailure> m_failure;
    bool m_writing = false;
    bool m_stopping = false;
    // Used by the saving thread only; it keeps the order of the names from save to save.
    history::Formatter m_formatter;
    // Used by the saving thread only; it writes only what changed since its last save.
    FilePatcher m_file;
    std::thread m_thread;
};

} // namespace amiscan
