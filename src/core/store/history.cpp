#include "core/store/history.h"
#include "core/os/files.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/store/game_change.h"
#include "core/store/data_list.h"
#include "core/text/sha256.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr const char* HistoryName = "history.txt";

// history.txt: a comment line naming the game folder, then per step a line
// "S, ID, date, done or undone, what" followed by a line "F, before, after, file" per file
// ("-" for a file that did not exist), separated by tabs; the file is last, so it may hold tabs.
// A step with a damaged line is dropped whole, its file lines with it.
struct Steps {
    DataList list;
    std::vector<Step> steps;
};

Steps readSteps(const fs::path& folder)
{
    Steps read{DataList(folder / HistoryName), {}};
    const auto version = [](const std::string& field, std::string& into) {
        into = field == "-" ? std::string() : field;
        return field == "-" || isVersionName(field);
    };
    std::optional<Step> step;   // the step being read, while its lines are sound
    std::vector<int> lines;     // the lines of the step being read
    bool damaged = false;
    const auto end = [&] {
        if (step && !damaged && !step->files.empty() && (read.steps.empty() || step->id > read.steps.back().id))
            read.steps.push_back(std::move(*step));
        else
            for (const int line : lines)
                read.list.damaged(line);
        step.reset();
        lines.clear();
        damaged = false;
    };
    for (const auto& [number, line] : read.list.read()) {
        const auto kind = line.substr(0, line.find('\t'));
        if (kind != "F")
            end();
        lines.push_back(number);
        const auto fields = splitListLine(line, kind == "S" ? 4 : 3);
        if (kind == "S" && !fields.empty()) {
            step.emplace();
            const auto [last, error] = std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), step->id);
            step->date = fields[2];
            step->undone = fields[3] == "undone";
            step->what = fields[4];
            damaged = error != std::errc() || last != fields[1].data() + fields[1].size() || step->id <= 0
                      || (fields[3] != "done" && !step->undone);
        } else if (kind == "F" && !fields.empty() && step) {
            StepFile file{fields[3], {}, {}};
            damaged = !version(fields[1], file.before) || !version(fields[2], file.after) || damaged;
            step->files.push_back(std::move(file));
        } else {
            damaged = true;
        }
    }
    end();
    return read;
}

void writeSteps(Steps& read, const fs::path& gameFolder)
{
    const auto version = [](const std::string& v) { return v.empty() ? std::string("-") : v; };
    std::ostringstream text;
    text << "# History of the game in " << os::textOf(fs::absolute(gameFolder)) << '\n';
    for (const auto& step : read.steps) {
        text << "S\t" << step.id << '\t' << step.date << '\t' << (step.undone ? "undone" : "done") << '\t' << step.what << '\n';
        for (const auto& f : step.files)
            text << "F\t" << version(f.before) << '\t' << version(f.after) << '\t' << f.file << '\n';
    }
    read.list.write(text.str());
}

void addVersions(const Step& step, std::set<std::string>& versions)
{
    for (const auto& f : step.files) {
        versions.insert(f.before);
        versions.insert(f.after);
    }
}

// A status text as one line of the history.
std::string oneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

// Puts a file as given: the bytes, or no file.
void putFile(const fs::path& path, const std::optional<Bytes>& bytes)
{
    if (bytes)
        writeFileAtomically(path, *bytes);
    else
        removeFile(path);
}

} // namespace

void replaceAllOrNothing(const std::vector<Replacement>& files, const std::function<void()>& then)
{
    // The new files are written together (flushed, journalled once, renamed, each folder
    // flushed once); then the files to go are removed.
    std::vector<NewContent> writes;
    std::vector<const Replacement*> order;   // as they are put in place
    for (const auto& file : files)
        if (file.wanted) {
            writes.push_back({file.path, *file.wanted});
            order.push_back(&file);
        }
    for (const auto& file : files)
        if (!file.wanted)
            order.push_back(&file);
    std::size_t done = 0;
    try {
        writeFilesAtomically(writes, done);
        for (; done < order.size(); ++done)
            removeFile(order[done]->path);
        if (then)
            then();
    } catch (const FileError&) {
        // The files already replaced return to what they were.
        for (std::size_t i = done; i-- > 0;)
            try {
                putFile(order[i]->path, order[i]->now);
            } catch (const FileError&) {
            }
        throw;
    }
}

std::string Step::fileList() const
{
    std::string list;
    for (const auto& f : files)
        list += (list.empty() ? "" : ",") + f.file;
    return list;
}

std::set<std::string> historyVersions(const BackupKeeper& keeper)
{
    std::set<std::string> versions;
    for (const auto& step : readSteps(keeper.folder()).steps)
        addVersions(step, versions);
    return versions;
}

std::vector<Step> History::steps() const
{
    std::error_code error;
    if (!fs::exists(keeper_.folder(), error))
        return {};
    const GameLock lock(keeper_.workspace());
    auto steps = readSteps(keeper_.folder()).steps;
    std::reverse(steps.begin(), steps.end());
    return steps;
}

std::string History::damage() const
{
    std::error_code error;
    if (!fs::exists(keeper_.folder(), error))
        return {};
    const GameLock lock(keeper_.workspace());
    return readSteps(keeper_.folder()).list.damage();
}

void History::record(const std::vector<NotedFile>& noted, const std::string& what)
{
    const GameLock lock(keeper_.workspace());
    const auto store = keeper_.store();
    Step step;
    for (const auto& n : noted) {
        std::error_code error;
        const auto after = n.after                     ? *n.after
                           : fs::exists(n.path, error) ? store.put(readWholeFile(n.path), n.before)
                                                       : std::string();
        if (after != n.before)
            step.files.push_back({keeper_.fileKey(n.path), n.before, after});
    }
    if (step.files.empty())
        return;
    auto read = readSteps(keeper_.folder());
    auto& steps = read.steps;
    std::set<std::string> dropped;
    for (const auto& s : steps) {
        step.id = std::max(step.id, s.id);
        if (s.undone)
            addVersions(s, dropped);
    }
    ++step.id;
    std::erase_if(steps, [](const Step& s) { return s.undone; });   // a new step ends what redo could put back
    step.date = dateText(keeper_.now());
    step.what = oneLine(what.empty() ? "Changed " + step.fileList() : what);
    steps.push_back(step);
    while (steps.size() > KeptSteps) {
        addVersions(steps.front(), dropped);
        steps.erase(steps.begin());
    }
    writeSteps(read, keeper_.workspace().gameFolder);
    store.drop(dropped, keeper_.versionsInUse());
}

Outcome History::undo()
{
    return move(true);
}

Outcome History::redo()
{
    return move(false);
}

Outcome History::move(bool back)
{
    const GameLock lock(keeper_.workspace());
    auto read = readSteps(keeper_.folder());
    auto& steps = read.steps;
    const char* done = back ? "undone" : "redone";
    // Which step comes next is not known in a damaged history: the damaged one may be it.
    if (const auto damage = read.list.damage(); !damage.empty())
        return Outcome::refused(damage + ", so nothing was " + done);
    // Undone steps are the newest: undo takes the newest step still done, redo the oldest undone.
    Step* found = nullptr;
    for (auto& s : steps)
        if (back ? !s.undone : s.undone && !found)
            found = &s;
    if (!found)
        return Outcome::refused(back ? "There is nothing to undo" : "There is nothing to redo");
    Step& step = *found;

    // Every file is checked and read before the first is written.
    std::vector<Replacement> puts;
    const auto store = keeper_.store();
    for (const auto& f : step.files) {
        if (const auto why = keeper_.notRestorable(f.file); !why.empty())
            return Outcome::refused("The history names " + f.file + ", " + why + ", so nothing was " + done);
        Replacement put{keeper_.fileFor(f.file), {}, {}};
        std::error_code error;
        try {
            if (fs::exists(put.path, error))
                put.now = readWholeFile(put.path);
            if (const auto& wanted = back ? f.before : f.after; !wanted.empty())
                put.wanted = store.get(wanted, f.file);
        } catch (const FileError& failure) {
            return Outcome::refused(std::string(failure.what()) + ", so nothing was " + done);
        }
        if ((put.now ? sha256Hex(*put.now) : std::string()) != (back ? f.after : f.before))
            return Outcome::refused(f.file + " was changed outside Quorvex since \"" + step.what + "\", so nothing was " + done);
        puts.push_back(std::move(put));
    }

    if (auto* change = GameChange::inProgress(keeper_.workspace()))
        change->leaveOutOfHistory();
    try {
        replaceAllOrNothing(puts, [&] {
            step.undone = back;
            writeSteps(read, keeper_.workspace().gameFolder);
        });
    } catch (const FileError& failure) {
        return Outcome::refused(std::string(failure.what()) + ", so nothing was " + done);
    }
    GameParts parts;
    for (const auto& put : puts)
        parts |= gamePartsIn(put.path, keeper_.workspace().gameFolder);
    // The files named once: a step whose text names each of them already (a profile switch, a
    // change without a status) gets no list of its own.
    const bool named = std::all_of(step.files.begin(), step.files.end(),
                                   [&](const auto& f) { return step.what.find(f.file) != std::string::npos; });
    const auto text = std::string(back ? "Undone: " : "Redone: ") + step.what + (named ? "" : " (" + step.fileList() + ")");
    return Outcome::done(text, text).changing(parts);
}

fs::path historyFile(const BackupKeeper& keeper)
{
    return keeper.folder() / HistoryName;
}

} // namespace quorvex
