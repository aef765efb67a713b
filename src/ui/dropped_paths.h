#pragma once
// The paths of files dropped from a file manager.
#include "platform/text.h"

class QMimeData;

// Each local "file:" URI of the drop's URI list, in the order given, as the
// bytes the file system names it by; other URIs are left out.
StringList droppedLocalPaths(const QMimeData& data);
