#include "core/store/data_list.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace quorvex {

void refuseLink(const fs::path& path)
{
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error)))
        throw FileError(path.string() + " is a link; Quorvex never reads or writes its lists and store through one");
}

bool isVersionName(std::string_view name)
{
    return name.size() == 64 && name.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::vector<ListLine> DataList::read()
{
    read_.clear();
    damaged_.clear();
    refuseLink(path_);
    std::error_code error;
    const auto kind = fs::status(path_, error).type();
    if (kind == fs::file_type::not_found)
        return {};
    const auto name = path_.filename().string();
    if (kind != fs::file_type::regular)
        throw FileError(name + " is damaged: " + path_.string() + " is not a file");
    if (fileSize(path_) > MostSize)
        throw FileError(name + " is damaged: " + path_.string() + " is larger than any list Quorvex writes");
    const auto bytes = readWholeFile(path_);
    read_.assign(bytes.begin(), bytes.end());
    std::vector<ListLine> lines;
    int number = 0;
    for (std::size_t start = 0; start < read_.size();) {
        auto end = read_.find('\n', start);
        if (end == std::string::npos)
            end = read_.size();
        ++number;
        auto text = read_.substr(start, end - start);
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (!text.empty() && text.front() != '#')
            lines.push_back({number, std::move(text)});
        start = end + 1;
    }
    return lines;
}

void DataList::damaged(int line)
{
    damaged_.push_back(line);
}

std::string DataList::damage() const
{
    if (damaged_.empty())
        return {};
    auto text = path_.filename().string() + " is damaged at line " + std::to_string(damaged_.front());
    if (damaged_.size() > 1)
        text += " and " + std::to_string(damaged_.size() - 1) + " more line" + (damaged_.size() > 2 ? "s" : "");
    return text;
}

void DataList::write(std::string_view text)
{
    if (!damaged_.empty() && !read_.empty()) {
        auto copy = path_;
        copy += ".damaged";
        for (int n = 2; isTaken(copy); ++n) {
            copy = path_;
            copy += ".damaged-" + std::to_string(n);
        }
        writeFileAtomically(copy, read_);
        damaged_.clear();
    }
    writeFileAtomically(path_, text);
    read_ = text;
}

} // namespace quorvex
