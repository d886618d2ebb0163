#include "core/sound/sound_operations.h"
#include "core/os/files.h"
#include "core/base/extension.h"
#include "core/base/errors.h"
#include "core/text/number_text.h"
#include "core/gamefile/game_file.h"
#include "core/platform/module_loader.h"

namespace fs = std::filesystem;

namespace quorvex {

namespace {

// Entries that reach past the end and were not replaced cannot be written into a bank.
std::optional<Outcome> refuseDamaged(const SoundBank& bank)
{
    if (const auto damaged = bank.firstDamaged())
        return Outcome::refused(std::string(SoundNames[static_cast<std::size_t>(*damaged)]) + " (sound "
                                + std::to_string(*damaged)
                                + ") reaches past the end of the bank: import a sound into it before saving");
    return std::nullopt;
}

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

} // namespace

fs::path soundBankInUse(const Workspace& workspace, const std::optional<fs::path>& selected)
{
    if (selected && upperExtension(*selected) == ".SND")
        return *selected;
    return workspace.torloSnd();
}

fs::path soundExportPath(const fs::path& folder, int index)
{
    return folder / ("Snd" + std::to_string(index) + ".wav");
}

std::optional<int> soundNumber(std::string_view text)
{
    const auto number = tryStrToInt(text);
    if (!number || *number < 0 || *number >= SoundCount)
        return std::nullopt;
    return *number;
}

Outcome exportSound(const SoundBank& bank, int index, const fs::path& target)
{
    if (isTaken(target))
        return Outcome::refused(inQuotes(target) + " already exists and was kept");
    // A new export replaces nothing, so like a copy it needs no flush to the disk.
    writeFileAtomically(target, soundToWav(bank.samples(index)), Durability::Cached);
    return Outcome::done("Saved as " + inQuotes(target));
}

Outcome exportAllSounds(const SoundBank& bank, const fs::path& folder, const std::function<void(int, int)>& progress)
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return Outcome::refused("The folder " + inQuotes(folder) + " does not exist");
    int written = 0;
    std::vector<std::string> kept, damaged;
    for (int i = 0; i < SoundCount; ++i) {
        const auto target = soundExportPath(folder, i);
        if (!bank.entry(i).intact && !bank.changed(i))
            damaged.push_back(os::textOf(target.filename()));
        else if (isTaken(target))
            kept.push_back(os::textOf(target.filename()));
        else {
            writeFileAtomically(target, soundToWav(bank.samples(i)), Durability::Cached);   // new, as in exportSound
            ++written;
        }
        if (progress)
            progress(i, written);
    }
    std::string status = std::to_string(written) + " sounds saved as WAV in " + inQuotes(folder);
    if (!kept.empty())
        status += "; kept existing " + joined(kept);
    if (!damaged.empty())
        status += "; past the end of the bank: " + joined(damaged);
    return kept.empty() && damaged.empty() ? Outcome::done(status) : Outcome::refused(status);
}

std::variant<Bytes, Outcome> soundForImport(const fs::path& file, const ImportProgress& progress)
{
    const auto refuse = [&](const std::exception& error) {
        return Outcome::refused("Can not import " + inQuotes(file) + ": " + error.what());
    };
    try {
        return bankSamplesFromSoundFile(file, progress);
    } catch (const SoundFileError& error) {
        return refuse(error);
    } catch (const FileError& error) {
        return refuse(error);
    } catch (const ModuleError& error) {   // the codecs could not be loaded
        return refuse(error);
    }
}

Outcome importSamples(SoundBank& bank, int index, const fs::path& file, Bytes samples)
{
    bank.replace(index, std::move(samples));
    return Outcome::done(std::string(SoundNames[static_cast<std::size_t>(index)]) + " replaced by " + inQuotes(file) + " ("
                         + soundLengthText(bank.length(index)) + ")");
}

Outcome importSound(SoundBank& bank, int index, const fs::path& file)
{
    auto read = soundForImport(file);
    if (auto* refusal = std::get_if<Outcome>(&read))
        return *refusal;
    return importSamples(bank, index, file, std::get<Bytes>(std::move(read)));
}

Outcome saveSoundBank(SoundBank& bank, const fs::path& file)
{
    if (auto refusal = refuseDamaged(bank))
        return *refusal;
    auto rebuilt = bank.rebuild();
    writeFileAtomically(file, rebuilt);
    bank = SoundBank::fromBytes(std::move(rebuilt));
    return Outcome::done("Sounds saved", "Sound bank " + os::textOf(file) + " saved").changing(GamePart::Sounds);
}

std::optional<Outcome> refuseReplacing(const fs::path& target, const Asker& ask)
{
    if (isTaken(target) && !(ask && ask(inQuotes(target) + " already exists. Replace it?")))
        return Outcome::nothing(inQuotes(target) + " already exists and was kept");
    return std::nullopt;
}

Outcome saveSoundMod(const SoundBank& bank, const fs::path& target, const Asker& ask)
{
    if (auto refusal = refuseReplacing(target, ask))
        return *refusal;
    if (auto refusal = refuseDamaged(bank))
        return *refusal;
    writeFileAtomically(target, bank.rebuild());
    return Outcome::done("Soundmod saved as " + inQuotes(target));
}

} // namespace quorvex
