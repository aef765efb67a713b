#pragma once
// A list of paths that never changes once made. Copies share one store, so a
// list can be held by the session, a list view and the undo at once, and a
// run replaces a list whole instead of editing it. The store keeps each
// folder once and every name's bytes in one block, so a million paths cost
// their name bytes and a few bytes each, not a string apiece.
#include "platform/text.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

class PathList {
public:
    PathList() = default;
    PathList(const StringList& paths);
    PathList(std::initializer_list<Text> paths) : PathList(StringList(paths)) {}

    std::size_t size() const;
    bool empty() const { return size() == 0; }
    // The bytes of all names together.
    std::size_t nameBytes() const;
    // The path's bytes are exactly folder(i) followed by name(i).
    std::string_view folder(std::size_t i) const;
    std::string_view name(std::size_t i) const;
    // The end of the stretch of paths from i on that the store keeps under
    // i's folder: every path in [i, runEnd(i)) has that folder.
    std::size_t runEnd(std::size_t i) const;
    // Asks the processor to fetch name i into its caches ahead of its use.
    void prefetchName(std::size_t i) const;
    // Path i written into buffer, whose memory is reused from one call to
    // the next; returns buffer.
    const Text& pathInto(std::size_t i, Text& buffer) const;
    // Path i as a new string: for a single path, not for a loop over many.
    Text operator[](std::size_t i) const;
    Text front() const { return (*this)[0]; }
    Text back() const { return (*this)[size() - 1]; }
    StringList strings() const;
    // The first count paths: this very list when it has no more.
    PathList first(std::size_t count) const;
    // Whether both are the same list, not merely equal paths.
    bool sharesStore(const PathList& other) const { return store_ == other.store_; }

    friend bool operator==(const PathList& a, const PathList& b);
    friend bool operator==(const PathList& a, const StringList& b);

    // Reading in a range-for gives each path as a new string (for tests and
    // small lists; long loops use pathInto).
    class Iterator {
    public:
        Iterator(const PathList* list, std::size_t i) : list_(list), i_(i) {}
        Text operator*() const { return (*list_)[i_]; }
        Iterator& operator++()
        {
            ++i_;
            return *this;
        }
        bool operator==(const Iterator&) const = default;

    private:
        const PathList* list_;
        std::size_t i_;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

    struct Store;

private:
    friend class PathListBuilder;
    std::shared_ptr<const Store> store_;
};

// Makes a PathList by appending paths in order.
class PathListBuilder {
public:
    PathListBuilder();
    ~PathListBuilder();
    PathListBuilder(PathListBuilder&&) noexcept;
    PathListBuilder& operator=(PathListBuilder&&) noexcept;
    // Room for this many paths with about this many name bytes in all.
    void reserve(std::size_t paths, std::size_t nameBytes);
    // Split after the last separator, as the active code page reads it.
    void append(const Text& path);
    void append(std::string_view folder, std::string_view name);
    std::size_t size() const;
    // The list made so far; the builder starts again empty.
    PathList finish();

private:
    std::unique_ptr<PathList::Store> store_;
};
