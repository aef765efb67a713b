#include "platform/xdg_folders.h"

#include "platform/process.h"

#include <pwd.h>
#include <unistd.h>

namespace {

Text withoutTrailingSlashes(Text folder)
{
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

StringList absoluteFolders(const Text& list)
{
    StringList result;
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = list.find(':', start);
        if (end == Text::npos) end = list.size();
        if (end > start && list[start] == '/') result.push_back(withoutTrailingSlashes(list.substr(start, end - start)));
        start = end + 1;
    }
    return result;
}

}  // namespace

Text homeFolder()
{
    const Text home = environmentValue("HOME");
    if (!home.empty() && home[0] == '/') return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') return pw->pw_dir;
    return "/";
}

Text userFolder(const char* variable, const char* fallback)
{
    const Text value = environmentValue(variable);
    if (!value.empty() && value[0] == '/') return withoutTrailingSlashes(value);
    const Text home = withoutTrailingSlashes(homeFolder());
    return (home == "/" ? home : home + "/") + fallback;
}

StringList searchFolders(const char* variable, const char* defaults)
{
    StringList folders = absoluteFolders(environmentValue(variable));
    return folders.empty() ? absoluteFolders(defaults) : folders;
}
