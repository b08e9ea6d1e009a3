// The two user-facing hot paths, in the real windows on the offscreen platform:
//   "Calculate Total:" until the band's recommendation is in the guidelines box, and
//   "View Full RIR Guidelines" until the guidelines are in the viewer,
// each with its layout done. The baseline in the same run is Qt showing the same content from
// HTML (QTextBrowser::setHtml into a box of the same size), what any Qt program pays to show it.

#include "bench/timing_reporter.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/calculator/pick_list.h"
#include "ui/documents/documents.h"
#include "ui/documents/frm_readme_viewer.h"
#include "ui/documents/rich_text_box.h"
#include "ui/startup/application.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTest>
#include <QTextBrowser>

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

BENCHMARK(BM_CalculateToBandDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BandDocumentAsHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFullGuidelines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullGuidelinesAsHtml)->Unit(benchmark::kMillisecond);

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
