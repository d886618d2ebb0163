// Weapon plugins (.LWP) activated on a demo game: torlo.exe never changes size, a plugin that
// installs no record writes nothing, and only the object, weapon and special-object tables and
// the weapon names change. What was installed, written out again by the writers (each kind,
// both versions, "Save as plugin" and "Save in plugin"), installs back to the same bytes.
#include "core/formats/activation.h"
#include "fuzz_support.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/plugin.h"
#include "core/weapons/sobject_fields.h"

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

bool pluginMayWrite(std::size_t at)
{
    const auto inside = [at](std::uint32_t from, std::uint32_t size) { return at >= from && at < from + size; };
    return inside(places::ObjectTable, places::ObjectTableSize) || inside(places::WeaponNames, places::WeaponNameSlot * places::WeaponCount)
        || inside(places::WeaponTable, places::WeaponTableSize)
        || inside(places::SpecialObjectTable, places::SpecialObjectTableSize);
}

// The rows last installed, written by the writers into one file.
fs::path writtenBack(const Workspace& workspace, const PluginPages& pages, bool version2)
{
    const auto data = loadWeapons(workspace);
    const auto weapon = showWeapon(data.table, pages.weapon);
    const auto file = fuzz::scratch() / "BACK.LWP";
    const auto chosen = [&](const std::string&, const fs::path&) { return std::optional(file); };
    fuzz::check(savePluginAs(weaponRecord(data.names[pages.weapon], weapon, std::nullopt), version2, chosen).succeeded(),
                "a plugin is written");
    for (const auto& record : {objectRecord(pages.object, showEntry(workspace, ObjectArrays, pages.object)),
                               sobjectRecord(pages.sobject, showEntry(workspace, SObjectArrays, pages.sobject)),
                               weaponRecord(data.names[pages.weapon], weapon, pages.weapon)})
        fuzz::check(saveInPlugin(file, record).succeeded(), "a record is added to a plugin");
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::bytesOf(data, size);
    const auto& workspace = fuzz::demoWorkspace();
    static const auto dat = readWholeFile(workspace.torloDat());
    const auto& before = fuzz::demoExe();
    fuzz::restoreDemoExe();
    const auto file = fuzz::scratch() / "IN.LWP";
    fuzz::writeInput(file, input);

    PluginPages pages;
    const auto activation = activateFile(file, fuzz::scratch(), workspace, fuzz::answersFrom(input), &pages);
    const auto exe = readWholeFile(workspace.torloExe());
    fuzz::check(exe.size() == before.size(), "torlo.exe never changes size");
    fuzz::check(readWholeFile(workspace.torloDat()) == dat, "torlo.dat is not touched");
    if (!activation.pluginWrote.any())
        fuzz::check(exe == before, "a plugin that installs no record writes nothing");
    for (std::size_t at = 0; at < exe.size(); ++at)
        if (exe[at] != before[at])
            fuzz::check(pluginMayWrite(at), "a plugin writes its tables and the weapon names only");
    if (!activation.pluginWrote.any())
        return 0;

    PluginPages fresh{std::nullopt, pages.weapon, 0, 0};
    const auto back = activateFile(writtenBack(workspace, pages, size % 2 == 0), fuzz::scratch(), workspace,
                                   [](std::string_view) { return true; }, &fresh);
    fuzz::check(back.outcome.succeeded(), "a written plugin installs");
    fuzz::check(fresh.weapon == pages.weapon && fresh.object == pages.object && fresh.sobject == pages.sobject,
                "a written plugin installs its own rows");
    const auto again = readWholeFile(workspace.torloExe());
    fuzz::check(again == exe, "a written plugin installs back to the same bytes" + fuzz::firstDifference(exe, again));
    return 0;
}
