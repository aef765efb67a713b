// The confirmation report over many renamed files (10,000 unless a number
// is given) against a bare loop of lstat plus writing the same bytes; prints
// the ratio (target: at most 1.5). Usage: report_bench [files] [options]
#include "platform/codepage.h"
#include "report/report.h"

#include <benchmark/benchmark.h>
#include "bench_files.h"
#include "ratio_table.h"
#include "silent_prompter.h"
#include "support/forwarding_file_system.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int fileCount = 10000;

// The files renamed to upper case, SourceList and ResultList as the run
// left them.
struct Fixture {
    BenchFiles files{fileCount};
    Session session;
    std::string reportPath;
    std::string reportBytes;

    Fixture()
    {
        if (!bareRenameLoop(files)) std::abort();
        session.SourceList = files.lower;
        session.ResultList = files.upper;
        reportPath = files.dir + "/vorel.TXT";
        reportBytes = bareReportBytes(files.lower, files.upper);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}


class NoView : public ReportView {
public:
    void applyListSettings() override {}
    void fillList(const ReportLines& lines) override { benchmark::DoNotOptimize(lines.size()); }
};

// The system's file system with a lookup that is one bare lstat: the
// report's own cost apart from how the platform finds a stored name.
class LstatFileSystem : public ForwardingFileSystem {
public:
    EntryInfo lookupEntry(const Text& path) override
    {
        EntryInfo info;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return info;
        info.exists = true;
        info.isDirectory = S_ISDIR(st.st_mode);
        info.storedName = path.substr(path.rfind('/') + 1);
        return info;
    }
};

void runReport(benchmark::State& state, FileSystem& fs)
{
    Fixture& f = fixture();
    SilentPrompter prompter;
    NoView view;
    for (auto _ : state) {
        if (makeReport(f.session, fs, prompter, f.reportPath, view) != ReportOutcome::Saved)
            state.SkipWithError("report not saved");
    }
    if (reportEntries(f.session.ResultList, f.session.ReportList) != f.session.ResultList) state.SkipWithError("wrong report");
}

void BM_Report(benchmark::State& state)
{
    runReport(state, systemFileSystem());
}
BENCHMARK(BM_Report)->Unit(benchmark::kMillisecond);

void BM_ReportOverBareLstat(benchmark::State& state)
{
    LstatFileSystem fs;
    runReport(state, fs);
}
BENCHMARK(BM_ReportOverBareLstat)->Unit(benchmark::kMillisecond);

void BM_BareLstatAndWrite(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        if (!bareLstatAndWrite(f.files.upper, f.reportPath, f.reportBytes))
            state.SkipWithError("bare write failed");
    }
}
BENCHMARK(BM_BareLstatAndWrite)->Unit(benchmark::kMillisecond);

// The report's steps one by one, to see where its time goes.
void BM_StepBuildReportList(benchmark::State& state)
{
    Fixture& f = fixture();
    LstatFileSystem fs;
    PathList reportList;
    for (auto _ : state) buildReportList(fs, f.session.ResultList, reportList);
}
BENCHMARK(BM_StepBuildReportList)->Unit(benchmark::kMillisecond);

void BM_StepWriteReportFile(benchmark::State& state)
{
    Fixture& f = fixture();
    const ReportLines lines(f.session.SourceList, f.session.ResultList, f.session.ResultList);
    for (auto _ : state) writeReportFile(systemFileSystem(), f.reportPath, lines);
}
BENCHMARK(BM_StepWriteReportFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    setActiveCodePage(CodePage::Utf8);
    fileCount = takeFileCount(argc, argv, fileCount);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRow("confirmation report vs bare lstat + write", fileCount, "BM_Report",
                      "BM_BareLstatAndWrite", 1.5);
    // Past the floor by at most a fixed time, however many files.
    const auto own = reporter.realTime.find("BM_Report");
    const auto bare = reporter.realTime.find("BM_BareLstatAndWrite");
    if (own != reporter.realTime.end() && bare != reporter.realTime.end())
        std::printf("ROW | confirmation report minus bare lstat + write, ms | %d | %.1f | %.1f | %+.1f ms | <= +200 ms |\n",
                    fileCount, own->second, bare->second, own->second - bare->second);
    benchmark::Shutdown();
    return 0;
}
