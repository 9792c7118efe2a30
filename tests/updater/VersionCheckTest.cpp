// The version check's pure half: version numbers, the version list, the rows it
// marks and the detail box's text.
#include <gtest/gtest.h>

#include <cstdio>

#include <climits>
#include <cstring>
#include <string>

#include "updater/UpdateItems.h"

namespace {

TEST(VersionNumber, PartsReadAsOneDecimalNumber) {
    struct Case { uint16_t a, b, c, d; int32_t number; const char* text; };
    const Case cases[] = {
        {1, 1, 0, 0, 1100, "1.1.0.0"},
        {2, 0, 0, 0, 2000, "2.0.0.0"},
        {1, 10, 0, 0, 11000, "1.10.0.0"},
        {1, 1, 1, 0, 1110, "1.1.1.0"},
        {0, 0, 0, 0, 0, "0.0.0.0"},
        {1, 8, 9, 9, 1899, "1.8.9.9"},
        // Ten digits and more leave the 32-bit range: saturated, never offered.
        {65535, 65535, 65535, 65535, INT32_MAX, "65535.655"},
        {21474, 8, 36, 48, INT32_MAX, "21474.8.3"},
        {2147, 4, 836, 47, 2147483647, "2147.4.83"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(versionNumber(c.a, c.b, c.c, c.d), c.number) << c.text;
        char text[kUpdateTextBytes];
        std::memset(text, 'x', sizeof text);
        versionText(c.a, c.b, c.c, c.d, text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(LeadingNumber, ReadsLikeTheCLibraryButSaturates) {
    struct Case { const char* text; int32_t number; };
    const Case cases[] = {
        {"1100", 1100}, {"  1200abc", 1200}, {"\t+15", 15}, {"-1500", -1500}, {"abc", 0}, {"", 0},
        {"+", 0}, {"99999999999999999999", INT32_MAX}, {"-99999999999999999999", INT32_MIN},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MAX}, {"-2147483648", INT32_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(leadingNumber(c.text), c.number) << c.text;
}

struct ListCase {
    const char* name;
    std::string list;
    int32_t numbers[kUpdateItemCount];
    const char* texts[kUpdateItemCount];
};

TEST(VersionList, LinesGiveTheRowsNumbersAndTexts) {
    const ListCase cases[] = {
        {"crlf list with notes", "1100\r\n1110\r\n1200\r\n0000\r\nRelease notes\r\n",
         {1100, 1110, 1200, 0}, {"1.1.0.0", "1.1.1.0", "1.2.0.0", "0.0.0.0"}},
        {"bare line feeds", "1100\n1110\n1200\n1000", {1100, 1110, 1200, 1000},
         {"1.1.0.0", "1.1.1.0", "1.2.0.0", "1.0.0.0"}},
        {"fewer than four lines", "1200\r\n1300\r\n", {1200, 1300, 0, 0}, {"1.2.0.0", "1.3.0.0", "", ""}},
        {"empty", "", {0, 0, 0, 0}, {"", "", "", ""}},
        // A long line is cut, never carried into the next row.
        {"long line", "1200 and a long note\r\n1300\r\n1400\r\n1500\r\n", {1200, 1300, 1400, 1500},
         {"1.2.0.0", "1.3.0.0", "1.4.0.0", "1.5.0.0"}},
        {"short lines", "12\r\n\r\n7\r\n1999", {12, 0, 7, 1999}, {"1.2", "", "7", "1.9.9.9"}},
        {"error page", "<html>404</html>\r\n", {0, 0, 0, 0}, {"<.h.t.m", "", "", ""}},
        {"zero byte ends the text", std::string("1200\r\n13\0" "00\r\n1400\r\n", 16), {1200, 13, 0, 0},
         {"1.2.0.0", "1.3", "", ""}},
        // Only the kept nine characters count.
        {"huge number", "99999999999999999999\r\n-5\r\n", {999999999, -5, 0, 0}, {"9.9.9.9", "-.5", "", ""}},
    };
    for (const ListCase& c : cases) {
        VersionLine lines[kUpdateItemCount];
        std::memset(lines, 0x55, sizeof lines);
        parseVersionList(c.list, lines);
        for (int row = 0; row < kUpdateItemCount; ++row) {
            EXPECT_EQ(lines[row].number, c.numbers[row]) << c.name << " row " << row;
            EXPECT_STREQ(lines[row].text, c.texts[row]) << c.name << " row " << row;
        }
    }
}

TEST(DecideUpdates, OffersNewerVersionsBelowTwo) {
    struct Case { int32_t installed, announced; bool offered; };
    const Case cases[] = {
        {1100, 1200, true},   {1100, 1100, false}, {1200, 1100, false}, {1100, 2000, false},
        {0, 2500, false},     {0, 0, false},       {0, 1110, true},     {0, 1999, true},
        {1899, 1900, true},   {1100, -5, false},   {1100, INT32_MAX, false},
    };
    UpdateItem items[kUpdateItemCount]{};
    for (const Case& c : cases) {
        for (UpdateItem& item : items) {
            item.installedVersion = c.installed;
            item.newVersion = c.announced;
            item.needsUpdate = !c.offered;   // every flag is recomputed
        }
        EXPECT_EQ(decideUpdates(items), c.offered ? kUpdateItemCount : 0) << c.installed << " " << c.announced;
        EXPECT_EQ(items[2].needsUpdate, c.offered ? 1 : 0);
    }
}

TEST(DecideUpdates, RowsAreDecidedOneByOne) {
    UpdateItem items[kUpdateItemCount]{};
    const int32_t installed[] = {1100, 1100, 1110, 0};
    const int32_t announced[] = {1100, 1110, 1200, 0};
    for (int row = 0; row < kUpdateItemCount; ++row) {
        items[row].installedVersion = installed[row];
        items[row].newVersion = announced[row];
    }
    EXPECT_EQ(decideUpdates(items), 2);
    EXPECT_EQ(items[0].needsUpdate, 0);
    EXPECT_EQ(items[1].needsUpdate, 1);
    EXPECT_EQ(items[2].needsUpdate, 1);
    EXPECT_EQ(items[3].needsUpdate, 0);
}

TEST(DecideUpdates, RowTextsForMissingCurrentAndUpdatedPrograms) {
    UpdateItem items[kUpdateItemCount]{};
    const int32_t installed[] = {1100, 1100, 0, 0};
    const int32_t announced[] = {1100, 1110, 1110, 0};
    for (int row = 0; row < kUpdateItemCount; ++row) {
        items[row].installedVersion = installed[row];
        items[row].newVersion = announced[row];
        std::snprintf(items[row].installedText, kUpdateTextBytes, "%s", row < 2 ? "1.1.0.0" : "");
        std::snprintf(items[row].newText, kUpdateTextBytes, "%s", row < 3 ? "1.1.1.0" : "0.0.0.0");
    }
    items[2].missing = items[3].missing = 1;   // not there at all
    EXPECT_EQ(decideUpdates(items), 2);
    const char* const before[][2] = {{"1.1.0.0", "Using New Version."},
                                     {"1.1.0.0", "Using Old Version."},
                                     {"Not installed", "Not installed: the new version is offered."},
                                     {"Not installed", "Not installed."}};
    for (int row = 0; row < kUpdateItemCount; ++row) {
        EXPECT_STREQ(installedColumnText(items[row]), before[row][0]) << row;
        EXPECT_STREQ(updateStateText(items[row]), before[row][1]) << row;
    }
    // After the run the downloaded rows are current, the fetched program too.
    markUpdated(items);
    const char* const after[][2] = {{"1.1.0.0", "Using New Version."},
                                    {"1.1.1.0", "Using New Version."},
                                    {"1.1.1.0", "Using New Version."},
                                    {"Not installed", "Not installed."}};
    for (int row = 0; row < kUpdateItemCount; ++row) {
        EXPECT_STREQ(installedColumnText(items[row]), after[row][0]) << row;
        EXPECT_STREQ(updateStateText(items[row]), after[row][1]) << row;
        EXPECT_EQ(items[row].needsUpdate, 0) << row;
    }
    EXPECT_EQ(items[1].installedVersion, 1110);
    EXPECT_EQ(decideUpdates(items), 0);   // a second check offers nothing
}

TEST(UpdateTable, RowsInListOrder) {
    const char* names[] = {"Skyfetch.exe", "Glimmerdeck.exe", "engine.scr", "Packwright.exe"};
    for (int row = 0; row < kUpdateItemCount; ++row) {
        EXPECT_STREQ(kUpdateItemInfo[row].fileName, names[row]);
        EXPECT_EQ(kUpdateItemInfo[row].iconId, 103 + row);
    }
    EXPECT_STREQ(kUpdateItemInfo[kAuthoringRow].shownName, "Glimmerdeck");
}

TEST(DetailText, DropsTheFinalLineEndAndWidensLineFeeds) {
    struct Case { std::string list, text; };
    const Case cases[] = {
        {"1100\r\n1110\r\nNotes\r\n", "1100\r\n1110\r\nNotes"},
        {"1100\n1110\nNotes\n\n", "1100\r\n1110\r\nNotes"},
        {"x", ""},
        {"", ""},
        {"ab", ""},
        {std::string("12\0" "34\r\n", 7), "12"},
    };
    for (const Case& c : cases) EXPECT_EQ(detailText(c.list), c.text);
}

}  // namespace
