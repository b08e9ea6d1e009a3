// Opening the event log as the "Event Log…" window does (open the file, list the events) for a
// log of 100 events with 50 entries each, against the same for an empty log, in one run; and
// reading the busiest day's entries, which the timeline and the table are drawn from. The
// logs are written through the log itself before timing, one transaction per entry as the
// program writes them, in memory-backed /dev/shm where there is one: 5000 synchronous commits
// to a disk take minutes, and opening reads the file from the page cache either way.

#include "bench/timing_reporter.h"
#include "eventlog/event_log.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <cstdio>

using namespace orvane::eventlog;

namespace {

constexpr int kEvents = 100;
constexpr int kEntriesPerEvent = 50;

struct Logs {
    QTemporaryDir dir{QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                          ? QStringLiteral("/dev/shm/bench_eventlog-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/bench_eventlog-XXXXXX")};
    QString empty = dir.filePath("empty.sqlite");
    QString busy = dir.filePath("busy.sqlite");
    qint64 busiestDay = 0;
    QString failure;
};

QString write(Logs& logs) {
    if (!EventLog::open(logs.empty, EventLog::Access::Create))
        return "the empty log could not be made";
    auto log = EventLog::open(logs.busy, EventLog::Access::Create);
    if (!log)
        return log.error().message;
    const QTimeZone zone("Australia/Adelaide");
    for (int e = 0; e < kEvents; ++e) {
        const auto day = log->addEvent(Event{
            0, QString("Carnival %1").arg(e), "Oval", QDate(2026, 1, 1).addDays(e), {}, {}, 0});
        if (!day)
            return day.error().message;
        logs.busiestDay = *day;
        for (int i = 0; i < kEntriesPerEvent; ++i) {
            Entry entry;
            entry.eventId = *day;
            entry.assessment.at = orvane::assessedAt(
                QDateTime(QDate(2026, 1, 1).addDays(e), QTime(7, 0), zone).addSecs(i * 900));
            for (const char* key : {"WBGT", "Duration", "Intensity", "Acclimatization", "Ability",
                                    "Age", "Drinks", "Time", "Surface", "Venue", "Medical"})
                entry.assessment.answers.push_back(
                    {key, "an option as the list shows it", "6", {}});
            entry.assessment.total = std::to_string(40 + i % 40);
            entry.assessment.band = orvane::BandFor(40 + i % 40);
            entry.decision = "Extra drinks breaks";
            entry.note = "Measured at the finish line";
            if (const auto added = log->addEntry(entry); !added)
                return added.error().message;
        }
    }
    return {};
}

Logs& logs() {
    static Logs made;
    static const bool written = [] {
        made.failure = write(made);
        return true;
    }();
    (void)written;
    return made;
}

void openAndList(benchmark::State& state, const QString& path, int events) {
    if (!logs().failure.isEmpty())
        return state.SkipWithError(qPrintable(logs().failure));
    for (auto _ : state) {
        const auto log = EventLog::open(path, EventLog::Access::ReadWrite);
        const auto listed = log ? log->events() : Result<QList<Event>>(log.error());
        if (!listed || listed->size() != events)
            return state.SkipWithError("the log did not list its events");
        benchmark::DoNotOptimize(listed->data());
    }
}

void BM_OpenEmptyLog(benchmark::State& state) {
    openAndList(state, logs().empty, 0);
}
void BM_OpenBusyLog(benchmark::State& state) {
    openAndList(state, logs().busy, kEvents);
}

void BM_BusiestDayEntries(benchmark::State& state) {
    if (!logs().failure.isEmpty())
        return state.SkipWithError(qPrintable(logs().failure));
    const auto log = EventLog::open(logs().busy, EventLog::Access::ReadOnly);
    for (auto _ : state) {
        const auto entries = log->entries(logs().busiestDay);
        if (!entries || entries->size() != kEntriesPerEvent)
            return state.SkipWithError("the day's entries were not read");
        benchmark::DoNotOptimize(entries->data());
    }
}

BENCHMARK(BM_OpenEmptyLog)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenBusyLog)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BusiestDayEntries)->Unit(benchmark::kMicrosecond);

class RatioReporter : public orvane::bench::TimingReporter {
public:
    void Finalize() override {
        TimingReporter::Finalize();
        const double empty = time("BM_OpenEmptyLog");
        const double busy = time("BM_OpenBusyLog");
        if (empty > 0 && busy > 0)
            std::printf("Opening a log of %d events x %d entries takes %.2f times as long as "
                        "opening an empty one (%.0f us against %.0f us)\n",
                        kEvents, kEntriesPerEvent, busy / empty, busy, empty);
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
