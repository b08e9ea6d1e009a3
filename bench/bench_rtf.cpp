// How fast the reader is, against Qt's own cost of building a document from the same content
// as HTML, and how much memory a built document takes against the size of its file. Then whole
// conversions of a large file of short formatted runs, each in a child process of its own so
// that its peak memory is its own: rtf2text against the C converter unrtf, and the built
// document against Qt's setHtml. The ratios printed at the end are the figures that matter;
// absolute times vary by machine.

#include "bench/generated_document.h"
#include "bench/timing_reporter.h"
#include "rtf/rtf.h"
#include "rtf/tokenizer.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

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
void summary(const bench::TimingReporter& r) {
    for (const qsizetype size : kSizes) {
        const std::string arg = "/" + std::to_string(size);
        const double build = r.time("BM_BuildDocument" + arg);
        const double html = r.time("BM_QtSetHtml" + arg);
        const double tokenize = r.time("BM_Tokenize" + arg);
        if (build <= 0 || html <= 0 || tokenize <= 0)
            continue;
        const double mb = double(document(size).rtf.size()) / 1e6;
        std::printf("%6.1f MB file: tokenize %7.1f MB/s, build %6.1f MB/s, setHtml %6.1f MB/s, "
                    "build/setHtml time ratio %.2f\n",
                    mb, mb / (tokenize / 1e3), mb / (build / 1e3), mb / (html / 1e3), build / html);
    }
}

struct ChildRun {
    double seconds = 0;
    double peakMb = 0;
    bool ok = false;
};

// In a fresh, small process: runs the program with its output thrown away and writes its time,
// peak resident memory and success to `report`. A process forked from the benchmark itself, or
// spawned from it, would count the benchmark's own pages in its peak.
int measure(const char* report, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    FILE* out = std::fopen(report, "w");
    if (!out)
        return 1;
    std::fprintf(out, "%f %ld %d\n", seconds, usage.ru_maxrss,
                 WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::fclose(out);
    return 0;
}

// The child reports into a file of the caller's own folder, so that runs side by side (the two
// builds' tests) never read each other's figures.
ChildRun runChild(const std::string& self, const std::string& report,
                  const std::vector<std::string>& args) {
    std::vector<std::string> all{self, "--measure", report};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (const std::string& a : all)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return {};
    int status = 0;
    waitpid(pid, &status, 0);
    ChildRun run;
    long peakKb = 0;
    int ok = 0;
    if (FILE* in = std::fopen(report.c_str(), "r")) {
        if (std::fscanf(in, "%lf %ld %d", &run.seconds, &peakKb, &ok) != 3)
            ok = 0;
        std::fclose(in);
    }
    std::remove(report.c_str());
    run.peakMb = peakKb / 1024.0;
    run.ok = ok == 1;
    return run;
}

ChildRun best(const std::string& self, const QTemporaryDir& dir,
              const std::vector<std::string>& args, int rounds = 3) {
    const std::string report = dir.filePath("child-report.txt").toStdString();
    ChildRun result{1e9, 1e9, true};
    for (int i = 0; i < rounds; ++i) {
        const ChildRun run = runChild(self, report, args);
        result.ok = result.ok && run.ok;
        result.seconds = std::min(result.seconds, run.seconds);
        result.peakMb = std::min(result.peakMb, run.peakMb);
    }
    return result;
}

// The children's own work: build a document from a file, one way or the other.
int child(const char* what, const char* path) {
    QTextDocument doc;
    if (std::strcmp(what, "build") == 0) {
        if (!rtf::loadFile(QString::fromLocal8Bit(path), &doc).ok)
            return 1;
    } else {
        QFile file(QString::fromLocal8Bit(path));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        doc.setHtml(QString::fromUtf8(file.readAll()));
    }
    return doc.blockCount() > 0 ? 0 : 1;
}

// Returns whether every conversion worked; the figures of a failed one mean nothing.
bool conversions(const std::string& self, int megabytes) {
    QTemporaryDir dir;
    const std::string bin = QCoreApplication::applicationDirPath().toStdString();
    bool written = dir.isValid();
    auto write = [&](int mb, const char* name) {
        const bench::GeneratedDocument doc = bench::generateFormatHeavy(qsizetype(mb) << 20);
        QFile rtf(dir.filePath(QString(name) + ".rtf")),
            html(dir.filePath(QString(name) + ".html"));
        const QByteArray htmlBytes = doc.html.toUtf8();
        written = written && rtf.open(QIODevice::WriteOnly) &&
                  rtf.write(doc.rtf) == doc.rtf.size() && html.open(QIODevice::WriteOnly) &&
                  html.write(htmlBytes) == htmlBytes.size();
        return rtf.fileName().toStdString();
    };
    const std::string large = write(megabytes, "large");
    const std::string third = write(std::max(1, megabytes / 3), "third");
    const std::string largeHtml = large.substr(0, large.size() - 3) + "html";
    std::printf("\nA %d MB file of short formatted runs, converted in processes of their own "
                "(best of 3):\n",
                megabytes);
    const ChildRun ours = best(self, dir, {bin + "/rtf2text", large});
    const ChildRun ourThird = best(self, dir, {bin + "/rtf2text", third});
    std::printf("  rtf2text, text as it reads   %6.2f s %7.1f MB peak (%d MB file: %.1f MB)\n",
                ours.seconds, ours.peakMb, std::max(1, megabytes / 3), ourThird.peakMb);
    if (!QStandardPaths::findExecutable("unrtf").isEmpty()) {
        const ChildRun theirs = best(self, dir, {"unrtf", "--text", large});
        std::printf("  unrtf --text                 %6.2f s %7.1f MB peak\n", theirs.seconds,
                    theirs.peakMb);
        std::printf("  -> rtf2text is %.1fx as fast as unrtf (target 3x); peak %.1f MB "
                    "(target under 50 MB, whatever the size)\n",
                    theirs.seconds / ours.seconds, ours.peakMb);
    } else {
        std::printf("  unrtf --text: not installed, no comparison\n");
    }
    const ChildRun build = best(self, dir, {self, "--child", "build", large});
    const ChildRun html = best(self, dir, {self, "--child", "html", largeHtml});
    std::printf("  document from the RTF        %6.2f s %7.1f MB peak\n", build.seconds,
                build.peakMb);
    std::printf("  Qt setHtml of the same       %6.2f s %7.1f MB peak\n", html.seconds,
                html.peakMb);
    std::printf("  -> building the document takes %.2fx the memory of setHtml (target 1x or "
                "less), %.2fx its time\n",
                build.peakMb / html.peakMb, build.seconds / html.seconds);
    const bool ok = written && ours.ok && ourThird.ok && build.ok && html.ok;
    if (!ok)
        std::fprintf(stderr, "bench_rtf: a conversion failed, so these figures mean nothing\n");
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--measure") == 0)
        return measure(argv[2], argv + 3); // before Qt: this process must stay small
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], argv[3]);
    int megabytes = 30; // --conversion-mb=N; 0 leaves the conversions out
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--conversion-mb=", 16) == 0)
            megabytes = std::atoi(argv[i] + 16);
    bench::runBenchmarks(argc, argv, summary);
    if (megabytes > 0 &&
        !conversions(QCoreApplication::applicationFilePath().toStdString(), megabytes))
        return 1;
    return 0;
}
