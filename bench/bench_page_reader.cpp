#include "scan/page_reader.h"

#include <benchmark/benchmark.h>

namespace {

// A friends page of about 1 MiB as the service sends it, with its 200 entries spread over the
// whole page so that the reader has to cross all of it.
QString makeFriendsPage()
{
    constexpr int Entries = 200;
    constexpr qsizetype PageSize = 1 << 20;
    const QString filler =
        QStringLiteral("<div class=\"row\"><span class=\"note\">Latest news (updated)</span> "
                       "<a href=\"/my/account/news.php?id=42&amp;lang=en\">more</a></div>\n");
    QString page = QStringLiteral("<html><body><h2>Friends Online Now: (200)</h2><ul>\n");
    for (int i = 1; i <= Entries; ++i) {
        page += QStringLiteral("<li style=\"list-style:none;padding:5px\">Friend %1"
                               "<small>(friend.%1)</small></li>\n")
                    .arg(i);
        while (page.size() < PageSize * i / Entries)
            page += filler;
    }
    page += QStringLiteral("</ul></body></html>");
    return page;
}

void BM_ReadFriendsPage(benchmark::State &state)
{
    const QString page = makeFriendsPage();
    for (auto _ : state) {
        QList<amiscan::FriendEntry> entries = amiscan::readFriendsPage(page, 1);
        benchmark::DoNotOptimize(entries);
        if (entries.size() != 200)
            state.SkipWithError("the page did not give 200 entries");
    }
    // The page is plain ASCII: one byte per character as the service sends it.
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_ReadFriendsPage)->Unit(benchmark::kMicrosecond);

} // namespace
