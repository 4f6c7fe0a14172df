#include "tests/support/gtest.h"

#include "package/entry_name.h"

TEST(EntryName, OnlyNamesThatStayInsideTheFolderAreSafe)
{
    for (const char* name :
         {"Quorvalent.new.exe", "docs\\readme.txt", "docs\\", "COM0", "COM10", "console.txt"})
        EXPECT_TRUE(IsSafeEntryName(name)) << name;
    for (const char* name : {"a..b", "..\\x.dll", "docs\\..\\..\\x", "\\Windows\\x.dll", "/etc/x",
                             "docs/readme.txt", "C:\\x.dll", "C:x.dll", "file.txt:stream", "a\tb", "a?b",
                             "a<b>", "NUL", "nul.txt", "aux .txt", "COM1", "lpt9.log"})
        EXPECT_FALSE(IsSafeEntryName(name)) << name;
    // Empty and dot names mean the folder itself.
    for (const char* name : {"", ".", ".\\", ".\\.", "\\"}) EXPECT_TRUE(NamesBaseFolder(name)) << name;
    for (const char* name : {"a", ".a", "a\\."}) EXPECT_FALSE(NamesBaseFolder(name)) << name;
}
