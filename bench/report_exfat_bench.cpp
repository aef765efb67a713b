// The confirmation report over 10,000 and 30,000 renamed files in one
// directory of an exFAT image mounted through FUSE (exfat-fuse), where every
// look-up by name walks the directory. The report lists the directory once,
// so its cost grows with the number of files: the row gives the time at
// 30,000 files against the time at 10,000 (linear: 3; target at most 3.6).
// Needs root, a loop device, /dev/fuse, exfatprogs and exfat-fuse; prints
// why and no row where the mount is refused.
#include "platform/codepage.h"
#include "report/report.h"

#include <benchmark/benchmark.h>
#include "ratio_table.h"
#include "silent_prompter.h"
#include "support/test_mount.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <sys/stat.h>

namespace {

TestMount& exfat()
{
    static TestMount mount(TestMount::Kind::Exfat);
    return mount;
}

// count empty files named as an upper-case run leaves them, in a directory
// of their own on the exFAT mount; the report goes to the ordinary temporary
// directory.
struct Fixture {
    Session session;
    std::string reportPath;

    explicit Fixture(int count)
    {
        const std::string dir = exfat().path() + "/files-" + std::to_string(count);
        std::filesystem::create_directory(dir);
        StringList source, result;
        for (int i = 0; i < count; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "/renamed file %05d.TXT", i);
            const std::string path = dir + name;
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (!f) std::abort();
            std::fclose(f);
            std::snprintf(name, sizeof name, "/renamed file %05d.txt", i);
            source.push_back(dir + name);
            result.push_back(path);
        }
        session.SourceList = source;
        session.ResultList = result;
        reportPath = (std::filesystem::temp_directory_path() / "vorel-exfat-bench.TXT").string();
    }
    ~Fixture() { std::remove(reportPath.c_str()); }
};

Fixture& fixture(int count)
{
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    std::unique_ptr<Fixture>& f = fixtures[count];
    if (!f) f = std::make_unique<Fixture>(count);
    return *f;
}

class NoView : public ReportView {
public:
    void applyListSettings() override {}
    void fillList(const ReportLines& lines) override { benchmark::DoNotOptimize(lines.size()); }
};

void reportOnExfat(benchmark::State& state, int count)
{
    Fixture& f = fixture(count);
    SilentPrompter prompter;
    NoView view;
    for (auto _ : state) {
        if (makeReport(f.session, systemFileSystem(), prompter, f.reportPath, view) != ReportOutcome::Saved)
            state.SkipWithError("report not saved");
    }
    if (reportEntries(f.session.ResultList, f.session.ReportList) != f.session.ResultList) state.SkipWithError("wrong report");
}

// One bare lstat per file, for comparison: the file system's own cost of
// finding each name.
void bareLstatOnExfat(benchmark::State& state, int count)
{
    Fixture& f = fixture(count);
    for (auto _ : state) {
        struct stat st;
        int found = 0;
        for (const std::string& path : f.session.ResultList) found += ::lstat(path.c_str(), &st) == 0;
        benchmark::DoNotOptimize(found);
    }
}

// Reading the directory once, as the report does.
void listingOnExfat(benchmark::State& state, int count)
{
    Fixture& f = fixture(count);
    const std::string dir = f.session.ResultList.front().substr(0, f.session.ResultList.front().rfind('/'));
    std::vector<DirEntry> entries;
    for (auto _ : state) {
        if (!systemFileSystem().listDirectory(dir, entries)) state.SkipWithError("listing failed");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // The repetitions at 10,000 and 30,000 files take turns, so that both
    // sizes see the machine's load alike.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int argCount = static_cast<int>(args.size());
    benchmark::Initialize(&argCount, args.data());
    setActiveCodePage(CodePage::Utf8);
    if (!exfat().mounted()) {
        std::fprintf(stderr, "exFAT benchmark not run: %s\n", exfat().why().c_str());
        return 0;
    }
    for (const int count : {10000, 30000}) {
        const std::string n = std::to_string(count);
        // Medians of five, as other programs share the machine.
        benchmark::RegisterBenchmark(("BM_ReportOnExfat" + n).c_str(), reportOnExfat, count)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(10)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("BM_ListingOnExfat" + n).c_str(), listingOnExfat, count)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(10)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    }
    benchmark::RegisterBenchmark("BM_BareLstatOnExfat10000", bareLstatOnExfat, 10000)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRow("confirmation report on exFAT (FUSE), 30000 vs 10000 files", 30000,
                      "BM_ReportOnExfat30000", "BM_ReportOnExfat10000", 3.6);
    reporter.printRow("confirmation report on exFAT (FUSE) vs bare lstat per file", 10000,
                      "BM_ReportOnExfat10000", "BM_BareLstatOnExfat10000", 1.0);
    benchmark::Shutdown();
    return 0;
}
