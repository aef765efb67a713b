#include "platform/data_files.h"

#include "platform/codepage.h"
#include "platform/fs_posix.h"
#include "platform/path.h"
#include "platform/process.h"

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Text homeFolder()
{
    Text home = environmentValue("HOME");
    if (!home.empty() && home[0] == '/') return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

// An XDG base folder: the variable when it holds an absolute path, else
// fallback under the home folder.
Text baseFolder(const char* variable, const char* fallback)
{
    Text value = environmentValue(variable);
    if (value.empty() || value[0] != '/') value = homeFolder() + "/" + fallback;
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
}

bool isSharedProgramFolder(const Text& folder)
{
    Text f = folder;
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    const Text last = f.substr(f.rfind('/') + 1);
    return last == "bin" || last == "sbin";
}

bool makeFolders(const Text& folder)
{
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/') continue;
        const Text part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Copies from to a new file to; never replaces a file, and removes a copy
// that could not be completed.
void copyToNewFile(const Text& from, const Text& to)
{
    const int in = openRegularFile(from, O_RDONLY);
    if (in < 0) return;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool ok = out >= 0;
    char buffer[16384];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            ok = w > 0;
            if (ok) done += w;
        }
    }
    ::close(in);
    if (out >= 0) {
        ok = (::fsync(out) == 0) && ok;
        ok = (::close(out) == 0) && ok;
        if (!ok) ::unlink(to.c_str());
    }
}

Text folderOf(const Text& path)
{
    return path.substr(0, path.rfind('/'));
}

}  // namespace

DataFiles locateDataFiles(const Text& programPath)
{
    const Text folder = splitPath(activeCodePage(), programPath).pathPart;
    const Text probe = folder.empty() ? Text(".") : folder;
    if (::faccessat(AT_FDCWD, probe.c_str(), W_OK | X_OK, AT_EACCESS) == 0 &&
        !isSharedProgramFolder(probe))
        return {settingsFileBesideProgram(programPath), reportFileBesideProgram(programPath), true,
                replaceExtension(activeCodePage(), programPath, ".LOG")};
    const Text state = baseFolder("XDG_STATE_HOME", ".local/state") + "/vorel/";
    return {baseFolder("XDG_CONFIG_HOME", ".config") + "/vorel/vorel.INI", state + "vorel.TXT", false,
            state + "vorel.LOG"};
}

DataFiles prepareDataFiles(const Text& programPath)
{
    DataFiles files = locateDataFiles(programPath);
    if (files.besideProgram) return files;
    makeFolders(folderOf(files.reportFile));
    if (makeFolders(folderOf(files.settingsFile)) && ::access(files.settingsFile.c_str(), F_OK) != 0)
        copyToNewFile(settingsFileBesideProgram(programPath), files.settingsFile);
    return files;
}
