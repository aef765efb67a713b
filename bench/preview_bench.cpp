// The preview over many files in the real windows: "大文字変換(&U)" with
// "変換前に確認(&P)" on, until the preview window is drawn, beside a bare
// loop that lists the folder once and computes every new name; how it grows
// from 10,000 to 100,000 files; and the peak memory of start, preview, run,
// report and exit. With DISPLAY set and QT_QPA_PLATFORM unset (xvfb-run) the
// windows are real X windows, otherwise offscreen.
// Usage: preview_bench [files] [--repetitions=N]
#include "app/Main.h"
#include "platform/codepage.h"
#include "platform/data_files.h"
#include "platform/path.h"
#include "platform/shell.h"
#include "rename/Preview.h"

#include "bench_files.h"
#include "silent_prompter.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of the process so far, ms: steadier than the wall clock on a
// loaded machine.
double cpuMs()
{
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

struct Times {
    double preview, bare, previewCpu, bareCpu;
};

SilentPrompter prompter;

struct ProgramDir {
    BenchFiles holder{0};
    std::string program() const { return holder.dir + "/vorel"; }
};

std::unique_ptr<TForm1> startWithPreview(const ProgramDir& pd, const StringList& paths)
{
    MainServices services;
    services.programPath = pd.program();
    services.files = {settingsFileBesideProgram(pd.program()), reportFileBesideProgram(pd.program()),
                      true, replaceExtension(activeCodePage(), pd.program(), ".LOG")};
    services.arguments = paths;
    services.prompter = &prompter;
    services.fs = &systemFileSystem();
    services.shell = &systemShell();
    auto form = std::make_unique<TForm1>(std::move(services));
    form->show();
    QCoreApplication::processEvents();
    if (!form->MenuPreviewSet->isChecked()) form->MenuPreviewSet->trigger();
    if (!form->List.PreviewSet) std::abort();
    return form;
}

// Upper case until the preview has been drawn once; then run or cancel.
// Milliseconds, wall and CPU.
double previewUntilShown(TForm1& form, bool run, double* cpu = nullptr)
{
    double shownAfter = -1;
    Clock::time_point start;
    double cpuStart = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<TForm7*>(QApplication::activeModalWidget());
        if (!preview) return;
        poll.stop();
        preview->repaint();
        shownAfter = msSince(start);
        if (cpu) *cpu = cpuMs() - cpuStart;
        run ? preview->BtnRunClick() : preview->BtnCanselClick();
    });
    poll.start(0);
    start = Clock::now();
    cpuStart = cpuMs();
    form.BtnUpper->click();
    if (shownAfter < 0) std::abort();
    return shownAfter;
}

// The bare counterpart: the folder listed once, every new name computed.
double bareListingAndNames(const BenchFiles& f, double* cpu)
{
    const Clock::time_point start = Clock::now();
    const double cpuStart = cpuMs();
    std::vector<std::string> listed;
    DIR* d = ::opendir(f.dir.c_str());
    if (!d) std::abort();
    while (const dirent* e = ::readdir(d)) listed.emplace_back(e->d_name);
    ::closedir(d);
    std::size_t bytes = 0;
    for (const Text& path : f.current()) {
        const std::size_t slash = path.rfind('/') + 1;
        bytes += (path.substr(0, slash) + toUpperText(CodePage::Utf8, std::string_view(path).substr(slash))).size();
    }
    if (bytes == 0 || listed.size() < f.current().size()) std::abort();
    *cpu = cpuMs() - cpuStart;
    return msSince(start);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Times measure(int files, const ProgramDir& pd, int repetitions)
{
    BenchFiles f(files);
    auto form = startWithPreview(pd, f.current());
    previewUntilShown(*form, false);  // warm-up: fonts, caches
    std::vector<double> own, bare, ownCpu, bareCpu;
    for (int i = 0; i < repetitions; ++i) {
        double c = 0;
        own.push_back(previewUntilShown(*form, false, &c));
        ownCpu.push_back(c);
        bare.push_back(bareListingAndNames(f, &c));
        bareCpu.push_back(c);
    }
    return {median(own), median(bare), median(ownCpu), median(bareCpu)};
}

// A fresh process: start, preview, run, report, exit; prints its VmHWM.
int memoryChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    BenchFiles f(std::atoi(argv[2]));
    ProgramDir pd;
    {
        auto form = startWithPreview(pd, f.current());
        previewUntilShown(*form, true);
        if (form->session.ResultList != f.other()) return 1;
        QTimer::singleShot(0, form.get(), [] {
            if (QWidget* view = QApplication::activeModalWidget()) view->close();
        });
        form->BtnConfirm->click();
    }
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    while (status && std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0) std::fputs(line, stdout);
    if (status) std::fclose(status);
    return 0;
}

double peakMemory(int files)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) std::abort();
    self[n] = '\0';
    std::FILE* child = ::popen(("'" + std::string(self) + "' --memory-child " + std::to_string(files)).c_str(), "r");
    if (!child) std::abort();
    double kb = -1;
    if (std::fscanf(child, "VmHWM: %lf", &kb) != 1) kb = -1;
    if (::pclose(child) != 0 || kb < 0) std::abort();
    return kb / 1024.0;
}

}  // namespace

int main(int argc, char** argv)
{
    setActiveCodePage(CodePage::Utf8);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 2 && std::strcmp(argv[1], "--memory-child") == 0) return memoryChild(argc, argv);
    const int files = takeFileCount(argc, argv, 100000);
    int repetitions = 5;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--repetitions=", 14) == 0) repetitions = std::max(1, std::atoi(argv[i] + 14));
    QApplication app(argc, argv);
    const char* where = QGuiApplication::platformName() == QLatin1String("xcb") ? "Xvfb: " : "";
    ProgramDir pd;

    const int sizes[] = {files / 10, files * 3 / 10, files};
    std::vector<Times> at;
    for (int n : sizes) at.push_back(measure(n, pd, repetitions));
    const Times& t = at.back();
    std::printf("ROW | %spreview until shown vs bare listing once + new names | %d | %.1f | %.1f | %.2f (CPU %.2f) | "
                "<= 1.00 of 1.5 x bare + 300 ms |\n",
                where, files, t.preview, t.bare, t.preview / (1.5 * t.bare + 300),
                t.previewCpu / (1.5 * t.bareCpu + 300));
    // Least-squares slope of log(time) over log(files).
    auto exponent = [&](double Times::*field) {
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (std::size_t i = 0; i < at.size(); ++i) {
            const double x = std::log(double(sizes[i])), y = std::log(at[i].*field);
            sx += x, sy += y, sxx += x * x, sxy += x * y;
        }
        const double k = double(at.size());
        return (k * sxy - sx * sy) / (k * sxx - sx * sx);
    };
    std::printf("ROW | %sgrowth exponent, preview until shown (%d / %d / %d files) | %d | %.1f | %.1f | %.2f (CPU %.2f) | "
                "<= 1.10 |\n",
                where, sizes[0], sizes[1], sizes[2], files, at[2].preview, at[0].preview,
                exponent(&Times::preview), exponent(&Times::previewCpu));
    std::printf("ROW | %speak memory (max RSS) of start, preview, run, report and exit, MB | %d | %.1f | - | - | "
                "<= 100 MB |\n",
                where, files, peakMemory(files));
    return 0;
}
