#include "core/hacks/hacks.h"
#include "core/base/errors.h"
#include "core/gamefile/game_file.h"
#include "core/text/number_text.h"
#include "core/base/places.h"

#include <algorithm>
#include <map>
#include <set>

namespace quorvex {

namespace {

constexpr std::uint32_t LaserCheck = places::HackLaserCheck;
constexpr int LaserFallback = 123;

template <class Visit>
constexpr void forEachByte(const std::array<BytePatch, 4>& patches, Visit visit)
{
    for (const auto& patch : patches)
        for (std::uint8_t i = 0; i < patch.count; ++i)
            visit(patch.offset + i, patch.bytes[i]);
}

// Two switches that are on never ask for different bytes at one place, and no two fields share
// a byte: the only overlaps are switches against off patches and the risk field, which the
// precedence of hackBytes settles.
constexpr bool onPatchesAgree()
{
    for (const auto& a : HackItems)
        for (const auto& b : HackItems) {
            if (!a.isSwitch || !b.isSwitch || &a == &b)
                continue;
            bool agree = true;
            forEachByte(a.on, [&](std::uint32_t offsetA, std::uint8_t valueA) {
                forEachByte(b.on, [&](std::uint32_t offsetB, std::uint8_t valueB) {
                    if (offsetA == offsetB && valueA != valueB)
                        agree = false;
                });
            });
            if (!agree)
                return false;
        }
    return true;
}
static_assert(onPatchesAgree(), "switches that are on together must agree on their shared bytes");

constexpr bool isHackPlace(std::uint32_t offset)
{
    for (auto place : places::Hacks)
        if (place == offset || (place == places::HackRunOf8 && offset > place && offset <= place + 7))
            return true;
    return false;
}

// Every patch and field starts at one of the hack places of the game.
constexpr bool placesAreKnown()
{
    for (const auto& item : HackItems) {
        bool known = true;
        for (const auto& patches : {item.on, item.off})
            for (const auto& patch : patches)
                known = known && (patch.count == 0 || isHackPlace(patch.offset));
        for (auto offset : item.offsets)
            known = known && (offset == 0 || isHackPlace(offset));
        if (!known)
            return false;
    }
    return true;
}
static_assert(placesAreKnown(), "every hack must lie on a known place of torlo.exe");

std::uint32_t fieldWidth(const HackItem& item)
{
    return item.write == HackWrite::Word ? 2 : 1;
}

std::uint32_t lastByteOfAll()
{
    std::uint32_t last = LaserCheck;
    for (const auto& item : HackItems) {
        forEachByte(item.on, [&](std::uint32_t offset, std::uint8_t) { last = std::max(last, offset); });
        forEachByte(item.off, [&](std::uint32_t offset, std::uint8_t) { last = std::max(last, offset); });
        for (auto offset : item.offsets)
            last = std::max(last, offset + 1);   // words are read at every field
    }
    return last;
}

// The game bytes that the read rules look at, read once.
class ExeBytes {
public:
    explicit ExeBytes(const Workspace& workspace)
    {
        GameFile exe(workspace, workspace.torloExe(), GameFile::Access::ReadOnly);
        exe.requireSize(lastByteOfAll() + 1);
        bytes_ = exe.readAt(0, lastByteOfAll() + 1);
    }
    int byte(std::uint32_t offset) const { return bytes_[offset]; }
    int word(std::uint32_t offset) const { return bytes_[offset] | bytes_[offset + 1] << 8; }

private:
    Bytes bytes_;
};

bool switchIsOn(const ExeBytes& exe, const HackItem& item)
{
    bool on = true;
    if (item.onWhen[0].count == 0)
        forEachByte(item.on, [&](std::uint32_t offset, std::uint8_t value) { on = on && exe.byte(offset) == value; });
    else
        for (const auto& test : item.onWhen)
            for (std::uint8_t i = 0; i < test.count; ++i)
                on = on && exe.byte(test.offset + i) == test.bytes[i];
    return on;
}

std::string readField(const ExeBytes& exe, const HackItem& item)
{
    const auto at = item.offsets[0];
    switch (item.read) {
    case HackRead::Byte: return std::to_string(exe.byte(at));
    case HackRead::Word: return std::to_string(exe.word(at));
    case HackRead::SignedWord: return std::to_string(static_cast<std::int16_t>(exe.word(at)));
    case HackRead::ByteMinus1: return std::to_string(exe.byte(at) - 1);
    case HackRead::Laser: return std::to_string(exe.byte(at) == exe.byte(LaserCheck) ? exe.byte(at) : LaserFallback);
    case HackRead::Never: break;
    }
    return std::string(item.design);
}

std::int32_t fieldNumber(const HackItem& item, const std::string& text, bool strict)
{
    return strict || item.strict ? strToInt(text) : lenientInt(text);
}

std::string limitedText(const HackItem& item, std::int32_t value)
{
    return std::to_string(std::clamp(value, item.low, item.high));
}

} // namespace

std::optional<std::size_t> hackByKey(std::string_view key)
{
    for (std::size_t i = 0; i < HackItems.size(); ++i)
        if (HackItems[i].key == key && isListedHack(HackItems[i]))
            return i;
    return std::nullopt;
}

bool isListedHack(const HackItem& item)
{
    return item.isSwitch || item.read != HackRead::Never;
}

HackValues designHackValues()
{
    HackValues values;
    for (std::size_t i = 0; i < HackCount; ++i)
        values.text[i] = std::string(HackItems[i].design);
    return values;
}

HackValues readHacks(const Workspace& workspace)
{
    const ExeBytes exe(workspace);
    auto values = designHackValues();
    for (std::size_t i = 0; i < HackCount; ++i) {
        const auto& item = HackItems[i];
        if (item.isSwitch)
            values.on[i] = switchIsOn(exe, item);
        else
            values.text[i] = readField(exe, item);
    }
    return values;
}

std::string tidyOnLeave(const HackItem& item, const std::string& text)
{
    return item.tidy == HackTidy::OnLeave ? limitedText(item, lenientInt(text)) : text;
}

std::string tidyOnChange(const HackItem& item, const std::string& text)
{
    if (item.tidy != HackTidy::OnChange)
        return text;
    const auto value = lenientInt(text);
    return value < item.low || value > item.high ? limitedText(item, value) : text;
}

std::string riskHint(const std::string& riskText)
{
    return "Now happens 1 out of " + std::to_string((lenientInt(riskText) & 0xFF) / 2) + " times";
}

bool isOwned(const HackValues& values, std::size_t field)
{
    const auto& item = HackItems[field];
    for (std::size_t s = 0; s < HackCount; ++s) {
        if (!HackItems[s].isSwitch || !values.on[s])
            continue;
        bool owned = false;
        forEachByte(HackItems[s].on, [&](std::uint32_t offset, std::uint8_t) {
            for (auto at : item.offsets)
                if (at != 0 && offset >= at && offset < at + fieldWidth(item))
                    owned = true;
        });
        if (owned)
            return true;
    }
    return false;
}

std::vector<ByteWrite> hackBytes(const HackValues& values, bool strictNumbers)
{
    // A byte takes the on patch of a switch that is on before a field, and a field before an
    // off patch: a switch that is on owns its bytes.
    enum Rank { OffPatch, FieldByte, OnPatch };
    std::map<std::uint32_t, std::pair<Rank, std::uint8_t>> bytes;
    auto put = [&](std::uint32_t offset, std::uint8_t value, Rank rank) {
        const auto it = bytes.find(offset);
        if (it == bytes.end() || it->second.first <= rank)
            bytes[offset] = {rank, value};
    };
    for (std::size_t i = 0; i < HackCount; ++i) {
        const auto& item = HackItems[i];
        if (item.isSwitch) {
            forEachByte(values.on[i] ? item.on : item.off, [&](std::uint32_t offset, std::uint8_t value) {
                put(offset, value, values.on[i] ? OnPatch : OffPatch);
            });
            continue;
        }
        if (item.write == HackWrite::Never)
            continue;
        const auto value = fieldNumber(item, values.text[i], strictNumbers);
        for (auto offset : item.offsets) {
            if (offset == 0)
                continue;
            switch (item.write) {
            case HackWrite::Byte: put(offset, static_cast<std::uint8_t>(value), FieldByte); break;
            case HackWrite::Word:
                put(offset, static_cast<std::uint8_t>(value), FieldByte);
                put(offset + 1, static_cast<std::uint8_t>(value >> 8), FieldByte);
                break;
            case HackWrite::Plus1: put(offset, static_cast<std::uint8_t>(value + 1), FieldByte); break;
            case HackWrite::CappedAt24:
                put(offset, std::min<std::uint8_t>(static_cast<std::uint8_t>(value), 24), FieldByte);
                break;
            case HackWrite::Never: break;
            }
        }
    }
    std::vector<ByteWrite> writes;
    writes.reserve(bytes.size());
    for (const auto& [offset, entry] : bytes)
        writes.push_back({offset, entry.second});
    return writes;
}

Outcome saveHacks(const Workspace& workspace, const HackValues& values, bool strictNumbers,
                  const std::optional<std::vector<std::size_t>>& named)
{
    const auto writes = hackBytes(values, strictNumbers);
    const auto held = readHacks(workspace);
    std::set<std::uint32_t> places;   // the bytes of the items stored
    for (std::size_t i = 0; i < HackCount; ++i) {
        const auto& item = HackItems[i];
        const bool stored = named ? std::find(named->begin(), named->end(), i) != named->end()
                                  : (item.isSwitch ? values.on[i] != held.on[i] : values.text[i] != held.text[i]);
        if (!stored)
            continue;
        for (const auto& patches : {item.on, item.off})
            forEachByte(patches, [&](std::uint32_t offset, std::uint8_t) { places.insert(offset); });
        for (auto offset : item.offsets)
            for (std::uint32_t b = 0; offset != 0 && b < fieldWidth(item); ++b)
                places.insert(offset + b);
    }
    GameFile exe(workspace, workspace.torloExe());
    exe.requireSize(writes.back().offset + 1);
    for (const auto& write : writes) {
        if (!places.contains(write.offset))
            continue;
        exe.seek(write.offset);
        exe.writeByte(write.value);
    }
    if (!exe.changed())
        return Outcome::unchanged();
    auto outcome = Outcome::done("Hacks saved", "Hacks saved. Detailed information not yet available").changing(GamePart::Hacks);
    outcome.logWithoutTime = true;
    return outcome;
}

} // namespace quorvex
