// sounds list, export, export-all, import: the sound bank.
#include "cli/cli.h"
#include "core/os/files.h"
#include "core/sound/sound_operations.h"

#include <optional>
#include <ostream>

namespace fs = std::filesystem;

namespace quorvex::cli {

namespace {

// The bank named by --bank, else the game's.
fs::path bankFile(Context& context, Arguments& args)
{
    const auto given = takeValue(args, "--bank");
    return given ? os::pathFromText(*given) : soundBankInUse(context.workspace, std::nullopt);
}

int entryNumber(Context& context, const std::string& text)
{
    const auto number = soundNumber(text);
    if (!number)
        context.finish(Outcome::refused("No sound " + text + ": sound numbers run from 0 to 29"));
    return number.value_or(-1);
}

int list(Context& context, const Arguments& given, const Command& command)
{
    Arguments args = given;
    const auto bank = SoundBank::load(bankFile(context, args));
    expectArguments(args, 0, 0, command);
    for (int i = 0; i < SoundCount; ++i)
        context.out << i << '\t' << SoundNames[static_cast<std::size_t>(i)] << '\t' << bank.entry(i).length << '\n';
    return 0;
}

int exportOne(Context& context, const Arguments& given, const Command& command)
{
    Arguments args = given;
    const auto file = bankFile(context, args);
    expectArguments(args, 2, 2, command);
    const int index = entryNumber(context, args[0]);
    if (index < 0)
        return 1;
    if (isStandardStream(args[1])) {
        const StandardStreamFile output("Snd" + args[0] + ".wav");
        return output.finishToOutput(context, exportSound(SoundBank::load(file), index, output.path()));
    }
    return context.finish(exportSound(SoundBank::load(file), index, os::pathFromText(args[1])));
}

int exportAll(Context& context, const Arguments& given, const Command& command)
{
    Arguments args = given;
    const auto file = bankFile(context, args);
    expectArguments(args, 1, 1, command);
    return context.finish(exportAllSounds(SoundBank::load(file), os::pathFromText(args[0])));
}

int import(Context& context, const Arguments& given, const Command& command)
{
    Arguments args = given;
    const auto file = bankFile(context, args);
    const auto to = takeValue(args, "--to");
    expectArguments(args, 2, 2, command);
    const int index = entryNumber(context, args[0]);
    if (index < 0)
        return 1;
    // NEW.SND is settled before the sound is converted, and the import is reported only once
    // the bank holding it is written.
    Asker ask = context.ask;
    if (to) {
        if (auto refusal = refuseReplacing(*to, context.ask))
            return context.finish(*refusal);
        ask = [](std::string_view) { return true; };   // asked already
    }
    auto bank = SoundBank::load(file);
    std::optional<StandardStreamFile> input;
    if (isStandardStream(args[1])) {
        input.emplace("standard input");
        input->fillFromInput();
    }
    const auto imported = input ? input->naming(importSound(bank, index, input->path())) : importSound(bank, index, os::pathFromText(args[1]));
    if (!imported.succeeded())
        return context.finish(imported);
    const auto saved = to ? saveSoundMod(bank, *to, ask) : saveSoundBank(bank, file);
    if (saved.succeeded())
        context.out << imported.status << '\n';
    return context.finish(saved);
}

} // namespace

void addSoundCommands(CommandTable& table)
{
    table.push_back({"sounds list", "[--bank FILE]",
                     "prints number, name and length in bytes of the 30 sounds of the game's bank (or FILE)", list, {}, {"", "--bank mods/CRUNCHY.SND"}, {}, "snd"});
    table.push_back({"sounds export", "N OUT.wav [--bank FILE]",
                     "writes sound N as an 8-bit mono WAV file; an existing OUT.wav is kept; - writes to standard output",
                     exportOne, {}, {"3 bazooka.wav", "3 - | aplay"}, {}, "snd"});
    table.push_back({"sounds export-all", "DIR [--bank FILE]",
                     "writes every sound as DIR/SndN.wav; existing files are kept and reported", exportAll, {},
                     {"sounds"}, {}, "snd"});
    table.push_back({"sounds import", "N IN [--bank FILE] [--to NEW.SND]",
                     "replaces sound N by the sound file IN (WAV, AIFF, FLAC, Ogg; mixed to mono and resampled to "
                     "22050 per second) and saves the bank in place, or as NEW.SND leaving the bank as it was; - "
                     "reads IN from standard input",
                     import, {"3 mods/VOICE.WAV"}, {"3 voice.wav --to LOUD.SND", "3 - < voice.flac"}, {},
                     "wav|aiff|aif|flac|ogg|snd"});
}

} // namespace quorvex::cli
