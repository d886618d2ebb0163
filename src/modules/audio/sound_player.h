#pragma once
// Playing a sound, built into the module "quorvex-audio" so that Qt Multimedia and the libraries
// it pulls in (PulseAudio, D-Bus, Qt Network…) are loaded at the first play, not at every start.
// The program and the module share only this header: no Qt type and no signal crosses it, and
// only plain types do: the player is made and freed by the module, its texts are its own.
#include <cstddef>
#include <cstdint>

namespace quorvex {

class SoundPlayer {
public:
    // Stops what plays and starts samples (8-bit unsigned, mono, at rate samples a second) on
    // the default output, copied; playing stops by itself at their end. Returns an empty text,
    // or the status text that says why the sound can not be played.
    virtual const char* play(const std::uint8_t* samples, std::size_t count, int rate) = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;

protected:
    ~SoundPlayer() = default;   // freed by the module's freePlayer
};

// Raised whenever the table below or SoundPlayer changes shape.
inline constexpr int SoundPlayerVersion = 1;

struct SoundModuleTable {
    int version;
    SoundPlayer* (*makePlayer)();
    void (*freePlayer)(SoundPlayer* player);
};

// The module's entry point: extern "C" const SoundModuleTable* quorvex_audio().
inline constexpr const char* SoundModule = "quorvex-audio";
inline constexpr const char* SoundModuleEntry = "quorvex_audio";

} // namespace quorvex
