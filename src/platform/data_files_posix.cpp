#include "platform/data_files.h"

#include "platform/codepage.h"
#include "platform/fs_posix.h"
#include "platform/path.h"
#include "platform/posix_io.h"
#include "platform/xdg_folders.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isSharedProgramFolder(const Text& folder)
{
    const Text last = folderAndName(folder).name;
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
    const FileDescriptor in(openRegularFile(from, O_RDONLY));
    if (!in) return;
    FileDescriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!out) return;
    bool ok = true;
    char buffer[16384];
    while (ok) {
        const ssize_t n = retryOnEintr([&] { return ::read(in.get(), buffer, sizeof buffer); });
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = writeAll(out.get(), buffer, static_cast<std::size_t>(n));
    }
    ok = (::fsync(out.get()) == 0) && ok;
    ok = out.close() && ok;
    if (!ok) ::unlink(to.c_str());
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
    const Text state = userFolder("XDG_STATE_HOME", ".local/state") + "/vorel/";
    return {userFolder("XDG_CONFIG_HOME", ".config") + "/vorel/vorel.INI", state + "vorel.TXT", false,
            state + "vorel.LOG"};
}

DataFiles prepareDataFiles(const Text& programPath)
{
    DataFiles files = locateDataFiles(programPath);
    if (files.besideProgram) return files;
    makeFolders(folderAndName(files.reportFile).folder);
    if (makeFolders(folderAndName(files.settingsFile).folder) && ::access(files.settingsFile.c_str(), F_OK) != 0)
        copyToNewFile(settingsFileBesideProgram(programPath), files.settingsFile);
    return files;
}
