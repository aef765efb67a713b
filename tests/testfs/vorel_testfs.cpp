// A FUSE file system for the tests: passes everything through to a backing
// directory, and can be told to behave like the file systems a rename must
// survive.
//   vorel_testfs [--refuse-noreplace] [--refuse-link] [--compete] BACKING MOUNTPOINT [FUSE OPTIONS]
// --refuse-noreplace  renameat2 with flags answers EINVAL
// --refuse-link       link answers EPERM
// --compete           when a rename arrives, another file is created under
//                     the new name first (exclusively, as another program
//                     would), holding "competitor"; its path inside the
//                     mount is appended to the file BACKING.competitors
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace {

std::string backing;
bool refuseNoReplace = false;
bool refuseLink = false;
bool compete = false;

std::string real(const char* path) { return backing + path; }

int result(int r) { return r < 0 ? -errno : r; }

int doGetattr(const char* path, struct stat* st, fuse_file_info*)
{
    return result(::lstat(real(path).c_str(), st));
}

int doReaddir(const char* path, void* buf, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags)
{
    DIR* d = ::opendir(real(path).c_str());
    if (!d) return -errno;
    while (const dirent* e = ::readdir(d)) {
        struct stat st {};
        st.st_ino = e->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(e->d_type));
        if (fill(buf, e->d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0))) break;
    }
    ::closedir(d);
    return 0;
}

int doOpen(const char* path, fuse_file_info* fi)
{
    const int fd = ::open(real(path).c_str(), fi->flags);
    if (fd < 0) return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int doCreate(const char* path, mode_t mode, fuse_file_info* fi)
{
    const int fd = ::open(real(path).c_str(), fi->flags, mode);
    if (fd < 0) return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int doRead(const char*, char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    return result(static_cast<int>(::pread(static_cast<int>(fi->fh), buf, size, offset)));
}

int doWrite(const char*, const char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    return result(static_cast<int>(::pwrite(static_cast<int>(fi->fh), buf, size, offset)));
}

int doRelease(const char*, fuse_file_info* fi)
{
    ::close(static_cast<int>(fi->fh));
    return 0;
}

int doFsync(const char*, int, fuse_file_info* fi) { return result(::fsync(static_cast<int>(fi->fh))); }

int doTruncate(const char* path, off_t size, fuse_file_info* fi)
{
    if (fi) return result(::ftruncate(static_cast<int>(fi->fh), size));
    return result(::truncate(real(path).c_str(), size));
}

int doMkdir(const char* path, mode_t mode) { return result(::mkdir(real(path).c_str(), mode)); }
int doRmdir(const char* path) { return result(::rmdir(real(path).c_str())); }
int doUnlink(const char* path) { return result(::unlink(real(path).c_str())); }
int doSymlink(const char* target, const char* path) { return result(::symlink(target, real(path).c_str())); }

int doReadlink(const char* path, char* buf, size_t size)
{
    const ssize_t n = ::readlink(real(path).c_str(), buf, size - 1);
    if (n < 0) return -errno;
    buf[n] = 0;
    return 0;
}

int doLink(const char* from, const char* to)
{
    if (refuseLink) return -EPERM;
    return result(::link(real(from).c_str(), real(to).c_str()));
}

int doRename(const char* from, const char* to, unsigned int flags)
{
    if (flags && refuseNoReplace) return -EINVAL;
    if (compete) {
        const int fd = ::open(real(to).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            (void)!::write(fd, "competitor", 10);
            ::close(fd);
            if (FILE* log = std::fopen((backing + ".competitors").c_str(), "a")) {
                std::fprintf(log, "%s\n", to);
                std::fclose(log);
            }
        }
    }
    return result(::renameat2(AT_FDCWD, real(from).c_str(), AT_FDCWD, real(to).c_str(), flags));
}

int doChmod(const char* path, mode_t mode, fuse_file_info*) { return result(::chmod(real(path).c_str(), mode)); }

int doChown(const char* path, uid_t uid, gid_t gid, fuse_file_info*)
{
    return result(::lchown(real(path).c_str(), uid, gid));
}

int doUtimens(const char* path, const timespec tv[2], fuse_file_info*)
{
    return result(::utimensat(AT_FDCWD, real(path).c_str(), tv, AT_SYMLINK_NOFOLLOW));
}

int doStatfs(const char*, struct statvfs* st) { return result(::statvfs(backing.c_str(), st)); }

void* doInit(fuse_conn_info*, fuse_config* cfg)
{
    cfg->use_ino = 1;  // the backing inode numbers, so hard links show as such
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    cfg->hard_remove = 1;  // no .fuse_hidden files in the listings
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<char*> args{argv[0]};
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string flag = argv[i];
        if (flag == "--refuse-noreplace") refuseNoReplace = true;
        else if (flag == "--refuse-link") refuseLink = true;
        else if (flag == "--compete") compete = true;
        else {
            std::fprintf(stderr, "vorel_testfs: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (argc - i < 2) {
        std::fprintf(stderr, "usage: vorel_testfs [--refuse-noreplace] [--refuse-link] [--compete] BACKING MOUNTPOINT\n");
        return 2;
    }
    char* resolved = ::realpath(argv[i], nullptr);
    if (!resolved) {
        std::perror(argv[i]);
        return 2;
    }
    backing = resolved;
    std::free(resolved);
    if (backing == "/") backing.clear();
    for (++i; i < argc; ++i) args.push_back(argv[i]);
    static char single[] = "-s";  // one thread: requests in the order they come
    args.push_back(single);

    fuse_operations ops {};
    ops.getattr = doGetattr;
    ops.readdir = doReaddir;
    ops.open = doOpen;
    ops.create = doCreate;
    ops.read = doRead;
    ops.write = doWrite;
    ops.release = doRelease;
    ops.fsync = doFsync;
    ops.truncate = doTruncate;
    ops.mkdir = doMkdir;
    ops.rmdir = doRmdir;
    ops.unlink = doUnlink;
    ops.symlink = doSymlink;
    ops.readlink = doReadlink;
    ops.link = doLink;
    ops.rename = doRename;
    ops.chmod = doChmod;
    ops.chown = doChown;
    ops.utimens = doUtimens;
    ops.statfs = doStatfs;
    ops.init = doInit;
    return fuse_main(static_cast<int>(args.size()), args.data(), &ops, nullptr);
}
