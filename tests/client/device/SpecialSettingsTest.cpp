// The bit rules of the page "Специальные": which box shows which configuration bit and what a
// click writes, the working mode's nibbles both ways, and the auto-dial list's text.

#include <gtest/gtest.h>

#include "client/device/SpecialSettings.h"

namespace fonedesk::special_settings {
namespace {

TEST(SpecialSettings, EachConfigBoxShowsAndWritesOnlyItsOwnBit) {
    const struct {
        int box;
        int mask;
    } boxes[] = {{1024, 0x02}, {1025, 0x04}, {1026, 0x08}, {1027, 0x10},
                 {1028, 0x20}, {1029, 0x40}, {1030, 0x80}};
    // Values the set may hold: nothing, everything, bit 0 alone (no box), a mixed pattern.
    const int values[] = {0x00, 0xFF, 0x01, 0x5A};
    for (const auto& b : boxes) {
        const int bit = ConfigBitOfBox(b.box);
        ASSERT_EQ(ConfigMask(bit), b.mask) << b.box;
        for (int value : values) {
            EXPECT_EQ(ConfigBitShown(value, bit), (value & b.mask) != 0) << b.box << " " << value;
            EXPECT_EQ(ConfigAfterClick(value, bit, true), value | b.mask) << b.box << " " << value;
            EXPECT_EQ(ConfigAfterClick(value, bit, false), value & ~b.mask)
                << b.box << " " << value;
        }
    }
}

TEST(SpecialSettings, UntickingABitTheSetClearedMeanwhileLeavesItClear) {
    // The box was ticked when the page read 0x30; the set's own menu has cleared bit 5 since.
    // Flipping the value read now would switch the function on against the unticked box.
    const int bit = ConfigBitOfBox(1028);
    EXPECT_EQ(ConfigAfterClick(0x10, bit, false), 0x10);
    // Ticking a bit that is already set keeps the value as it is.
    EXPECT_EQ(ConfigAfterClick(0x30, bit, true), 0x30);
}

TEST(SpecialSettings, ModeChoicesWriteTheirHighNibbleAndKeepTheLowOne) {
    const struct {
        DeviceModeChoice choice;
        int readNow;
        int written;
    } cases[] = {
        {DeviceModeChoice::Normal, 0x4B, 0x0B},
        {DeviceModeChoice::Redirection, 0x03, 0x13},
        {DeviceModeChoice::Redirection, 0x2F, 0x1F},
        {DeviceModeChoice::AnsweringMachine, 0x81, 0x41},
        {DeviceModeChoice::Recorder, 0x00, 0x80},
        {DeviceModeChoice::Recorder, 0xF7, 0x87},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceModeAfterChoice(c.readNow, c.choice), c.written) << c.readNow;
    }
}

TEST(SpecialSettings, ModeShownFromTheHighNibbleAlone) {
    const struct {
        int value;
        DeviceModeChoice shown;
    } cases[] = {
        {0x00, DeviceModeChoice::Normal},           {0x0F, DeviceModeChoice::Normal},
        {0x10, DeviceModeChoice::Normal},  // what choosing redirection writes
        {0x20, DeviceModeChoice::Redirection},      {0x2A, DeviceModeChoice::Redirection},
        {0x40, DeviceModeChoice::AnsweringMachine}, {0x45, DeviceModeChoice::AnsweringMachine},
        {0x80, DeviceModeChoice::Recorder},         {0x8C, DeviceModeChoice::Recorder},
        {0x30, DeviceModeChoice::Normal},           {0xC0, DeviceModeChoice::Normal},
        {0xFF, DeviceModeChoice::Normal},  // a failed read
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceModeShown(c.value), c.shown) << c.value;
    }
    // Every other choice reads back as written.
    for (DeviceModeChoice choice : {DeviceModeChoice::Normal, DeviceModeChoice::AnsweringMachine,
                                    DeviceModeChoice::Recorder}) {
        EXPECT_EQ(DeviceModeShown(DeviceModeAfterChoice(0x07, choice)), choice);
    }
}

TEST(SpecialSettings, AutoDialTextSplitsIntoEntriesAndJoinsBack) {
    const struct {
        const char* text;
        QStringList entries;
    } cases[] = {
        {"", {}},
        {"2345678", {"2345678"}},
        {"1;22;333", {"1", "22", "333"}},
        {"1;;333", {"1", "", "333"}},
        {";", {"", ""}},
        {"1;", {"1", ""}},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(SplitAutoDialList(text), c.entries) << c.text;
        EXPECT_EQ(JoinAutoDialList(c.entries), text) << c.text;
    }
    // Three entries: a delimiter between the numbers only.
    EXPECT_EQ(JoinAutoDialList({"89031112233", "2345678", "555"}),
              QStringLiteral("89031112233;2345678;555"));
    EXPECT_EQ(JoinAutoDialList({""}), QString());
}

TEST(SpecialSettings, TheListTakesAnEleventhEntryButNotATwelfth) {
    EXPECT_TRUE(CanAddAutoDialEntry(0));
    EXPECT_TRUE(CanAddAutoDialEntry(10));
    EXPECT_FALSE(CanAddAutoDialEntry(11));
    EXPECT_FALSE(CanAddAutoDialEntry(12));
}

}  // namespace
}  // namespace fonedesk::special_settings
