// Start-up read and exit write of the main settings in a settings file of
// 100 MB (read no further than 16 MiB, not rewritten) against the same for a
// file of 10 MB (read, and rewritten whole for each of the five values): the
// cost stops growing with the size of the file. A bare rewrite of each file
// (read, write a copy, fsync, rename) is printed for scale.
#include "platform/app_error.h"
#include "platform/codepage.h"
#include "settings/ini_file.h"
#include "settings/list_settings.h"

#include <benchmark/benchmark.h>
#include "ratio_table.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

struct Fixture {
    std::filesystem::path dir;
    std::string large;  // 100 MB
    std::string small;  // 10 MB

    Fixture()
    {
        setActiveCodePage(CodePage::Cp932);
        std::string pattern = (std::filesystem::temp_directory_path() / "vorel-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        large = make("large.INI", 100);
        small = make("small.INI", 10);
    }
    ~Fixture()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    std::string make(const char* name, std::size_t megabytes) const
    {
        std::string text = "[DbcsSet]\r\nSet=2\r\n[Filler]\r\n";
        while (text.size() < megabytes * 1000 * 1000) text += "Key=\x95\x5C\x8E\xA6 a value of a filler line\r\n";
        text += "[TextJyouhou]\r\nTextFontName=late\r\n";
        const std::string path = (dir / name).string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size()) std::abort();
        std::fclose(f);
        return path;
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void startAndExit(const std::string& path)
{
    IniFile ini(path);
    ListSettings list;
    std::int32_t mode = 0;
    readMainSettings(ini, list, mode);
    try {
        writeMainSettings(ini, list, mode);
    } catch (const AppError&) {
        // The large file is not rewritten.
    }
    benchmark::DoNotOptimize(mode);
}

void bareRewrite(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY);
    std::string data;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) data.append(buffer, std::size_t(n));
    ::close(fd);
    const std::string temp = path + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, data.data(), data.size()) != ssize_t(data.size()) || ::fsync(fd) != 0) std::abort();
    ::close(fd);
    std::rename(temp.c_str(), path.c_str());
}

void BM_LargeStartAndExit(benchmark::State& state)
{
    for (auto _ : state) startAndExit(fixture().large);
}
void BM_LargeBareRewrite(benchmark::State& state)
{
    for (auto _ : state) bareRewrite(fixture().large);
}
void BM_SmallStartAndExit(benchmark::State& state)
{
    for (auto _ : state) startAndExit(fixture().small);
}
void BM_SmallBareRewrite(benchmark::State& state)
{
    for (auto _ : state) bareRewrite(fixture().small);
}

BENCHMARK(BM_LargeStartAndExit)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LargeBareRewrite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SmallStartAndExit)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SmallBareRewrite)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRow("settings start and exit, 100 MB settings file vs 10 MB", 1, "BM_LargeStartAndExit",
                      "BM_SmallStartAndExit", 1.5);
    return 0;
}
