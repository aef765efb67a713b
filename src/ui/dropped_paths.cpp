#include "ui/dropped_paths.h"

#include <QByteArray>
#include <QMimeData>

#include <string_view>

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if ((text[i] | 0x20) != prefix[i]) return false;
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
    return -1;
}

// The path of a local file URI ("file:///p", "file://localhost/p",
// "file:/p") into path; false for any other URI.
bool localPathOf(std::string_view uri, Text& path)
{
    if (!startsWithNoCase(uri, "file:")) return false;
    uri.remove_prefix(5);
    if (uri.starts_with("//")) {
        const std::size_t slash = uri.find('/', 2);
        if (slash == std::string_view::npos) return false;
        const std::string_view host = uri.substr(2, slash - 2);
        // Another machine's file is not ours to rename.
        if (!host.empty() && !(host.size() == 9 && startsWithNoCase(host, "localhost"))) return false;
        uri.remove_prefix(slash);
    }
    if (!uri.starts_with('/')) return false;
    path.clear();
    path.reserve(uri.size());
    for (std::size_t i = 0; i < uri.size(); ++i) {
        int high = 0, low = 0;
        if (uri[i] == '%' && i + 2 < uri.size() && (high = hexValue(uri[i + 1])) >= 0 &&
            (low = hexValue(uri[i + 2])) >= 0) {
            if (high == 0 && low == 0) return false;  // no file name holds a NUL
            path += char(high * 16 + low);
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return true;
}

}  // namespace

StringList droppedLocalPaths(const QMimeData& data)
{
    // The raw list rather than QUrl: names that are not UTF-8 keep their bytes.
    const QByteArray bytes = data.data(QStringLiteral("text/uri-list"));
    const std::string_view list(bytes.constData(), std::size_t(bytes.size()));
    StringList paths;
    Text path;
    for (std::size_t start = 0; start < list.size();) {
        std::size_t end = list.find('\n', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view line = list.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;  // comments
        if (localPathOf(line, path)) paths.push_back(path);
    }
    return paths;
}
