#include "platform/shell.h"

#include "platform/posix_io.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool isCommandBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

StringList split(const Text& command, std::size_t at, std::size_t length, const Text* literal)
{
    StringList args;
    Text current;
    int quoteCount = 0;
    bool inQuote = false;
    for (std::size_t i = 0; i < command.size();) {
        if (literal && i == at) {
            // Pending quotes count as they would before any other character.
            if (quoteCount == 1) inQuote = !inQuote;
            quoteCount = 0;
            current += *literal;
            i += length;
            continue;
        }
        const char c = command[i++];
        if (c == '"') {
            if (++quoteCount == 3) {
                quoteCount = 0;
                current += c;
            }
            continue;
        }
        if (quoteCount) {
            if (quoteCount == 1) inQuote = !inQuote;
            quoteCount = 0;
        }
        if (!inQuote && isCommandBlank(c)) {
            if (!current.empty()) args.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (literal && at >= command.size() && at != Text::npos) {
        if (quoteCount == 1) inQuote = !inQuote;
        current += *literal;
    }
    if (!current.empty()) args.push_back(std::move(current));
    return args;
}

struct FileKind {
    bool exists = false;
    bool isDirectory = false;
    bool isExecutable = false;  // a regular file we may execute
};

FileKind kindOf(const std::string& path)
{
    FileKind kind;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return kind;
    kind.exists = true;
    kind.isDirectory = S_ISDIR(st.st_mode);
    kind.isExecutable = S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
    return kind;
}

std::string currentDirectory()
{
    std::string buffer(256, '\0');
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

// The path made absolute from base (the current directory when base is
// empty or relative itself).
std::string absoluteFrom(const std::string& path, const std::string& base)
{
    if (!path.empty() && path.front() == '/') return path;
    std::string dir = base;
    if (dir.empty() || dir.front() != '/') {
        const std::string cwd = currentDirectory();
        if (cwd.empty()) return path;
        dir = dir.empty() ? cwd : cwd + "/" + dir;
    }
    if (dir.back() != '/') dir += '/';
    return dir + path;
}

void reportError(int fd, int error)
{
    retryOnEintr([&] { return ::write(fd, &error, sizeof error); });
}

// Starts program with argv (argv[0] included) in directory (none when
// empty), detached: the first child starts a session, forks a watcher and
// ends at once; the watcher forks the program, so both are adopted by init
// and never become our zombies. A failure of chdir or exec comes back
// through a pipe that exec closes. With earlyExit, the watcher writes the
// program's exit status (128 + the signal for a signal) to *earlyExit when
// it ends with an error within its first second, and closes it either way.
bool startDetached(const std::string& program, const StringList& argv, const Text& directory,
                   int* earlyExit = nullptr)
{
    // Everything the children use is prepared here: after fork only
    // async-signal-safe calls are made.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const Text& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const char* path = program.c_str();
    const char* dir = directory.empty() ? nullptr : directory.c_str();

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    int watch[2] = {-1, -1};
    if (earlyExit && ::pipe2(watch, O_CLOEXEC) != 0) watch[0] = watch[1] = -1;

    const pid_t child = ::fork();
    if (child < 0) {
        for (int fd : {fds[0], fds[1], watch[0], watch[1]})
            if (fd >= 0) ::close(fd);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        if (watch[0] >= 0) ::close(watch[0]);
        ::setsid();
        const pid_t watcher = watch[1] >= 0 ? ::fork() : 0;
        if (watcher != 0) ::_exit(watcher < 0 ? 1 : 0);
        if (watch[1] >= 0) {
            // The watcher: our handlers for ending requests are not its own.
            ::signal(SIGTERM, SIG_DFL);
            ::signal(SIGHUP, SIG_DFL);
        }
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            reportError(fds[1], errno);
            ::_exit(1);
        }
        if (grandchild > 0) {
            if (watch[1] < 0) ::_exit(0);
            ::close(fds[1]);
            int status = 0;
            for (int i = 0; i < 100; ++i) {
                if (::waitpid(grandchild, &status, WNOHANG) == grandchild) {
                    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                    if (code != 0) reportError(watch[1], code);
                    break;
                }
                const struct timespec tick = {0, 10 * 1000 * 1000};
                ::nanosleep(&tick, nullptr);
            }
            ::_exit(0);
        }
        if (watch[1] >= 0) ::close(watch[1]);

        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(SIGPIPE, &dfl, nullptr);
        if (dir && ::chdir(dir) != 0) {
            reportError(fds[1], errno);
            ::_exit(127);
        }
        ::execv(path, args.data());
        reportError(fds[1], errno);
        ::_exit(127);
    }

    ::close(fds[1]);
    if (watch[1] >= 0) ::close(watch[1]);
    int status = 0;
    const pid_t waited = retryOnEintr([&] { return ::waitpid(child, &status, 0); });

    int error = 0;
    const ssize_t got = retryOnEintr([&] { return ::read(fds[0], &error, sizeof error); });
    ::close(fds[0]);

    const bool firstChildOk = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const bool started = firstChildOk && got == 0;
    if (watch[0] >= 0) {
        if (started) *earlyExit = watch[0];
        else ::close(watch[0]);
    }
    return started;
}

bool openWithDesktop(const std::string& file, const Text& directory)
{
    const std::string opener = findProgramOnPath("xdg-open");
    if (opener.empty()) return false;
    return startDetached(opener, {"xdg-open", file}, directory);
}

class SystemShell : public ShellOpener {
public:
    bool open(const Text& file, const StringList& arguments, const Text& directory) override
    {
        if (earlyExit_ >= 0) ::close(earlyExit_);
        earlyExit_ = -1;
        return openWithShell(file, arguments, directory, &earlyExit_);
    }
    int takeEarlyExit() override { return std::exchange(earlyExit_, -1); }

private:
    int earlyExit_ = -1;
};

}  // namespace

StringList splitCommandArguments(const Text& command)
{
    return split(command, Text::npos, 0, nullptr);
}

StringList splitCommandArguments(const Text& command, std::size_t at, std::size_t length,
                                 const Text& literal)
{
    return split(command, at, length, &literal);
}

// Empty PATH elements are skipped rather than taken for the current
// directory.
Text findProgramOnPath(const Text& name)
{
    const char* env = std::getenv("PATH");
    const std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        const std::string dir = path.substr(start, end - start);
        if (!dir.empty()) {
            const std::string candidate = absoluteFrom(dir + "/" + name, {});
            if (kindOf(candidate).isExecutable) return candidate;
        }
        start = end + 1;
    }
    return {};
}

bool openWithShell(const Text& file, const StringList& arguments, const Text& directory,
                   int* earlyExit)
{
    if (file.empty()) return false;
    if (!directory.empty() && !kindOf(directory).isDirectory) return false;

    std::string program;
    if (file.find('/') == Text::npos) program = findProgramOnPath(file);
    if (program.empty()) program = absoluteFrom(file, directory);

    const FileKind kind = kindOf(program);
    if (!kind.exists) return false;
    if (!kind.isExecutable) return openWithDesktop(program, directory);

    StringList argv;
    argv.reserve(arguments.size() + 1);
    argv.push_back(file);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return startDetached(program, argv, directory, earlyExit);
}

int takeEarlyExitStatus(int earlyExit)
{
    int status = 0;
    ssize_t got;
    do {
        got = ::read(earlyExit, &status, sizeof status);
    } while (got < 0 && errno == EINTR);
    ::close(earlyExit);
    return got == sizeof status ? status : -1;
}

bool openWithShell(const Text& file, const Text& parameters, const Text& directory)
{
    return openWithShell(file, splitCommandArguments(parameters), directory);
}

bool openDocument(const Text& path)
{
    if (path.empty()) return false;
    const std::string absolute = absoluteFrom(path, {});
    if (!kindOf(absolute).exists) return false;
    return openWithDesktop(absolute, {});
}

ShellOpener& systemShell()
{
    static SystemShell shell;
    return shell;
}
