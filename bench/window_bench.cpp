// The real windows over many files, offscreen: start-up with the paths until
// the main window is shown, "変換確認(&C)" until the report view is shown,
// the whole flow (start, upper case, report, exit), how each grows from
// 10,000 to 100,000 files, and the peak memory of the whole flow.
// Usage: window_bench [files] [--growth] [--directory] [--repetitions=N] [--exit]
//   files          how many files (default 100000)
//   --growth       also times each step at 10000, 30000 and 100000 files
//   --directory    instead, the directory flow (start with one directory,
//                  its files upper cased in the extended dialog, report,
//                  exit) in a fresh process at a tenth of files and at files,
//                  beside the bare loops, with its peak memory
//   --exit         times only the exit after the whole flow (for 1,000,000)
// For scripts/bench-xvfb.sh:  window_bench --bare DIR FILES CASE
//   times the bare loops over an existing directory of FILES files whose
//   names are in CASE (lower or upper) and prints "BARE name ms" lines.
#include "app/Main.h"
#include "rename/Extchg.h"
#include "platform/codepage.h"
#include "platform/data_files.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/shell.h"

#include "bench_files.h"
#include "silent_prompter.h"

#include "ui/extent_list.h"
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The paths as the program receives them: an argv.
struct Argv {
    std::vector<char*> argv;
    explicit Argv(const StringList& paths)
    {
        static char program[] = "vorel";
        argv.push_back(program);
        for (const Text& p : paths) argv.push_back(const_cast<char*>(p.c_str()));
    }
    int argc() const { return int(argv.size()); }
    char** data() { return argv.data(); }
};

// The program's own directory, apart from the files.
struct ProgramDir {
    explicit ProgramDir(const std::string& existing = {}) : holder(0, existing) {}
    BenchFiles holder;
    std::string program() const { return holder.dir + "/vorel"; }
    std::string report() const { return holder.dir + "/vorel.TXT"; }
};

SilentPrompter prompter;

std::unique_ptr<TForm1> startMainWindow(const ProgramDir& pd, int argc, char** argv)
{
    MainServices services;
    services.programPath = pd.program();
    services.files = {settingsFileBesideProgram(pd.program()), reportFileBesideProgram(pd.program()),
                      true, replaceExtension(activeCodePage(), pd.program(), ".LOG")};
    services.arguments = argumentsFromArgv(argc, argv);
    services.prompter = &prompter;
    services.fs = &systemFileSystem();
    services.shell = &systemShell();
    auto form = std::make_unique<TForm1>(std::move(services));
    form->show();
    QCoreApplication::processEvents();
    form->repaint();
    return form;
}

// "変換確認(&C)" until the report view has been drawn once; the view is
// then closed. Milliseconds.
double confirmUntilShown(TForm1& form)
{
    double shownAfter = -1;
    const Clock::time_point start = Clock::now();
    QTimer::singleShot(0, &form, [&] {
        QWidget* view = QApplication::activeModalWidget();
        if (!view) return;
        view->repaint();
        shownAfter = msSince(start);
        view->close();
    });
    form.BtnConfirm->click();
    if (shownAfter < 0) std::abort();
    return shownAfter;
}

void runCase(TForm1& form, BenchFiles& f)
{
    (f.isUpper ? form.BtnLower : form.BtnUpper)->click();
    if (form.session.ResultList != f.other()) std::abort();
    f.isUpper = !f.isUpper;
}

// A drop's data as the platform hands it over: the URI list's bytes as
// they came (QMimeData::setData would parse them into URLs first).
class RawUriList : public QMimeData {
public:
    QByteArray bytes;
    QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }
    QVariant retrieveData(const QString&, QMetaType) const override { return bytes; }
};

// Paths dropped from a file manager onto an empty main window, until the
// list has been drawn with them. Milliseconds.
double dropUntilShown(const ProgramDir& pd, const StringList& paths)
{
    Argv none({});
    auto form = startMainWindow(pd, none.argc(), none.data());
    RawUriList data;
    for (const Text& p : paths)
        data.bytes += "file://" + QByteArray::fromStdString(p).toPercentEncoding("/") + "\r\n";
    QWidget* target = form->ListBox1->viewport();
    const Clock::time_point start = Clock::now();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    form->repaint();
    const double ms = msSince(start);
    if (form->session.MarkedPaths != paths) std::abort();
    return ms;
}

struct Times {
    double startUp, startUpBare, report, reportBare, flow, flowBare;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One repetition of every step and its bare counterpart, interleaved.
Times measureOnce(BenchFiles& f, const ProgramDir& pd)
{
    Times t{};
    {
        Argv argv(f.current());
        Clock::time_point start = Clock::now();
        auto form = startMainWindow(pd, argv.argc(), argv.data());
        t.startUp = msSince(start);
        start = Clock::now();
        const StringList copy(argv.data() + 1, argv.data() + argv.argc());
        t.startUpBare = msSince(start);

        runCase(*form, f);
        t.report = confirmUntilShown(*form);
        const std::string bytes = bareReportBytes(f.other(), f.current());
        start = Clock::now();
        if (!bareLstatAndWrite(f.current(), pd.report(), bytes)) std::abort();
        t.reportBare = msSince(start);
    }
    {
        Argv argv(f.current());
        const std::string bytes = bareReportBytes(f.current(), f.other());
        Clock::time_point start = Clock::now();
        auto form = startMainWindow(pd, argv.argc(), argv.data());
        runCase(*form, f);
        confirmUntilShown(*form);
        form.reset();
        t.flow = msSince(start);
        start = Clock::now();
        if (!bareRenameLoop(f) || !bareLstatAndWrite(f.current(), pd.report(), bytes)) std::abort();
        t.flowBare = msSince(start);
    }
    return t;
}

Times measure(BenchFiles& f, const ProgramDir& pd, int repetitions)
{
    std::vector<Times> all;
    for (int i = 0; i < repetitions; ++i) all.push_back(measureOnce(f, pd));
    auto med = [&](double Times::*field) {
        std::vector<double> v;
        for (const Times& t : all) v.push_back(t.*field);
        return median(v);
    };
    return {med(&Times::startUp), med(&Times::startUpBare), med(&Times::report),
            med(&Times::reportBare), med(&Times::flow), med(&Times::flowBare)};
}

void row(const char* operation, int files, double own, double bare, double ratio, const char* target)
{
    std::printf("ROW | %s | %d | %.1f | %.1f | %.2f | %s |\n", operation, files, own, bare, ratio,
                target);
}

// Peak memory (VmHWM, MB) of a fresh process running the whole flow once;
// the process reports it itself (a spawned child's max RSS would count the
// parent's from before the exec).
double peakMemoryOfFlow(BenchFiles& f)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) std::abort();
    self[n] = '\0';
    const std::string command = std::string("'") + self + "' --flow-child '" + f.dir + "' " +
                                std::to_string(f.lower.size()) + (f.isUpper ? " upper" : " lower");
    std::FILE* child = ::popen(command.c_str(), "r");
    if (!child) std::abort();
    double kb = -1;
    if (std::fscanf(child, "VmHWM: %lf", &kb) != 1) kb = -1;
    if (::pclose(child) != 0 || kb < 0) std::abort();
    f.isUpper = !f.isUpper;
    return kb / 1024.0;
}

// The peak so far, as the kernel counts it.
void printPeakMemory()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return;
    char line[256];
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0) std::fputs(line, stdout);
    std::fclose(status);
}

int flowChild(int argc, char** argv)
{
    if (argc < 5) return 2;
    QApplication app(argc, argv);
    // The paths in one block, as the system hands a program its arguments.
    const int count = std::atoi(argv[3]);
    const bool upper = std::strcmp(argv[4], "upper") == 0;
    std::string block;
    std::vector<std::size_t> starts;
    for (int i = 0; i < count; ++i) {
        starts.push_back(block.size());
        block += BenchFiles::path(argv[2], i, upper);
        block += '\0';
    }
    std::vector<char*> args{argv[0]};
    for (std::size_t start : starts) args.push_back(block.data() + start);
    ProgramDir pd;
    auto form = startMainWindow(pd, int(args.size()), args.data());
    (upper ? form->BtnLower : form->BtnUpper)->click();
    if (form->session.ResultList.size() != std::size_t(count)) return 1;
    confirmUntilShown(*form);
    form.reset();
    printPeakMemory();
    return 0;
}

// The directory flow in a fresh process: start with the one directory,
// its files upper (or lower) cased through the extended dialog, the report
// until shown, exit. Prints "FLOW total run report" in ms and VmHWM.
int dirFlowChild(int argc, char** argv)
{
    if (argc < 5) return 2;
    QApplication app(argc, argv);
    const int count = std::atoi(argv[3]);
    const bool upper = std::strcmp(argv[4], "upper") == 0;
    std::vector<char*> args{argv[0], argv[2]};
    ProgramDir pd;
    Clock::time_point start = Clock::now();
    auto form = startMainWindow(pd, int(args.size()), args.data());
    double run = 0;
    {
        TForm3 dialog(form->session, *form, prompter, systemFileSystem(), form.get());
        const Clock::time_point runStart = Clock::now();
        upper ? dialog.BtnAllLowerClick() : dialog.BtnAllUpperClick();
        run = msSince(runStart);
    }
    if (form->session.ResultList.size() != std::size_t(count)) return 1;
    const double report = confirmUntilShown(*form);
    form.reset();
    std::printf("FLOW %.1f %.1f %.1f\n", msSince(start), run, report);
    printPeakMemory();
    return 0;
}

// The bare loops of a directory run: the listing and renameat2 of each name
// in the directory held open, then lstat of every new path and one write of
// the report's bytes. Milliseconds of each.
std::pair<double, double> bareDirectoryFlow(BenchFiles& f, const std::string& reportPath)
{
    const std::string bytes = bareReportBytes(f.current(), f.other());
    Clock::time_point start = Clock::now();
    const int dirFd = ::open(f.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = dirFd < 0 ? nullptr : ::fdopendir(::dup(dirFd));
    if (!d) std::abort();
    StringList names;
    while (dirent* e = ::readdir(d))
        if (e->d_type != DT_DIR) names.push_back(e->d_name);
    ::closedir(d);
    std::string to;
    for (const std::string& name : names) {
        to = name;
        for (char& c : to)
            if (f.isUpper ? (c >= 'A' && c <= 'Z') : (c >= 'a' && c <= 'z')) c ^= 0x20;
        if (::renameat2(dirFd, name.c_str(), dirFd, to.c_str(), RENAME_NOREPLACE) != 0) std::abort();
    }
    ::close(dirFd);
    const double run = msSince(start);
    f.isUpper = !f.isUpper;
    start = Clock::now();
    if (!bareLstatAndWrite(f.current(), reportPath, bytes)) std::abort();
    return {run, msSince(start)};
}

struct DirFlow {
    double total, run, report, peakMb;
};

DirFlow directoryFlow(BenchFiles& f)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) std::abort();
    self[n] = '\0';
    const std::string command = std::string("'") + self + "' --dir-flow-child '" + f.dir + "' " +
                                std::to_string(f.lower.size()) + (f.isUpper ? " upper" : " lower");
    std::FILE* child = ::popen(command.c_str(), "r");
    if (!child) std::abort();
    DirFlow r{};
    double kb = -1;
    if (std::fscanf(child, "FLOW %lf %lf %lf VmHWM: %lf", &r.total, &r.run, &r.report, &kb) != 4) kb = -1;
    if (::pclose(child) != 0 || kb < 0) std::abort();
    f.isUpper = !f.isUpper;
    r.peakMb = kb / 1024.0;
    return r;
}

// The directory flow at 100,000 and 1,000,000 files (or the sizes given by
// --directory=N): each repetition a fresh process beside the bare loops.
int directoryRows(int files, int repetitions)
{
    const int sizes[] = {files / 10, files};
    std::vector<double> flows, bares;
    for (int n : sizes) {
        BenchFiles f(n);
        ProgramDir pd;
        std::vector<double> total, run, report, peak, bareRun, bareReport, bareTotal;
        for (int i = 0; i < repetitions; ++i) {
            const DirFlow own = directoryFlow(f);
            const auto [r, p] = bareDirectoryFlow(f, pd.report());
            total.push_back(own.total), run.push_back(own.run), report.push_back(own.report);
            peak.push_back(own.peakMb), bareRun.push_back(r), bareReport.push_back(p);
            bareTotal.push_back(r + p);
        }
        const double t = median(total), b = median(bareTotal);
        flows.push_back(t), bares.push_back(b);
        row("directory: upper case in the dialog vs bare listing + renameat2", n, median(run), median(bareRun),
            median(run) / median(bareRun), "-");
        row("directory: report until shown vs bare lstat + write", n, median(report), median(bareReport),
            median(report) - median(bareReport), "difference, ms");
        row("directory: whole flow: start, upper case, report, exit vs bare loops", n, t, b, t / b, "-");
        std::printf("ROW | directory: peak memory (max RSS) of the whole flow, MB | %d | %.1f | - | %.0f bytes per file | <= %d MB |\n",
                    n, median(peak), median(peak) * 1048576.0 / n, n >= 1000000 ? 150 : 60);
    }
    const double exponent = std::log(flows[1] / flows[0]) / std::log(double(sizes[1]) / sizes[0]);
    row("directory: growth exponent, whole flow (one tenth / all the files)", sizes[1], flows[1], flows[0], exponent,
        "<= 1.10");
    std::fflush(stdout);
    return 0;
}

// The whole flow in this process, as the program runs it; prints the clock
// as the main window closes, then ends as the program ends after its event
// loop, so that the parent sees the process gone.
int exitChild(int argc, char** argv)
{
    if (argc < 6) return 2;
    std::unique_ptr<QApplication> app = std::make_unique<QApplication>(argc, argv);
    const int count = std::atoi(argv[3]);
    const bool upper = std::strcmp(argv[4], "upper") == 0;
    StringList paths;
    paths.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) paths.push_back(BenchFiles::path(argv[2], i, upper));
    std::vector<char*> args{argv[0]};
    for (Text& p : paths) args.push_back(p.data());
    // The parent's, so that removing the report is not timed.
    const ProgramDir pd(argv[5]);
    auto form = startMainWindow(pd, int(args.size()), args.data());
    paths = StringList();
    (upper ? form->BtnLower : form->BtnUpper)->click();
    if (form->session.ResultList.size() != std::size_t(count)) return 1;
    confirmUntilShown(*form);
    std::printf("CLOSED %lld\n", (long long)Clock::now().time_since_epoch().count());
    std::fflush(stdout);
    form->close();
    form->FormDestroyBeforeExit();
    form.reset();
    app.reset();
    return 0;
}

// From the main window's closing to the end of its process after the whole
// flow, ms.
double exitOfFlow(BenchFiles& f)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) std::abort();
    self[n] = '\0';
    const ProgramDir pd;
    const std::string command = std::string("'") + self + "' --exit-child '" + f.dir + "' " +
                                std::to_string(f.lower.size()) + (f.isUpper ? " upper '" : " lower '") +
                                pd.holder.dir + "'";
    std::FILE* child = ::popen(command.c_str(), "r");
    if (!child) std::abort();
    long long closed = -1;
    if (std::fscanf(child, "CLOSED %lld", &closed) != 1) closed = -1;
    if (::pclose(child) != 0 || closed < 0) std::abort();
    const Clock::time_point end = Clock::now();
    f.isUpper = !f.isUpper;
    return std::chrono::duration<double, std::milli>(end - Clock::time_point(Clock::duration(closed))).count();
}

int bareOnly(int argc, char** argv)
{
    if (argc < 5) return 2;
    BenchFiles f(std::atoi(argv[3]), argv[2], std::strcmp(argv[4], "upper") == 0);
    Argv paths(f.current());
    Clock::time_point start = Clock::now();
    const StringList copy(paths.data() + 1, paths.data() + paths.argc());
    std::printf("BARE read-paths %.1f\n", msSince(start));
    const std::string bytes = bareReportBytes(f.current(), f.other());
    const std::string report = f.dir + "/../vorel-bare-report.TXT";
    start = Clock::now();
    if (!bareRenameLoop(f)) return 1;
    std::printf("BARE rename %.1f\n", msSince(start));
    start = Clock::now();
    if (!bareLstatAndWrite(f.current(), report, bytes)) return 1;
    std::printf("BARE report %.1f\n", msSince(start));
    std::remove(report.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    setActiveCodePage(CodePage::Utf8);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::strcmp(argv[1], "--flow-child") == 0) return flowChild(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--bare") == 0) return bareOnly(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--dir-flow-child") == 0) return dirFlowChild(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--exit-child") == 0) return exitChild(argc, argv);

    const int files = takeFileCount(argc, argv, 100000);
    bool growth = false;
    bool exitOnly = false;
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--growth") == 0) growth = true;
        if (std::strcmp(argv[i], "--exit") == 0) exitOnly = true;
        if (std::strncmp(argv[i], "--repetitions=", 14) == 0) repetitions = std::atoi(argv[i] + 14);
    }
    repetitions = std::max(1, repetitions);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--directory") == 0) return directoryRows(files, repetitions);
    auto exitRow = [&](BenchFiles& f) {
        std::vector<double> times;
        for (int i = 0; i < repetitions; ++i) times.push_back(exitOfFlow(f));
        row("exit after the whole flow, from closing the main window to the process's end", files,
            median(times), 0, 0, "<= 50 ms at 1000000");
    };
    if (exitOnly) {
        BenchFiles f(files);
        exitRow(f);
        return 0;
    }
    QApplication app(argc, argv);
    ProgramDir pd;

    {
        BenchFiles f(files);
        measureOnce(f, pd);  // warm-up: fonts, caches
        const Times t = measure(f, pd, repetitions);
        row("start-up with the paths until the main window is shown vs reading them into a vector",
            files, t.startUp, t.startUpBare, t.startUp / (3 * t.startUpBare + 300),
            "<= 1.00 of 3 x bare + 300 ms, and <= 500 ms");
        row("report until the view is shown vs bare lstat + write", files, t.report, t.reportBare,
            t.report / (1.5 * t.reportBare + 300), "<= 1.00 of 1.5 x bare + 300 ms");
        row("whole flow: start, upper case, report, exit vs bare rename + lstat + write", files,
            t.flow, t.flowBare, t.flow / t.flowBare, "<= 2.00");
        std::vector<double> drops;
        for (int i = 0; i < repetitions; ++i) drops.push_back(dropUntilShown(pd, f.current()));
        row("drop of the paths until the list is shown vs start-up with them on the command line",
            files, median(drops), t.startUp, median(drops) / t.startUp, "<= 1.50");
        const double mb = peakMemoryOfFlow(f);
        std::printf("ROW | peak memory (max RSS) of the whole flow, MB | %d | %.1f | - | - | <= 80 MB |\n",
                    files, mb);
        exitRow(f);
    }
    if (!growth) return 0;

    const int sizes[] = {10000, 30000, 100000};
    std::vector<Times> at;
    for (int n : sizes) {
        BenchFiles f(n);
        measureOnce(f, pd);
        at.push_back(measure(f, pd, repetitions));
    }
    // Least-squares slope of log(time) over log(files).
    auto exponent = [&](double Times::*field) {
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (std::size_t i = 0; i < at.size(); ++i) {
            const double x = std::log(double(sizes[i])), y = std::log(at[i].*field);
            sx += x, sy += y, sxx += x * x, sxy += x * y;
        }
        const double n = double(at.size());
        return (n * sxy - sx * sy) / (n * sxx - sx * sx);
    };
    const struct {
        const char* name;
        double Times::*field;
    } steps[] = {{"growth exponent, start-up (10000 / 30000 / 100000 files)", &Times::startUp},
                 {"growth exponent, report until shown (10000 / 30000 / 100000 files)", &Times::report},
                 {"growth exponent, whole flow (10000 / 30000 / 100000 files)", &Times::flow}};
    for (const auto& s : steps)
        row(s.name, sizes[2], at[2].*s.field, at[0].*s.field, exponent(s.field), "<= 1.10");
    return 0;
}
