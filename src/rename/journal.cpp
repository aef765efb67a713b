#include "rename/journal.h"

#include "platform/codepage.h"
#include "platform/path.h"
#include "platform/process.h"

#include <charconv>
#include <unordered_set>

// The journal is NUL-separated fields, since a path may hold any other byte:
//   "VOREL-LOG 1", code page, "run" or "undo", boot id, count, tag, then per
//   file its old path, new path, temporary name ("" unless the rename may be
//   case-only, "*" for the name moved plus ".vorel-case-" and the tag) and
//   id ("device:inode:type", or ""), then "PLAN".
// Records follow as the run goes: "I<id>" (the ids of a run, in its order,
// where its plan lacks some), "D<done>", and "E<done>" when it ends. A record
// cut short ends the reading.

namespace {

constexpr const char* magic = "VOREL-LOG 1";
constexpr std::size_t flushBytes = 1 << 16;
constexpr std::size_t nameMax = 255;  // NAME_MAX, where caseTempName starts to cut

Text namePart(const Text& path)
{
    return splitPath(activeCodePage(), path).namePart;
}

// The last element, found by its separator alone: no byte of a multibyte
// character of either code page is a slash.
std::string_view lastElement(const Text& path)
{
    return std::string_view(path).substr(path.rfind('/') + 1);
}

Text dirPrefix(const Text& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == Text::npos ? Text() : path.substr(0, slash + 1);
}

void field(std::string& out, std::string_view value)
{
    out.append(value);
    out.push_back('\0');
}

template <typename N> bool number(std::string_view text, N& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool parseId(std::string_view text, EntryId& id)
{
    id = EntryId();
    if (text.empty()) return true;
    const std::size_t a = text.find(':');
    const std::size_t b = a == std::string_view::npos ? a : text.find(':', a + 1);
    return b != std::string_view::npos && number(text.substr(0, a), id.device) &&
           number(text.substr(a + 1, b - a - 1), id.inode) && number(text.substr(b + 1), id.type) &&
           id.known();
}

class Fields {
public:
    explicit Fields(std::string_view data) : data_(data) {}
    // The next field; false at the end or in a field cut short.
    bool next(std::string_view& value)
    {
        const std::size_t end = data_.find('\0', at_);
        if (end == std::string_view::npos) return false;
        value = data_.substr(at_, end - at_);
        at_ = end + 1;
        return true;
    }
    std::size_t left() const { return data_.size() - at_; }

private:
    std::string_view data_;
    std::size_t at_ = 0;
};

struct Parsed {
    JournalKind kind = JournalKind::Run;
    Text bootId;
    StringList oldPaths, newPaths, temps;
    std::vector<EntryId> ids;
    // The id came from a record, written once the file was renamed; a plan's
    // id only tells which entry the file is.
    std::vector<bool> idRecorded;
    std::size_t done = 0;
    bool ended = false;
};

bool parse(std::string_view data, Parsed& p)
{
    Fields f(data);
    std::string_view v, cp, kind, boot, count, tag;
    if (!f.next(v) || v != magic || !f.next(cp) || !f.next(kind) || !f.next(boot) || !f.next(count) ||
        !f.next(tag))
        return false;
    if (kind != "run" && kind != "undo") return false;
    p.kind = kind == "run" ? JournalKind::Run : JournalKind::Undo;
    p.bootId = Text(boot);
    const Text suffix = ".vorel-case-" + Text(tag);
    std::size_t n = 0;
    // Every file takes at least four bytes.
    if (!number(count, n) || n > f.left() / 4) return false;
    p.oldPaths.reserve(n);
    p.newPaths.reserve(n);
    p.temps.reserve(n);
    p.ids.resize(n);
    p.idRecorded.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::string_view o, nw, t, id;
        if (!f.next(o) || !f.next(nw) || !f.next(t) || !f.next(id) || o.empty() || !parseId(id, p.ids[i]) ||
            t.find('/') != std::string_view::npos)
            return false;
        p.oldPaths.emplace_back(o);
        p.newPaths.emplace_back(nw);
        if (t == "*")
            p.temps.push_back(Text(lastElement(p.kind == JournalKind::Run ? p.oldPaths.back() : p.newPaths.back())) +
                              suffix);
        else
            p.temps.emplace_back(t);
    }
    if (!f.next(v) || v != "PLAN") return false;
    // The records: the first one that is cut short or unknown ends them.
    std::size_t nextId = 0;
    while (f.next(v) && !v.empty()) {
        const char type = v.front();
        v.remove_prefix(1);
        if (type == 'I') {
            EntryId id;
            if (nextId >= n || !parseId(v, id)) break;
            p.idRecorded[nextId] = true;
            p.ids[nextId++] = id;
        } else if (type == 'D' || type == 'E') {
            std::size_t done = 0;
            if (!number(v, done) || done > n) break;
            p.done = done;
            if (type == 'E') {
                p.ended = true;
                break;
            }
        } else {
            break;
        }
    }
    return true;
}

// Names after one folder: the same size, not the same, and the same but for
// letter case.
bool namesMayBeCaseOnly(std::string_view from, std::string_view to)
{
    if (to.size() != from.size() || from == to) return false;
    // Plain ASCII names are compared in place; others as the code page folds them.
    const auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; };
    std::size_t i = 0;
    for (; i < from.size(); ++i) {
        const auto a = static_cast<unsigned char>(from[i]), b = static_cast<unsigned char>(to[i]);
        if ((a | b) & 0x80) break;
        if (a != b && fold(a) != fold(b)) return false;
    }
    if (i == from.size()) return true;
    const CodePage cp = activeCodePage();
    return toUpperText(cp, from) == toUpperText(cp, to);
}

// The last element of the path that a case-only rename of file i would
// move (its old one for a run, its new one for an undo); empty where the
// rename cannot be case-only. paths is room for the paths where they are
// needed whole.
std::string_view caseOnlyMoved(const JournalPlan& plan, std::size_t i, Text (&paths)[2])
{
    const std::string_view folder = plan.oldPaths.folder(i);
    const std::string_view from = plan.oldPaths.name(i), to = plan.newPaths.name(i);
    const std::string_view moved = plan.kind == JournalKind::Run ? from : to;
    // Names after a folder that ends in its separator, as a run keeps them,
    // are compared as they stand; the character walk starts afresh after a
    // separator, so the folder's bytes cannot change the outcome.
    if (!folder.empty() && folder.back() == '/' && plan.newPaths.folder(i) == folder)
        return namesMayBeCaseOnly(from, to) ? moved.substr(moved.rfind('/') + 1) : std::string_view();
    plan.oldPaths.pathInto(i, paths[0]);
    plan.newPaths.pathInto(i, paths[1]);
    if (!mayBeCaseOnly(paths[0], paths[1])) return {};
    return lastElement(paths[plan.kind == JournalKind::Run ? 0 : 1]);
}

// An id as "device:inode:type", nothing where it is unknown; written per
// file, with no allocation beyond the buffer's own.
void appendId(std::string& out, const EntryId& id)
{
    if (!id.known()) return;
    auto number = [&out](auto value) {
        char digits[24];
        out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    };
    number(id.device);
    out.push_back(':');
    number(id.inode);
    out.push_back(':');
    number(id.type);
}

}  // namespace

bool mayBeCaseOnly(const Text& from, const Text& to)
{
    const std::size_t slash = from.rfind('/');
    if (slash == Text::npos || to.compare(0, slash + 1, from, 0, slash + 1) != 0) return false;
    return namesMayBeCaseOnly(std::string_view(from).substr(slash + 1), std::string_view(to).substr(slash + 1));
}

bool writeJournalPlan(const JournalPlan& plan, const Text& tag, const Text& bootId,
                      const std::function<bool(const std::string&)>& flush, bool& recordsIds)
{
    std::string out;
    out.reserve(flushBytes + 8192);
    field(out, magic);
    field(out, activeCodePage() == CodePage::Cp932 ? "cp932" : "utf-8");
    field(out, plan.kind == JournalKind::Run ? "run" : "undo");
    field(out, bootId);
    field(out, std::to_string(plan.count));
    field(out, tag);
    recordsIds = false;
    const Text suffix = ".vorel-case-" + tag;
    Text paths[2];
    for (std::size_t i = 0; i < plan.count; ++i) {
        out.append(plan.oldPaths.folder(i));
        field(out, plan.oldPaths.name(i));
        out.append(plan.newPaths.folder(i));
        field(out, plan.newPaths.name(i));
        // The name the file passes through.
        const std::string_view moved = caseOnlyMoved(plan, i, paths);
        if (moved.empty())
            field(out, "");
        else if (moved.size() + suffix.size() <= nameMax)
            field(out, "*");  // the usual temporary name, one that needs no cut, is not spelled out
        else
            field(out, caseTempName(Text(moved), tag));
        const EntryId id = plan.ids && i < plan.ids->size() ? (*plan.ids)[i] : EntryId();
        appendId(out, id);
        out.push_back('\0');
        if (!id.known()) recordsIds = true;
        if (out.size() >= flushBytes) {
            if (!flush(out)) return false;
            out.clear();
        }
    }
    field(out, "PLAN");
    return flush(out);
}

void appendJournalIdRecord(std::string& out, const EntryId& id)
{
    out.push_back('I');
    appendId(out, id);
    out.push_back('\0');
}

std::string journalCountRecord(std::size_t done, bool end)
{
    std::string out = (end ? "E" : "D") + std::to_string(done);
    out.push_back('\0');
    return out;
}

JournalState readJournal(FileSystem& fs, const Text& path, std::size_t maxBytes)
{
    JournalState state;
    std::string data;
    // A FIFO, a device or a directory is not read, and left where it is;
    // nor is the journal of a run still going in another program, which is
    // not one cut short.
    if (path.empty() || journalInUse(path) || !fs.readFile(path, data, maxBytes + 1)) return state;
    Parsed p;
    if (data.size() > maxBytes || !parse(data, p)) {
        fs.renameEntry(path, path + ".bad");
        return state;
    }
    data = std::string();
    const std::size_t n = p.oldPaths.size();
    // Inode numbers of some file systems do not survive a new mount: after
    // a restart of the system only the type is compared.
    const bool sameBoot = p.bootId == currentBootId();
    auto isEntry = [&](const EntryId& now, const EntryId& recorded) {
        if (!now.known()) return false;
        if (!recorded.known()) return true;
        return sameBoot ? now == recorded : now.type == recorded.type;
    };
    // The name as stored: on a case-insensitive file system the old and the
    // new name of a case-only rename find the same entry.
    auto storedAs = [&](const Text& path) {
        if (path.empty()) return false;
        const EntryInfo info = fs.lookupEntry(path);
        return info.exists && info.storedName == namePart(path);
    };
    // The id kept is the one found, which matched the one recorded.
    auto keep = [&](std::size_t i, const Text& now, const EntryId& id) {
        state.before.push_back(p.oldPaths[i]);
        state.now.push_back(now);
        state.ids.push_back(id);
    };
    const FileSystemBatch batch(fs);
    if (p.ended) {
        // Still to put back: the run's first done files, or those an undo did not reach.
        const std::size_t left = p.kind == JournalKind::Run ? p.done : n - p.done;
        for (std::size_t i = 0; i < left; ++i) {
            const EntryId now = fs.entryId(p.newPaths[i]);
            if (!storedAs(p.newPaths[i]) || !isEntry(now, p.ids[i])) return JournalState();
            keep(i, p.newPaths[i], now);
        }
        if (!state.before.empty()) state.status = JournalState::Status::Completed;
        return state;
    }
    // Cut short: each file is looked for, the count not trusted. A run's
    // files past its last id record were renamed in order up to the first
    // that is not under its new name. An empty entry beside the file is what
    // a reservation of a name left.
    std::unordered_set<std::string_view> newPaths;
    if (p.kind == JournalKind::Run)
        for (const Text& path : p.newPaths) newPaths.insert(path);
    bool gap = false;
    for (std::size_t i = 0; i < n; ++i) {
        const Text temp = p.temps[i].empty() ? Text() : dirPrefix(p.oldPaths[i]) + p.temps[i];
        const Text* names[3] = {&temp, &p.newPaths[i], &p.oldPaths[i]};
        bool there[3], empty[3];
        bool anyFull = false;
        for (int k = 0; k < 3; ++k) {
            there[k] = storedAs(*names[k]);
            empty[k] = there[k] && fs.isEmptyEntry(*names[k]);
            anyFull = anyFull || (there[k] && !empty[k]);
        }
        for (int k = 0; k < 3; ++k) {
            if (!(there[k] && empty[k] && anyFull)) continue;
            there[k] = false;
            state.leftovers.push_back(*names[k]);
        }
        const EntryId& recorded = p.ids[i];
        if (there[0]) {
            keep(i, temp, fs.entryId(temp));
            gap = true;
            continue;
        }
        const bool unknown = p.kind == JournalKind::Run && !recorded.known();
        // Under its old name, unless a later file of the run took that name.
        const bool atOld = there[2] && !(unknown && newPaths.count(p.oldPaths[i]));
        if (there[1] && !(unknown && (gap || atOld))) {
            const EntryId now = fs.entryId(p.newPaths[i]);
            if (isEntry(now, recorded)) {
                keep(i, p.newPaths[i], now);
                continue;
            }
        }
        if (unknown) gap = true;
        // Under its old name the file was not renamed, unless a record says it was.
        if (!(p.kind == JournalKind::Run && p.idRecorded[i]) && there[2]) continue;
        state.missing.push_back(p.oldPaths[i]);
    }
    if (!state.before.empty() || !state.missing.empty() || !state.leftovers.empty()) state.status = JournalState::Status::Interrupted;
    return state;
}
