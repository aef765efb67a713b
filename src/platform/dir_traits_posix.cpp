#include "platform/dir_traits_posix.h"

#include "platform/posix_io.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>

bool mayFoldCase(const Text& dir)
{
    struct statfs fs;
    if (::statfs(dir.c_str(), &fs) != 0) return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x4d44:      // MSDOS / vfat
    case 0x2011BAB0:  // exFAT
    case 0x5346544e:  // NTFS (ntfs3, ntfs-3g reports fuseblk)
    case 0x65735546:  // FUSE (exfat-fuse, ntfs-3g and others): cannot tell
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x517B:      // SMB
    case 0x9660:      // ISO 9660
    case 0x15013346:  // UDF
    case 0x482b:      // HFS+
        return true;
    default:
        break;
    }
#ifdef FS_CASEFOLD_FL
    const FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return false;
    int flags = 0;
    return ::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL);
#else
    return false;
#endif
}

bool listingGivesInode(const Text& dir)
{
    struct statfs fs;
    if (::statfs(dir.c_str(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:      // ext2/3/4
    case 0x01021994:  // tmpfs
    case 0x58465342:  // XFS
    case 0x9123683E:  // Btrfs
        return true;
    default:
        return false;
    }
}
