// The Qt-free reader of the settings file against QSettings itself: files as people and tools
// write them, values as QSettings writes them, and the CLI's store that falls back to Qt for
// the forms only Qt reads and from its first write on. Also: the per-user data folder is the
// one QStandardPaths gives the program, and the CLI's clock writes the times Qt writes.
#include "modules/desktop/qt_platform.h"
#include "core/platform/qt_services.h"
#include "core/platform/settings_file.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QRect>
#include <QSettings>
#include <QStandardPaths>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

void writeRaw(const fs::path& file, const std::string& contents)
{
    std::ofstream(file, std::ios::binary) << contents;
}

std::string shown(const std::optional<std::string>& text)
{
    if (!text)
        return "(none)";
    std::string out;
    for (const unsigned char c : *text)
        out += c < 0x20 || c == 0x7F ? "\\" + std::to_string(c) + ";" : std::string(1, char(c));
    return "[" + out + "]";
}

// The reader gives what QtSettingsStore gives for name, or leaves the value to Qt when asked.
void expectSameAsQt(const fs::path& file, const std::string& name, bool qtOnly, const std::string& context)
{
    QtSettingsStore qt(fromPath(file));
    const auto ours = IniSettings::read(file);
    const auto* value = ours.find(name);
    SCOPED_TRACE(context);
    EXPECT_EQ(value != nullptr, qt.contains(name));
    if (!value)
        return;
    EXPECT_EQ(!value->readable, qtOnly);
    if (value->readable) {
        EXPECT_EQ(shown(value->text), shown(qt.text(name)));
        EXPECT_EQ(value->integer, qt.integer(name));
    }
}

} // namespace

TEST(SettingsFile, ReadsHandWrittenFilesAsQSettingsDoes)
{
    struct Case {
        std::string contents;
        bool qtOnly = false;
    };
    const std::vector<Case> cases = {
        // Sections, comments, blanks, line ends.
        {"K=12"}, {"[General]\nK=12"}, {"[general]\r\nK=12\r\n"}, {"[ General ]\nK=1"}, {"[General\nK=1"},
        {"[Other]\nK=1"}, {"[Other]\nK=1\n[General]\nK=2\n[Other]\nK=3"}, {"K=1\nK=2"}, {"\xEF\xBB\xBFK=1"},
        {" ;comment\n  K  =  1  "}, {"K"}, {"K="}, {"; K=1\nL=2"}, {"[%General]\nK=1"}, {"K=1 ; a comment"},
        {"\n\n\tK\t=\tv\t\n"}, {"a\"b=c\"=1\nK=2"}, {"K=a\\\nb"}, {"K=a\\\r\nb"}, {"K=\"a\nb\""},
        // Key escapes.
        {"%4B=1"}, {"%4b=1"}, {"%U004B=1"}, {"%U004b=1"}, {"%4=1"}, {"%=1"}, {"%4G=1"}, {"%U+04B=1"}, {"%U0x4B=1"}, {"%U-04B=1"}, {"%+4B=1"}, {"%U +4B=1"}, {"%U0X4B=1"}, {"%U4B  =1"}, {"%U+ 4B=1"}, {"%U0x=1"},
        {"% 4B=1"}, {"K\\x=1"}, {"%2F=1\nK=2"}, {"K%=1"},
        // Quoting, escapes and blanks of values.
        {"K= 12 "}, {"K=\" 12 \""}, {"K=\"a;b\" ; c"}, {"K = \"a\" b \"c\" "}, {"K=\\t12\\t"}, {"K=a \\t"},
        {"K=a \\"}, {"K=\\q\\a\\?\\'\\\"\\\\"}, {"K=\\101\\0101"}, {"K=\\x41g"}, {"K=\\x0041\\x10041"}, {"K=\\x"},
        {"K=\\x20"}, {"K=a\\x20 b "}, {"K=\\0"}, {"K=1\\0abc"}, {"K= \\0 1"}, {"K=\\xd800"},
        {"K=\\xd83d\\xde00"}, {"K=\\xe9\\u0031"}, {"K=caf\xC3\xA9 \xE6\x97\xA5"}, {"K=\xF0\x9F\x98\x80"},
        // Lists.
        {"K=1,2"}, {"K=a,"}, {"K=\"a,b\""}, {"K=@x,@y"}, {"K=@Invalid(),b"}, {"K=@@a,b"}, {"K=,"},
        // Whole numbers.
        {"K=+12"}, {"K=-0012"}, {"K=12abc"}, {"K=9223372036854775807"}, {"K=9223372036854775808"},
        {"K=-9223372036854775808"}, {"K=-9223372036854775809"}, {"K=0x10"}, {"K=1.5"}, {"K=1 2"}, {"K=+-1"},
        {"K=-"}, {"K=\"\\n12\\v\""}, {"K=\xC2\xA0" "12"}, {"K=\xD9\xA1\xD9\xA2"}, {"K=\"1,000\""},
        // @ forms.
        {"K=@Invalid()"}, {"K=@ByteArray(42)"}, {"K=@ByteArray( 42)"}, {"K=@ByteArray(\\t42\\t)"},
        {"K=@ByteArray(1\\0x)"}, {"K=@ByteArray(\\xc3\\xa9)"}, {"K=@String(x)"}, {"K=@String(\\0)"}, {"K=@@x"},
        {"K=@x"}, {"K=@ByteArray"}, {"K=@Invalid(x)"}, {"K=@String("},
        // Left to Qt.
        {"K=@Rect(1 2 3 4)", true}, {"K=@Size(1 2)", true}, {"K=@Point(1 2)", true}, {"K=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", true},
        {"K=\xFF", true}, {"K=\xC3\"x\"\xA9", true}, {"K=@ByteArray(\xC3\xA9)", true}, {"K=@ByteArray(\\xff)", true},
    };
    ScratchFolder folder;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        const auto file = folder / ("settings" + std::to_string(i) + ".ini");   // QSettings keeps files it read
        writeRaw(file, c.contents);
        expectSameAsQt(file, "K", c.qtOnly, c.contents);
    }
}

TEST(SettingsFile, ReadsWhatQSettingsWrites)
{
    const std::vector<std::string> texts = {
        "", " lead", "trail ", "  ", "a;b", "a,b", "a=b", "\"quoted\"", "back\\slash", "line\nfeed\r\n", "\ttab",
        std::string("nul\0" "12", 6), std::string("\0", 1), "\x01\x1F\x7F", "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80",
        "@at", "@@two", "@Invalid()", "@ByteArray(x)", "%41", "C:\\Games\\Torlo", "/home/j\xC3\xB6rg/torlo", "42", " 42",
    };
    const std::vector<std::int64_t> numbers = {0, -1, 2147483656LL, INT64_MAX, INT64_MIN};
    ScratchFolder folder;
    const auto file = folder / "settings.ini";
    {
        QtSettingsStore store(fromPath(file));
        for (std::size_t i = 0; i < texts.size(); ++i)
            store.setText("T" + std::to_string(i), texts[i]);
        for (std::size_t i = 0; i < numbers.size(); ++i)
            store.setInteger("N" + std::to_string(i), numbers[i]);
        store.setText("Torlo Path", "spaced key");
        store.setText("a%b", "percent key");
    }
    {
        QSettings other(fromPath(file), QSettings::IniFormat);
        other.setValue("List", QStringList{"a", " b ", "c,d"});
        other.setValue("Empty list", QStringList{});
        other.setValue("Bytes", QByteArray("12\0" "x\xC3\xA9", 6));
        other.setValue("Flag", true);
        other.setValue("Real", 2.5);
        other.setValue("Rect", QRect(1, 2, 3, 4));
        other.setValue("When", QDateTime(QDate(2026, 12, 7), QTime(13, 0)));
        other.setValue("Group/Inner", "not ours");
    }
    // Read from a copy: QSettings answers from the values it wrote, not from the file.
    const auto copy = folder / "copy.ini";
    fs::copy_file(file, copy);
    const auto ours = IniSettings::read(copy);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto* value = ours.find("T" + std::to_string(i));
        ASSERT_NE(value, nullptr) << i;
        EXPECT_EQ(shown(value->text), shown(texts[i])) << i;
    }
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const auto* value = ours.find("N" + std::to_string(i));
        ASSERT_NE(value, nullptr) << i;
        EXPECT_EQ(value->integer, numbers[i]) << i;
    }
    for (const std::string name : {"Torlo Path", "a%b", "List", "Empty list", "Bytes", "Flag", "Real", "Inner"})
        expectSameAsQt(copy, name, false, name);
    for (const std::string name : {"Rect", "When"})
        expectSameAsQt(copy, name, true, name);
    EXPECT_EQ(ours.find("Group/Inner"), nullptr);   // keys of subgroups are not settings of ours
}

TEST(SettingsFile, TheCliStoreAsksQtOnlyForQtFormsAndAfterItsFirstWrite)
{
    ScratchFolder folder;
    const auto file = folder / "settings.ini";
    {
        QSettings other(fromPath(file), QSettings::IniFormat);
        other.setValue("TorloPath", "/games/torlo");
        other.setValue("When", QDateTime(QDate(2026, 12, 7), QTime(13, 0), Qt::UTC));
    }
    LoadedSettingsStore store(file);
    EXPECT_EQ(store.text("TorloPath"), "/games/torlo");
    EXPECT_FALSE(store.contains("MakePL"));
    EXPECT_FALSE(store.usesQt());
    EXPECT_EQ(store.text("When"), QtSettingsStore(fromPath(file)).text("When"));
    EXPECT_TRUE(store.usesQt());

    LoadedSettingsStore writer(file);
    writer.setText("MakePL", "yes");
    writer.setInteger("FG", 2147483656LL);
    EXPECT_EQ(writer.text("MakePL"), "yes");   // read back through QSettings, which wrote it
    const auto reread = IniSettings::read(file);
    EXPECT_EQ(reread.find("MakePL")->text, "yes");
    EXPECT_EQ(reread.find("FG")->integer, 2147483656LL);
    EXPECT_EQ(reread.find("TorloPath")->text, "/games/torlo");
}

TEST(SettingsFile, ThePerUserDataFolderIsTheOneQtGivesTheProgram)
{
    // The program's names, as main() sets them; the CLI has none, so it once got another folder.
    const auto organisation = QCoreApplication::organizationName();
    const auto application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName("Morvane");
    QCoreApplication::setApplicationName("Quorvex");
    EXPECT_EQ(userDataFolder(), toPath(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)));
    EXPECT_EQ(userConfigHome(), toPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
    EXPECT_EQ(userDataHome(), toPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)));
    QCoreApplication::setOrganizationName(organisation);
    QCoreApplication::setApplicationName(application);
    EXPECT_EQ(fromPath(settingsFile()), QSettings("Morvane", "Quorvex").fileName());
}

TEST(SettingsFile, TheCliClockWritesTheCLocaleFormatsAsQtDoes)
{
    // The CLI's log lines take the time from it in the C locale instead of loading Qt.
    const auto clock = cLocaleClock();
    std::string time, date, qtTime, qtDate;
    for (int attempt = 0; attempt < 3 && (attempt == 0 || time != qtTime || date != qtDate); ++attempt) {
        time = clock->longTime();   // a second may turn between the two: read again then
        date = clock->shortDate();
        qtTime = QLocale::c().toString(QTime::currentTime(), QLocale::LongFormat).toStdString();
        qtDate = QLocale::c().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
    }
    EXPECT_EQ(time, qtTime);
    EXPECT_EQ(date, qtDate);
    const auto today = QDate::currentDate();
    EXPECT_EQ(clock->today().day, today.day());
    EXPECT_EQ(clock->today().month, today.month());
    EXPECT_EQ(clock->today().year, today.year());
}
