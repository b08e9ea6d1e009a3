// How fast the reader is, against Qt's own cost of building a document from the same content
// as HTML, and how much memory a built document takes against the size of its file.
// The ratios printed at the end are the figures that matter; absolute times vary by machine.

#include "bench/generated_document.h"
#include "bench/timing_reporter.h"
#include "rtf/rtf.h"
#include "rtf/tokenizer.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <map>
#include <string>

using namespace orvane;

namespace {

const bench::GeneratedDocument& document(qsizetype size) {
    static std::map<qsizetype, bench::GeneratedDocument> cache;
    auto it = cache.find(size);
    if (it == cache.end())
        it = cache.emplace(size, bench::generateDocument(size)).first;
    return it->second;
}

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Heap the built document holds on to, which bounds the peak of a build: the reader's own
// buffers are a paragraph at a time. Measured through malloc because Qt's containers bypass
// operator new, and resident-set figures hide reused pages.
double heapBytesFor(const QByteArray& rtf) {
    const std::size_t before = heapInUse();
    QTextDocument doc;
    rtf::readDocument(rtf, &doc);
    doc.documentLayout(); // a shown document also has its layout
    const std::size_t after = heapInUse();
    return after > before ? double(after - before) : 0.0;
}

void BM_Tokenize(benchmark::State& state) {
    const QByteArray& rtf = document(state.range(0)).rtf;
    for (auto _ : state) {
        rtf::Tokenizer tok(std::string_view(rtf.constData(), std::size_t(rtf.size())));
        std::size_t count = 0;
        for (rtf::Token t = tok.next(); t.kind != rtf::Token::End; t = tok.next())
            ++count;
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

void BM_BuildDocument(benchmark::State& state) {
    const QByteArray& rtf = document(state.range(0)).rtf;
    for (auto _ : state) {
        QTextDocument doc;
        rtf::readDocument(rtf, &doc);
        benchmark::DoNotOptimize(doc.blockCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
    state.counters["heap_x_file"] = heapBytesFor(rtf) / double(rtf.size());
}

void BM_QtSetHtml(benchmark::State& state) {
    const auto& generated = document(state.range(0));
    for (auto _ : state) {
        QTextDocument doc;
        doc.setHtml(generated.html);
        benchmark::DoNotOptimize(doc.blockCount());
    }
    // Same content, so the rate is per RTF byte: directly comparable with BM_BuildDocument.
    state.SetBytesProcessed(state.iterations() * generated.rtf.size());
}

constexpr qsizetype kSizes[] = {100 << 10, 1 << 20, 10 << 20};

BENCHMARK(BM_Tokenize)
    ->Arg(kSizes[0])
    ->Arg(kSizes[1])
    ->Arg(kSizes[2])
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDocument)
    ->Arg(kSizes[0])
    ->Arg(kSizes[1])
    ->Arg(kSizes[2])
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtSetHtml)
    ->Arg(kSizes[0])
    ->Arg(kSizes[1])
    ->Arg(kSizes[2])
    ->Unit(benchmark::kMillisecond);

// Google Benchmark's table, then the ratios that matter.
class RatioReporter : public bench::TimingReporter {
public:
    void Finalize() override {
        TimingReporter::Finalize();
        for (const qsizetype size : kSizes) {
            const std::string arg = "/" + std::to_string(size);
            const double build = time("BM_BuildDocument" + arg);
            const double html = time("BM_QtSetHtml" + arg);
            const double tokenize = time("BM_Tokenize" + arg);
            if (build <= 0 || html <= 0 || tokenize <= 0)
                continue;
            const double mb = double(document(size).rtf.size()) / 1e6;
            std::printf("%6.1f MB file: tokenize %7.1f MB/s, build %6.1f MB/s, setHtml %6.1f MB/s, "
                        "build/setHtml time ratio %.2f\n",
                        mb, mb / (tokenize / 1e3), mb / (build / 1e3), mb / (html / 1e3),
                        build / html);
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
