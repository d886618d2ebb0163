#pragma once
// The lists of the data folder (backups.txt, history.txt, profiles.txt) are untrusted input:
// anyone may have edited, damaged or replaced them. A list that is a link, no file, or larger
// than any list Quorvex writes is refused before a byte of it is read. Its lines come with their
// numbers (a CRLF line end read as LF); the reader marks the lines it cannot use, and drops the
// whole entry a marked line belongs to, never joining its other lines to a neighbour. Before a
// damaged list is rewritten, the list as read is kept beside it (history.txt.damaged,
// history.txt.damaged-2, ...), so an edit the user wants back is never lost.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

struct ListLine {
    int number;          // from 1, as an editor counts
    std::string text;
};

class DataList {
public:
    static constexpr std::uint64_t MostSize = std::uint64_t{16} << 20;

    explicit DataList(std::filesystem::path path) : path_(std::move(path)) {}

    // The list's lines, blank lines and comments ("#") left out; none when there is no list.
    // Throws FileError when the list is a link, no file, too large or cannot be read.
    std::vector<ListLine> read();
    // Marks a line the reader could not use.
    void damaged(int line);
    // "history.txt is damaged at line 3" (and how many more lines), or empty.
    std::string damage() const;
    // Replaces the list with text, after keeping a damaged list as read.
    void write(std::string_view text);

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::string read_;
    std::vector<int> damaged_;
};

// Refuses (FileError) a link where Quorvex keeps its own files, the lists and the store, so that
// nothing is ever read or written through one.
void refuseLink(const std::filesystem::path& path);

// True for the name of a version in the store: 64 lower-case hexadecimal digits.
bool isVersionName(std::string_view name);

} // namespace quorvex
