#include "tests/support/gtest.h"

#include "package/entry_name.h"

TEST(EntryName, OnlyNamesThatStayInsideTheFolderAreSafe)
{
    struct Case {
        const char* name;
        bool safe;
    } cases[] = {
        {"Quorvalent.new.exe", true},
        {"docs\\readme.txt", true},
        {"docs\\", true},
        {"a..b", false},
        {"..\\x.dll", false},
        {"docs\\..\\..\\x", false},
        {"\\Windows\\x.dll", false},
        {"/etc/x", false},
        {"docs/readme.txt", false},
        {"C:\\x.dll", false},
        {"C:x.dll", false},
        {"file.txt:stream", false},
        {"a\tb", false},
        {"a?b", false},
        {"a<b>", false},
        {"NUL", false},
        {"nul.txt", false},
        {"aux .txt", false},
        {"COM1", false},
        {"lpt9.log", false},
        {"COM0", true},
        {"COM10", true},
        {"console.txt", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSafeEntryName(c.name), c.safe) << c.name;

    // Empty and dot names mean the folder itself.
    struct Base {
        const char* name;
        bool base;
    } bases[] = {
        {"", true}, {".", true}, {".\\", true}, {".\\.", true}, {"\\", true},
        {"a", false}, {".a", false}, {"a\\.", false},
    };
    for (const Base& c : bases)
        EXPECT_EQ(NamesBaseFolder(c.name), c.base) << c.name;
}
