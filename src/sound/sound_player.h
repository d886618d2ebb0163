#pragma once
// Playing a sound, built into the module "quorvex-audio" so that Qt Multimedia and the libraries
// it pulls in (PulseAudio, D-Bus, Qt Network…) are loaded at the first play, not at every start.
// The program and the module share only this header: no Qt type and no signal crosses it.
#include <cstdint>
#include <string>
#include <vector>

namespace quorvex {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Stops what plays and starts samples (8-bit unsigned, mono, at rate samples a second) on
    // the default output; playing stops by itself at their end. Returns an empty text, or the
    // status text that says why the sound can not be played.
    virtual std::string play(std::vector<std::uint8_t> samples, int rate) = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
};

// The module's entry point: a new player.
using MakeSoundPlayer = SoundPlayer*();
inline constexpr const char* SoundModule = "quorvex-audio";
inline constexpr const char* MakeSoundPlayerSymbol = "quorvexMakeSoundPlayer";

} // namespace quorvex
