#include "platform/path_list.h"

#include "platform/path.h"

#include <algorithm>
#include <limits>

// Paths come in runs that share one folder. A run's names lie one after the
// other in names from nameBase; each path keeps only where its name ends,
// counted from its run's nameBase, so four bytes a path whatever the list's
// size. A run of empty paths (a report's usual entries) keeps nothing per path.
struct PathList::Store {
    struct Run {
        std::size_t first;  // the run's first path
        std::size_t folderBegin, folderEnd;  // in folders
        std::size_t nameBase;  // in names
        std::size_t endBase;   // its first path's place in nameEnds
        bool empty;            // every path of the run is empty
    };
    std::size_t count = 0;
    std::string folders;
    std::string names;
    std::vector<std::uint32_t> nameEnds;
    std::vector<Run> runs;

    const Run& runOf(std::size_t i) const
    {
        if (runs.size() == 1) return runs.front();
        auto after = std::upper_bound(runs.begin(), runs.end(), i,
                                      [](std::size_t at, const Run& run) { return at < run.first; });
        return *(after - 1);
    }
    std::string_view folder(std::size_t i) const
    {
        const Run& run = runOf(i);
        return std::string_view(folders).substr(run.folderBegin, run.folderEnd - run.folderBegin);
    }
    std::string_view name(std::size_t i) const
    {
        const Run& run = runOf(i);
        if (run.empty) return {};
        const std::size_t at = run.endBase + (i - run.first);
        const std::size_t begin = i == run.first ? 0 : nameEnds[at - 1];
        return std::string_view(names).substr(run.nameBase + begin, nameEnds[at] - begin);
    }
};

PathList::PathList(const StringList& paths)
{
    PathListBuilder builder;
    std::size_t bytes = 0;
    for (const Text& path : paths) bytes += path.size();
    builder.reserve(paths.size(), bytes);
    for (const Text& path : paths) builder.append(path);
    *this = builder.finish();
}

std::size_t PathList::size() const
{
    return store_ ? store_->count : 0;
}

std::size_t PathList::nameBytes() const
{
    return store_ ? store_->names.size() : 0;
}

std::string_view PathList::folder(std::size_t i) const
{
    return store_->folder(i);
}

std::string_view PathList::name(std::size_t i) const
{
    return store_->name(i);
}

std::size_t PathList::runEnd(std::size_t i) const
{
    const auto& runs = store_->runs;
    const auto after = std::upper_bound(runs.begin(), runs.end(), i,
                                        [](std::size_t at, const Store::Run& run) { return at < run.first; });
    return after == runs.end() ? store_->count : after->first;
}

void PathList::prefetchName(std::size_t i) const
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(store_->name(i).data());
#else
    (void)i;
#endif
}

const Text& PathList::pathInto(std::size_t i, Text& buffer) const
{
    const std::string_view f = store_->folder(i);
    const std::string_view n = store_->name(i);
    buffer.assign(f);
    buffer.append(n);
    return buffer;
}

Text PathList::operator[](std::size_t i) const
{
    Text path;
    return pathInto(i, path);
}

StringList PathList::strings() const
{
    StringList paths;
    paths.reserve(size());
    for (std::size_t i = 0; i < size(); ++i) paths.push_back((*this)[i]);
    return paths;
}

PathList PathList::first(std::size_t count) const
{
    if (count >= size()) return *this;
    PathListBuilder builder;
    for (std::size_t i = 0; i < count; ++i) builder.append(folder(i), name(i));
    return builder.finish();
}

bool operator==(const PathList& a, const PathList& b)
{
    if (a.store_ == b.store_) return true;
    if (a.size() != b.size()) return false;
    Text pa, pb;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a.pathInto(i, pa) != b.pathInto(i, pb)) return false;
    return true;
}

bool operator==(const PathList& a, const StringList& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::string_view f = a.folder(i), n = a.name(i);
        const std::string_view s = b[i];
        if (s.size() != f.size() + n.size() || s.substr(0, f.size()) != f || s.substr(f.size()) != n)
            return false;
    }
    return true;
}

PathListBuilder::PathListBuilder() : store_(std::make_unique<PathList::Store>()) {}
PathListBuilder::~PathListBuilder() = default;
PathListBuilder::PathListBuilder(PathListBuilder&&) noexcept = default;
PathListBuilder& PathListBuilder::operator=(PathListBuilder&&) noexcept = default;

void PathListBuilder::reserve(std::size_t paths, std::size_t nameBytes)
{
    store_->nameEnds.reserve(paths);
    store_->names.reserve(nameBytes);
}

void PathListBuilder::append(const Text& path)
{
    const std::size_t folderLength = pathPartLength(activeCodePage(), path);
    const std::string_view whole(path);
    append(whole.substr(0, folderLength), whole.substr(folderLength));
}

void PathListBuilder::append(std::string_view folder, std::string_view name)
{
    PathList::Store& s = *store_;
    const std::size_t i = s.count++;
    if (folder.empty() && name.empty()) {
        if (s.runs.empty() || !s.runs.back().empty)
            s.runs.push_back({i, 0, 0, s.names.size(), s.nameEnds.size(), true});
        return;
    }
    bool newRun = s.runs.empty() || s.runs.back().empty;
    if (!newRun) {
        const PathList::Store::Run& run = s.runs.back();
        const std::string_view runFolder =
            std::string_view(s.folders).substr(run.folderBegin, run.folderEnd - run.folderBegin);
        newRun = runFolder != folder ||
                 s.names.size() - run.nameBase + name.size() > std::numeric_limits<std::uint32_t>::max();
    }
    if (newRun) {
        PathList::Store::Run run{i, s.folders.size(), s.folders.size(), s.names.size(), s.nameEnds.size(), false};
        // A folder met just before (a report entry between found paths) is kept once.
        if (s.runs.size() >= 2) {
            const PathList::Store::Run& before = s.runs[s.runs.size() - 2];
            if (std::string_view(s.folders).substr(before.folderBegin, before.folderEnd - before.folderBegin) ==
                folder) {
                run.folderBegin = before.folderBegin;
                run.folderEnd = before.folderEnd;
            }
        }
        if (run.folderBegin == run.folderEnd && !folder.empty()) {
            s.folders.append(folder);
            run.folderEnd = s.folders.size();
        }
        s.runs.push_back(run);
    }
    s.names.append(name);
    s.nameEnds.push_back(static_cast<std::uint32_t>(s.names.size() - s.runs.back().nameBase));
}

std::size_t PathListBuilder::size() const
{
    return store_->count;
}

PathList PathListBuilder::finish()
{
    PathList list;
    if (store_->count > 0) {
        // Room left over from growing is given back when it is worth a copy.
        auto fit = [](auto& v) {
            if (v.capacity() > v.size() + v.size() / 8) v.shrink_to_fit();
        };
        fit(store_->names);
        fit(store_->nameEnds);
        fit(store_->runs);
        list.store_ = std::move(store_);
    }
    store_ = std::make_unique<PathList::Store>();
    return list;
}
