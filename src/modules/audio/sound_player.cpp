// The module "quorvex-audio": the sound player on Qt Multimedia (see sound_player.h).
#include "modules/audio/sound_player.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

namespace quorvex {

namespace {

// Bytes of 8-bit unsigned samples as 16-bit signed little-endian ones.
QByteArray widened(const std::uint8_t* samples, std::size_t count)
{
    QByteArray wide(static_cast<qsizetype>(count * 2), Qt::Uninitialized);
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = static_cast<std::int16_t>((samples[i] - 128) * 256);
        wide[static_cast<qsizetype>(2 * i)] = static_cast<char>(value & 0xFF);
        wide[static_cast<qsizetype>(2 * i + 1)] = static_cast<char>((value >> 8) & 0xFF);
    }
    return wide;
}

class QtSoundPlayer final : public SoundPlayer {
public:
    ~QtSoundPlayer() { stop(); }

    const char* play(const std::uint8_t* samples, std::size_t count, int rate) override
    {
        stop();
        // Without an output device Qt would report "playing" and play nothing.
        if (QMediaDevices::audioOutputs().isEmpty())
            return "No sound output found: the sound can not be played";
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        QAudioFormat format;
        format.setSampleRate(rate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::UInt8);
        const bool narrow = device.isFormatSupported(format);
        if (!narrow)
            format.setSampleFormat(QAudioFormat::Int16);
        sink_ = new QAudioSink(device, format);
        // The buffer lives as long as the sink that reads it.
        auto* source = new QBuffer(sink_);
        source->setData(narrow ? QByteArray(reinterpret_cast<const char*>(samples), static_cast<qsizetype>(count))
                               : widened(samples, count));
        source->open(QIODevice::ReadOnly);
        QObject::connect(sink_, &QAudioSink::stateChanged, sink_, [this](QAudio::State state) {
            if (state == QAudio::IdleState)
                stop();   // the whole sound was played
        });
        sink_->start(source);
        if (sink_->error() != QAudio::NoError) {
            stop();
            return "The sound output could not be opened";
        }
        return "";
    }

    void stop() override
    {
        if (!sink_)
            return;
        // Deleted later: stop may be called from the sink's own signal.
        QObject::disconnect(sink_, nullptr, nullptr, nullptr);
        sink_->stop();
        sink_->deleteLater();
        sink_ = nullptr;
    }

    bool isPlaying() const override { return sink_ && sink_->state() == QAudio::ActiveState; }

private:
    QAudioSink* sink_ = nullptr;
};

} // namespace

} // namespace quorvex

extern "C" Q_DECL_EXPORT const quorvex::SoundModuleTable* quorvex_audio()
{
    using namespace quorvex;
    static const SoundModuleTable table{
        SoundPlayerVersion,
        []() -> SoundPlayer* { return new QtSoundPlayer; },
        [](SoundPlayer* player) { delete static_cast<QtSoundPlayer*>(player); },
    };
    return &table;
}
