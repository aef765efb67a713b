#include "platform/path.h"

bool isPathSeparator(char c) { return c == '/'; }

char pathSeparator() { return '/'; }

bool isSingleNameComponent(CodePage, std::string_view name)
{
    if (name.empty() || name == "." || name == "..") return false;
    // One pass for both bytes: a run checks every old and new name.
    bool plain = true;
    for (const char c : name) plain &= c != '/' && c != '\0';
    return plain;
}

FolderAndNameView folderAndNameView(std::string_view path)
{
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    if (end == 1 && path[0] == '/') return {"/", "/"};
    const std::size_t slash = end == 0 ? Text::npos : path.rfind('/', end - 1);
    if (slash == Text::npos) return {".", path.substr(0, end)};
    return {slash == 0 ? std::string_view("/") : path.substr(0, slash), path.substr(slash + 1, end - slash - 1)};
}

FolderAndName folderAndName(const Text& path)
{
    const FolderAndNameView split = folderAndNameView(path);
    return {Text(split.folder), Text(split.name)};
}

Text pathInFolder(const Text& folder, const Text& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}
