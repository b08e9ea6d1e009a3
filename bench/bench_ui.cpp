// The two user-facing hot paths, in the real windows on the offscreen platform:
//   "Calculate Total:" until the band's recommendation is in the guidelines box, and
//   "View Full RIR Guidelines" until the guidelines are in the viewer,
// each with its layout done. The baseline in the same run is Qt showing the same content from
// HTML (QTextBrowser::setHtml into a box of the same size), what any Qt program pays to show it.
// Also the planner showing a sixteen-day forecast and the event log showing the busiest day of
// a full log, each laid out and painted, against opening the full guidelines in the viewer.

#include "bench/timing_reporter.h"
#include "eventlog/event_log.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/calculator/pick_list.h"
#include "ui/documents/documents.h"
#include "ui/documents/frm_readme_viewer.h"
#include "ui/documents/rich_text_box.h"
#include "ui/eventlog/event_log_keeper.h"
#include "ui/eventlog/frm_event_log.h"
#include "ui/planner/frm_event_planner.h"
#include "ui/startup/application.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimeZone>

#include <benchmark/benchmark.h>

using namespace orvane::ui;

namespace {

frm_Solvane_Calc* answeredCalculator() {
    frm_Solvane_Calc* calc = frm_Solvane_Calc::Show();
    for (const char* key : {"Dry_Bulb", "Duration", "Intensity", "Acclimatization", "Ability",
                            "Age", "Drinks", "Time", "Surface", "Venue", "Medical"}) {
        calc->list(key)->setFocus();
        QTest::keyClick(calc->list(key), Qt::Key_End);
    }
    return calc;
}

// Lays the box's document out, as showing it on screen does.
void layOut(QTextEdit* box) {
    box->document()->documentLayout()->documentSize();
    QCoreApplication::processEvents();
}

QString htmlOf(const QString& storedName) {
    RichTextBox box;
    LoadDocument(&box, storedName);
    return box.document()->toHtml();
}

void BM_CalculateToBandDocument(benchmark::State& state) {
    frm_Solvane_Calc* calc = answeredCalculator();
    auto* box = calc->findChild<RichTextBox*>("txtGuidelines");
    for (auto _ : state) {
        calc->cmd_Calculate_Click();
        layOut(box);
    }
}

void BM_BandDocumentAsHtml(benchmark::State& state) {
    frm_Solvane_Calc* calc = answeredCalculator();
    auto* guidelines = calc->findChild<RichTextBox*>("txtGuidelines");
    const QString html = htmlOf("\\Risk Score  75 recommendation.rtf");
    QTextBrowser box(calc);
    box.setGeometry(guidelines->geometry());
    box.show();
    for (auto _ : state) {
        box.setHtml(html);
        layOut(&box);
    }
}

void BM_OpenFullGuidelines(benchmark::State& state) {
    frm_Solvane_Calc* calc = answeredCalculator();
    for (auto _ : state) {
        calc->cmd_RIR_Guidelines_Click();
        layOut(frmReadMeViewer::instance()->txtAirportHazards());
    }
    frmReadMeViewer::instance()->cmdBackfromReadme_Click();
}

void BM_FullGuidelinesAsHtml(benchmark::State& state) {
    frm_Solvane_Calc* calc = answeredCalculator();
    calc->cmd_RIR_Guidelines_Click();
    frmReadMeViewer* viewer = frmReadMeViewer::instance();
    const QString html = htmlOf(documents::kFullGuidelines);
    QTextBrowser box(viewer);
    box.setGeometry(viewer->txtAirportHazards()->geometry());
    box.show();
    for (auto _ : state) {
        box.setHtml(html);
        layOut(&box);
    }
    viewer->cmdBackfromReadme_Click();
}

// 384 hours from midnight in Adelaide: a warm day's shape, repeated.
orvane::weather::Forecast sixteenDays() {
    orvane::weather::Forecast f;
    f.latitude = -34.93;
    f.longitude = 138.6;
    f.timeZone = QStringLiteral("Australia/Adelaide");
    const qint64 start =
        QDateTime(QDate::currentDate(), QTime(0, 0), QTimeZone("Australia/Adelaide"))
            .toSecsSinceEpoch();
    for (int h = 0; h < 384; ++h) {
        const double warmth = std::max(0.0, 1 - std::abs(h % 24 - 15) / 9.0);
        f.hours.push_back({start + h * 3600, 22 + 14 * warmth, 60 - 30 * warmth, 3.0,
                           h % 24 >= 7 && h % 24 <= 19 ? 900 * warmth : 0.0, 1012.0});
    }
    return f;
}

void BM_PlannerSixteenDays(benchmark::State& state) {
    frm_Solvane_Calc* calc = answeredCalculator();
    calc->mnuPlanEventDay_Click();
    auto* planner = calc->findChild<frmEventPlanner*>();
    const orvane::weather::Forecast forecast = sixteenDays();
    for (auto _ : state) {
        planner->showForecast(forecast);
        benchmark::DoNotOptimize(planner->grab()); // laid out and painted
    }
    planner->close();
}

// A log of 100 events with 50 entries each, made once for the run.
QString fullLog(QTemporaryDir& dir) {
    using namespace orvane::eventlog;
    const QString path = dir.filePath("events.sqlite");
    auto log = EventLog::open(path, EventLog::Access::Create);
    const QTimeZone zone("Australia/Adelaide");
    for (int e = 0; e < 100; ++e) {
        const qint64 id = *log->addEvent({0,
                                          QStringLiteral("Event %1").arg(e),
                                          "Oval",
                                          QDate(2026, 1, 1).addDays(e),
                                          {},
                                          {},
                                          0});
        for (int i = 0; i < 50; ++i) {
            Entry entry;
            entry.eventId = id;
            entry.assessment.at = orvane::assessedAt(
                QDateTime(QDate(2026, 1, 1).addDays(e), QTime(7, 0), zone).addSecs(i * 900));
            entry.assessment.answers = {{"WBGT", "73-81.9", "10", {}},
                                        {"Medical", "None", "0", {}}};
            entry.assessment.total = std::to_string(50 + i % 30);
            entry.assessment.band = orvane::BandFor(50 + i % 30);
            entry.decision = QStringLiteral("Go ahead");
            log->addEntry(entry);
        }
    }
    return path;
}

void BM_EventLogBusiestDay(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("ORVANE_EVENT_LOG", fullLog(dir).toUtf8());
    frm_Solvane_Calc* calc = answeredCalculator();
    calc->mnuEventLog_Click();
    frmEventLog* window = calc->eventLog()->window();
    for (auto _ : state) {
        window->reload(window->shownEventId());
        benchmark::DoNotOptimize(window->grab());
    }
    window->close();
    calc->close();
}

BENCHMARK(BM_CalculateToBandDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BandDocumentAsHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFullGuidelines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullGuidelinesAsHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlannerSixteenDays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EventLogBusiestDay)->Unit(benchmark::kMillisecond);

class RatioReporter : public orvane::bench::TimingReporter {
public:
    void Finalize() override {
        TimingReporter::Finalize();
        auto line = [this](const char* what, const char* ours, const char* html, double target) {
            if (time(ours) > 0 && time(html) > 0)
                std::printf("%-36s %6.2f ms (target %4.0f ms), %.2f x Qt's HTML of the same\n",
                            what, time(ours), target, time(ours) / time(html));
        };
        line("Calculate Total: to band document", "BM_CalculateToBandDocument",
             "BM_BandDocumentAsHtml", 5);
        line("Full guidelines open in the viewer", "BM_OpenFullGuidelines",
             "BM_FullGuidelinesAsHtml", 50);
        auto against = [this](const char* what, const char* ours) {
            if (time(ours) > 0 && time("BM_OpenFullGuidelines") > 0)
                std::printf("%-36s %6.2f ms, %.2f x opening the full guidelines\n", what,
                            time(ours), time(ours) / time("BM_OpenFullGuidelines"));
        };
        against("Planner: 384 hours laid out, painted", "BM_PlannerSixteenDays");
        against("Event log: busiest day of 100 x 50", "BM_EventLogBusiestDay");
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpApplication(app);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
