// convert, activate, preview: the mod formats.
#include "cli/cli.h"
#include "core/formats/activation.h"
#include "core/formats/conversion.h"
#include "core/formats/preview.h"
#include "core/formats/file_formats.h"
#include "core/formats/level.h"
#include "core/mods/mods.h"
#include "core/shell/settings.h"

#include "core/base/extension.h"
#include "core/formats/graphics_mod.h"
#include "core/os/files.h"
#include "core/base/outcome.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <limits>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace quorvex::cli {

namespace {

// --powerlevel or --no-powerlevel, else the "MakePL" setting (read only when it decides).
bool powerlevelChoice(Context& context, Arguments& args)
{
    const bool on = takeFlag(args, "--powerlevel");
    const bool off = takeFlag(args, "--no-powerlevel");
    if (on && off)
        throw UsageError("--powerlevel and --no-powerlevel exclude each other");
    return on || (!off && isYes(context.settings, setting::MakePL));
}

int convert(Context& context, const Arguments& given, const Command& command)
{
    Arguments args = given;
    const bool createPowerlevel = powerlevelChoice(context, args);
    expectArguments(args, 2, 2, command);
    // DST stands in for the save dialog's answer; "-" is a scratch file of the kind the dialog
    // expects, whose bytes go to standard output.
    std::optional<StandardStreamFile> output;
    const auto outcome = convertFile(
        os::pathFromText(args[0]), context.workspace,
        [&](const std::string& filter, const fs::path& source) -> std::optional<fs::path> {
            if (!isStandardStream(args[1]))
                return os::pathFromText(args[1]);
            output.emplace(os::textOf(source.stem()) + (filter == BitmapTargetFilter ? ".bmp" : ".out"));
            return output->path();
        },
        createPowerlevel);
    return output ? output->finishToOutput(context, outcome) : context.finish(outcome);
}

// The target in DIR of each source kind: pictures of levels, palettes and graphics mods become
// .bmp; a level bitmap becomes a level and a graphics bitmap a graphics mod.
fs::path batchTarget(const fs::path& source, const fs::path& folder)
{
    auto name = source.stem();
    if (upperExtension(source) != ".BMP")
        return folder / (name += ".bmp");
    std::error_code error;
    const auto size = fs::file_size(source, error);
    return folder / (name += !error && isGraphicsBitmapSize(size) ? ".chr" : ".lev");
}

// One file of convert-all and what became of it.
struct Job {
    fs::path source, target;
    enum class Result { Converted, Refused, Failed } result = Result::Converted;
    std::string reason;
};

// One bad file never stops the others: every error is the failure of its file only.
void convertOne(Job& job, const Workspace& workspace, bool createPowerlevel)
{
    try {
        const auto outcome = convertFile(
            job.source, workspace, [&](const std::string&, const fs::path&) { return std::optional(job.target); },
            createPowerlevel);
        if (outcome.succeeded() && outcome.kind != Outcome::Kind::Nothing)
            return;
        job.result = Job::Result::Refused;
        job.reason = outcome.status.empty() ? std::string("not converted") : outcome.status;
    } catch (const std::exception& thrown) {
        job.result = Job::Result::Failed;
        job.reason = thrown.what();
    } catch (...) {
        job.result = Job::Result::Failed;
        job.reason = "an unknown error";
    }
}

int convertAll(Context& context, const Arguments& given, const Command& command)
{
    Arguments args = given;
    const bool createPowerlevel = powerlevelChoice(context, args);
    const auto to = std::find(args.begin(), args.end(), "--to");
    if (to == args.end() || to + 1 == args.end())
        throw UsageError("--to DIR is needed\nusage: quorvex-cli " + command.name + " " + command.usage);
    const fs::path folder = os::pathFromText(*(to + 1));
    args.erase(to, to + 2);
    expectArguments(args, 1, std::numeric_limits<std::size_t>::max(), command);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        context.err << "Could not use " << inQuotes(folder) << " as the target folder: "
                    << (error ? error.message() : "it is not a folder") << '\n';
        return 1;
    }

    // Targets are claimed in the order given, before any work: a name made twice is refused
    // for every source after the first.
    std::vector<Job> jobs;
    std::map<fs::path, fs::path> claimed;   // target -> the source it was made from
    for (const auto& arg : args) {
        Job job{os::pathFromText(arg), batchTarget(os::pathFromText(arg), folder), Job::Result::Converted, {}};
        const auto [owner, fresh] = claimed.emplace(job.target.lexically_normal(), job.source);
        if (!fresh) {
            job.result = Job::Result::Refused;
            job.reason = inQuotes(job.target) + " is already the conversion of " + inQuotes(owner->second);
        }
        jobs.push_back(std::move(job));
    }

    // The files are independent: they are converted on every core, each job by one worker.
    // Progress overwrites its own line with spaces: no control sequences, which a dumb
    // terminal (TERM=dumb: an editor's shell) would show as they are.
    const char* term = std::getenv("TERM");
    const bool progress = os::errorIsTerminal() && !(term && std::string_view(term) == "dumb");
    std::size_t shown = 0;
    const auto showProgress = [&](const std::string& text) {
        context.terminal << '\r' << text << std::string(shown > text.size() ? shown - text.size() : 0, ' ')
                         << (text.empty() ? "\r" : "") << std::flush;
        shown = text.size();
    };
    std::mutex printing;
    std::atomic<std::size_t> next{0}, finished{0};
    auto work = [&] {
        for (auto i = next++; i < jobs.size(); i = next++) {
            auto& job = jobs[i];
            if (job.result == Job::Result::Converted)
                convertOne(job, context.workspace, createPowerlevel);
            if (progress) {
                const std::lock_guard lock(printing);
                showProgress("[" + std::to_string(++finished) + "/" + std::to_string(jobs.size()) + "] " +
                             os::textOf(job.source.filename()));
            }
        }
    };
    const auto workers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, std::min<std::size_t>(jobs.size(), 16));
    {
        std::vector<std::jthread> helpers;
        for (std::size_t w = 1; w < workers; ++w)
            helpers.emplace_back(work);
        work();
    }
    if (progress)
        showProgress("");

    std::size_t converted = 0, refused = 0, failed = 0;
    for (const auto& job : jobs) {
        if (job.result == Job::Result::Converted) {
            ++converted;
            continue;
        }
        const bool wasRefused = job.result == Job::Result::Refused;
        ++(wasRefused ? refused : failed);
        context.err << (wasRefused ? "refused: " : "failed: ") << os::textOf(job.source) << ": " << job.reason << '\n';
    }
    context.out << "Converted " << converted << ", refused " << refused << ", failed " << failed << '\n';
    return refused + failed == 0 ? 0 : 1;
}

int activate(Context& context, const Arguments& args, const Command& command)
{
    expectArguments(args, 1, 1, command);
    const fs::path file = fs::absolute(os::pathFromText(args[0]));
    // The folder that holds FILE plays the folder shown by the browser.
    const auto activation = addMod(file, file.parent_path(), context.workspace, context.ask).activation;
    for (const auto& step : activation.earlier)   // a weapon plugin's saves
        context.finish(step);
    return context.finish(activation.outcome);
}

int preview(Context& context, const Arguments& given, const Command& command)
{
    Arguments args = given;
    const bool defaultPalette = takeFlag(args, "--default-palette");
    expectArguments(args, 1, 2, command);
    const auto shown = buildPreview(os::pathFromText(args[0]), context.workspace, !defaultPalette);
    if (shown.bitmap.empty()) {
        // Nothing drawn: a refusal, a hint, or (for a level of another size) no status at all.
        context.err << (shown.status.empty() ? "Nothing to show: a level is " + levelSizesText() + " bytes"
                                             : shown.status)
                    << '\n';
        return 1;
    }
    if (args.size() == 2 && isStandardStream(args[1])) {   // the bitmap is the output; no status line
        context.out.write(reinterpret_cast<const char*>(shown.bitmap.data()), static_cast<std::streamsize>(shown.bitmap.size()));
        return context.out.flush() ? 0 : 1;
    }
    // The bitmap is written before the status is printed: a failed write prints no success.
    if (args.size() == 2)
        writeFileAtomically(os::pathFromText(args[1]), shown.bitmap);
    if (!shown.status.empty())
        context.out << shown.status << '\n';
    return 0;
}

// The formats each command takes, for the shell's completion.
bool converts(const FileFormat& format) { return format.conversion != nullptr; }
bool activates(const FileFormat& format) { return format.activation != nullptr; }
bool previews(const FileFormat& format) { return format.preview != previewNothing; }

} // namespace

void addFormatCommands(CommandTable& table)
{
    table.push_back({"convert", "SRC DST [--powerlevel | --no-powerlevel]",
                     "converts SRC as \"Convert\" does, DST being the name given to the save dialog (- for standard "
                     "output); without an option the \"MakePL\" setting decides whether a level bitmap becomes a "
                     "powerlevel",
                     convert, {}, {"mods/MEADOW.LEV meadow.bmp", "meadow.bmp NEWLEVEL.LEV --powerlevel", "mods/WARM.PAL - | display"}, {},
                     formatExtensions(converts)});
    table.push_back({"convert-all", "SRC... --to DIR [--powerlevel | --no-powerlevel]",
                     "converts every SRC as \"Convert\" does into DIR (levels, palettes and graphics mods to "
                     ".bmp, level bitmaps to .lev, graphics bitmaps to .chr); prints a summary and each "
                     "refusal and failure with its reason; exit 1 when any was refused or failed",
                     convertAll, {}, {"mods/*.LEV --to pictures"}, {}, formatExtensions(converts)});
    table.push_back({"activate", "FILE",
                     "installs FILE into the game as \"Activate\" does (levels, graphics and sound mods, "
                     "palettes, weapon plugins); a level from another folder is copied into the game folder; a "
                     "plugin starts with weapon 0, object 0 and special object 0 selected, --yes/--no answer its "
                     "questions, and one stopped on a bad record exits 1",
                     activate,
                     {"mods/MOSSYPL2.LEV", "mods/NEONGFX.CHR", "mods/CRUNCHY.SND", "mods/PASTEL.ACT", "mods/WARM.PAL"},
                     {"--yes BLASTER.LWP"}, {}, formatExtensions(activates)});
    table.push_back({"preview", "FILE [OUT.bmp] [--default-palette]",
                     "prints the preview's status text for FILE and writes the bitmap it shows to OUT.bmp (- for "
                     "standard output, without the status); --default-palette shows plain levels without the game "
                     "palette",
                     preview, {}, {"mods/MEADOW.LEV meadow.bmp", "mods/NEONGFX.CHR - | display"}, {},
                     formatExtensions(previews)});
}

} // namespace quorvex::cli
