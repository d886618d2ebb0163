#pragma once
// What the "Sounds" page and `quorvex-cli sounds` do with a bank: export one or all sounds as
// WAV files, import a sound file into an entry, save the bank in place or as a new sound mod.
#include "core/base/workspace.h"
#include "core/base/outcome.h"
#include "core/base/services.h"
#include "core/sound/sound_bank.h"
#include "core/sound/sound_import.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <variant>

namespace quorvex {

// The bank in use: the file selected in the browser when it is a .SND file, else the game's.
std::filesystem::path soundBankInUse(const Workspace& workspace, const std::optional<std::filesystem::path>& selected);

// "SndN.wav" in folder: where "Save as WAV" puts entry N.
std::filesystem::path soundExportPath(const std::filesystem::path& folder, int index);

// The entry number of a text, 0 to 29.
std::optional<int> soundNumber(std::string_view text);

// Writes entry index as a WAV file; an existing target is kept and reported. An entry that
// reaches past the end of the bank throws "Read beyond end of file".
Outcome exportSound(const SoundBank& bank, int index, const std::filesystem::path& target);

// Writes every entry as SndN.wav in folder, in bank order; progress(N, saved) after each, with
// the number of files written so far. Existing files are kept, entries past the end of the
// bank skipped; both are reported (and refused).
Outcome exportAllSounds(const SoundBank& bank, const std::filesystem::path& folder,
                        const std::function<void(int index, int saved)>& progress = {});

// Replaces entry index with the sound file's samples, in memory; a file that cannot be read
// changes nothing and says why.
Outcome importSound(SoundBank& bank, int index, const std::filesystem::path& file);
// The same in two halves, so that the conversion can run beside the window: the file's bank
// samples, or the refusal that says why it cannot be imported (any thread; progress as in
// bankSamplesFromSoundFile, whose ImportStopped passes through)...
std::variant<Bytes, Outcome> soundForImport(const std::filesystem::path& file, const ImportProgress& progress = {});
// ...and entry index replaced by them.
Outcome importSamples(SoundBank& bank, int index, const std::filesystem::path& file, Bytes samples);

// Writes the bank with its imports over file in one step; the imports then count as saved.
Outcome saveSoundBank(SoundBank& bank, const std::filesystem::path& file);

// The answer for a new file at target: nothing when it is free or ask agrees to replace it, else
// the refusal ("... already exists and was kept"). Asked before any work is done for the file.
std::optional<Outcome> refuseReplacing(const std::filesystem::path& target, const Asker& ask);

// Writes the bank with its imports as a new sound mod; an existing target is replaced only
// when ask agrees. The bank in use is not touched.
Outcome saveSoundMod(const SoundBank& bank, const std::filesystem::path& target, const Asker& ask);

} // namespace quorvex
