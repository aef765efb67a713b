#include "rename/journal.h"

#include "platform/fs_posix.h"
#include "platform/path.h"
#include "platform/posix_io.h"
#include "platform/process.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Appends go out at most this often without a flush of their own.
constexpr std::size_t appendEveryFiles = 1000;
constexpr auto appendEvery = std::chrono::milliseconds(100);

}  // namespace

bool journalInUse(const Text& path)
{
    const FileDescriptor fd(openRegularFile(path, O_RDONLY | O_NOFOLLOW));
    return fd && ::flock(fd.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

Text newCaseTempTag()
{
    std::random_device rd;
    char tag[24];
    std::snprintf(tag, sizeof tag, "%08x%04x", rd(), rd() & 0xffffu);
    return tag;
}

JournalFile::~JournalFile()
{
    if (fd_ >= 0) ::close(fd_);
}

Text JournalFile::planned(const JournalPlan& plan)
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    pending_.clear();
    done_ = 0;
    sinceAppend_ = 0;
    lastAppend_ = std::chrono::steady_clock::now();
    const Text tag = newCaseTempTag();
    // Two instances' runs take turns: the journal is replaced under the lock
    // of its folder, as every rewrite by rename, and each journal stays
    // locked until its run has ended. A run that finds the other's running
    // for longer than a write may take goes on without one, as where the
    // journal cannot be written.
    const FileDescriptor dir(::open(folderAndName(path_).folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir && lockForWriting(dir.get()) == LockOutcome::TimedOut) return tag;
    const FileDescriptor running(openRegularFile(path_, O_RDONLY | O_NOFOLLOW));
    if (running && lockForWriting(running.get()) == LockOutcome::TimedOut) return tag;
    // Written whole beside the journal, made durable, then put in its place:
    // the journal of the run before stays until this one is complete on disk.
    const Text temp = path_ + ".new";
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return tag;
    const bool ok = lockForWriting(fd) != LockOutcome::TimedOut &&
                    writeJournalPlan(plan, tag, currentBootId(),
                                     [fd](const std::string& bytes) { return writeAll(fd, bytes.data(), bytes.size()); },
                                     recordsIds_) &&
                    ::fsync(fd) == 0 && ::rename(temp.c_str(), path_.c_str()) == 0;
    if (!ok) {
        ::close(fd);
        ::unlink(temp.c_str());
        return tag;
    }
    if (dir) ::fsync(dir.get());
    fd_ = fd;
    return tag;
}

void JournalFile::renamed(std::size_t done, const EntryId& id)
{
    if (fd_ < 0) return;
    done_ = done;
    if (recordsIds_) appendJournalIdRecord(pending_, id);
    if (++sinceAppend_ < appendEveryFiles && (sinceAppend_ % 64 != 0 ||
                                              std::chrono::steady_clock::now() - lastAppend_ < appendEvery))
        return;
    append(false);
}

void JournalFile::ended(std::size_t done)
{
    if (fd_ < 0) return;
    done_ = done;
    append(true);
    ::close(fd_);
    fd_ = -1;
}

void JournalFile::append(bool end)
{
    pending_ += journalCountRecord(done_, end);
    writeAll(fd_, pending_.data(), pending_.size());
    // The end mark is made durable; a count lost with the power only makes
    // the next start look where the files are.
    if (end) ::fdatasync(fd_);
    pending_.clear();
    sinceAppend_ = 0;
    lastAppend_ = std::chrono::steady_clock::now();
}
