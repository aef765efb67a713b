// The rename run over 10,000 files against a plain loop of bare rename(2),
// and a directory operation over 10,000 files against a bare listing plus
// renames; prints both ratios (target: at most 1.2).
#include "platform/codepage.h"
#include "rename/rename_run.h"

#include <benchmark/benchmark.h>
#include "ratio_table.h"
#include "silent_prompter.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <map>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

constexpr int fileCount = 10000;

// A directory of fileCount files; each pass renames them all between the
// lower-case and the upper-case form of their names, so no pass needs
// fresh files.
struct Fixture {
    std::string dir;
    StringList lower;  // full paths in lower case
    StringList upper;
    bool isUpper = false;

    Fixture()
    {
        setActiveCodePage(CodePage::Utf8);
        std::string pattern = (std::filesystem::temp_directory_path() / "vorel-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        for (int i = 0; i < fileCount; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "/holiday photo %05d.jpeg", i);
            lower.push_back(dir + name);
            std::snprintf(name, sizeof name, "/HOLIDAY PHOTO %05d.JPEG", i);
            upper.push_back(dir + name);
            std::FILE* f = std::fopen(lower.back().c_str(), "wb");
            if (!f) std::abort();
            std::fclose(f);
        }
    }
    ~Fixture()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    const StringList& current() const { return isUpper ? upper : lower; }
    Operation toggle() const { return isUpper ? Operation::Lower : Operation::Upper; }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}


// Formats every caption, as a window showing the progress does.
class CaptionSink : public RunWindow {
public:
    Text caption;
    void showProgress(int position, int count) override
    {
        caption = progressCaption(position, count);
        benchmark::DoNotOptimize(caption.data());
    }
};

void BM_RunMarkedCase(benchmark::State& state)
{
    Fixture& f = fixture();
    SilentPrompter prompter;
    CaptionSink sink;
    Session session;
    for (auto _ : state) {
        RunContext ctx{systemFileSystem(), prompter, sink, 3};
        if (runMarkedOperation(f.toggle(), "", f.current(), ctx, session) != RunOutcome::Completed) {
            state.SkipWithError("run failed");
            break;
        }
        f.isUpper = !f.isUpper;
    }
}
BENCHMARK(BM_RunMarkedCase)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_BareRename(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        const StringList& from = f.current();
        const StringList& to = f.isUpper ? f.lower : f.upper;
        for (int i = 0; i < fileCount; ++i) {
            if (::rename(from[i].c_str(), to[i].c_str()) != 0) {
                state.SkipWithError("bare rename failed");
                return;
            }
        }
        f.isUpper = !f.isUpper;
    }
}
BENCHMARK(BM_BareRename)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_RunDirectoryCase(benchmark::State& state)
{
    Fixture& f = fixture();
    SilentPrompter prompter;
    CaptionSink sink;
    Session session;
    for (auto _ : state) {
        RunContext ctx{systemFileSystem(), prompter, sink, 3};
        if (runDirectoryOperation(f.toggle(), "", {f.dir}, ctx, session) != RunOutcome::Completed ||
            session.ResultList.size() != std::size_t(fileCount)) {
            state.SkipWithError("directory run failed");
            break;
        }
        f.isUpper = !f.isUpper;
    }
}
BENCHMARK(BM_RunDirectoryCase)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)
    ->ReportAggregatesOnly(true);

// readdir into a list of full paths (directories left out), then renames.
void BM_BareListAndRename(benchmark::State& state)
{
    Fixture& f = fixture();
    StringList paths;
    for (auto _ : state) {
        paths.clear();
        DIR* d = ::opendir(f.dir.c_str());
        if (!d) {
            state.SkipWithError("opendir failed");
            return;
        }
        while (dirent* e = ::readdir(d)) {
            if (e->d_type == DT_DIR) continue;
            paths.push_back(f.dir + "/" + e->d_name);
        }
        ::closedir(d);
        for (std::string& path : paths) {
            std::string to = path;
            for (std::size_t i = f.dir.size() + 1; i < to.size(); ++i) {
                char& c = to[i];
                if (f.isUpper ? (c >= 'A' && c <= 'Z') : (c >= 'a' && c <= 'z')) c ^= 0x20;
            }
            if (::rename(path.c_str(), to.c_str()) != 0) {
                state.SkipWithError("bare rename failed");
                return;
            }
        }
        f.isUpper = !f.isUpper;
    }
}
BENCHMARK(BM_BareListAndRename)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    // Interleaved repetitions, so that a burst of disk writeback does not
    // fall on one side of a comparison only.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRow("case conversion of the marked files vs bare rename(2)", fileCount,
                      "BM_RunMarkedCase", "BM_BareRename", 1.2);
    reporter.printRow("directory case conversion vs bare listing + rename(2)", fileCount,
                      "BM_RunDirectoryCase", "BM_BareListAndRename", 1.2);
    benchmark::Shutdown();
    return 0;
}
