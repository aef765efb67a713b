// What the kind of file system a directory lies on tells of it, from its
// statfs type (and, for ext4 and f2fs, the directory's own casefold flag).
#pragma once

#include "platform/text.h"

// True where names in dir may be matched without regard to letter case: the
// FAT, exFAT, NTFS, SMB and ISO families, FUSE, and casefolded ext4/f2fs
// directories. Elsewhere the name looked up is the name stored, and no
// listing is needed to find it.
bool mayFoldCase(const Text& dir);

// True where a listing's d_ino is the st_ino that lstat gives for the same
// name: ext2/3/4, tmpfs, XFS and Btrfs. FUSE, overlayfs, FAT and network
// file systems may number the two apart.
bool listingGivesInode(const Text& dir);
