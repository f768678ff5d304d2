#include <gtest/gtest.h>

#include "archive/archive_error.h"
#include "archive/entry_path.h"
#include "archive/library_calls.h"

using namespace qs::archive;

TEST(EntryPath, SplitsSafeNamesOnBothSeparators) {
    EXPECT_EQ(safeComponents(u"a/b\\c.txt"), (std::vector<std::u16string>{u"a", u"b", u"c.txt"}));
    EXPECT_EQ(safeComponents(u"folder/"), (std::vector<std::u16string>{u"folder"}));
    EXPECT_EQ(safeComponents(u"name with blanks..txt"), (std::vector<std::u16string>{u"name with blanks..txt"}));
    EXPECT_EQ(safeComponents(u"CONFIG/console.log"), (std::vector<std::u16string>{u"CONFIG", u"console.log"}));
    EXPECT_EQ(safeComponents(u"COM10"), (std::vector<std::u16string>{u"COM10"}));
}

TEST(EntryPath, RejectsNamesThatLeaveTheTargetFolder) {
    const char16_t* const unsafe[] = {
        u"", u"/etc/passwd", u"\\windows\\x", u"\\\\server\\share\\x", u"\\\\?\\C:\\x", u"C:x", u"C:\\x", u"c:/x",
        u"..", u"../x", u"a/../../x", u"a\\..\\..\\x", u"a/./b", u".", u"... /x", u".. ", u"a//b", u"a/b//",
        u"file.txt:stream", u"con", u"CON.txt", u"a/nul", u"Aux .log", u"lpt1", u"COM9.dat", u"x\x01y", u"a*b", u"what?",
        u"a<b", u"a|b", u"\"q\"",
    };
    for (const char16_t* name : unsafe) {
        try {
            safeComponents(name);
            ADD_FAILURE() << "accepted entry " << std::string(name, name + std::char_traits<char16_t>::length(name));
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), ArchiveErrorKind::UnsafePath);
        }
    }
}

TEST(LibraryCalls, IllegalArchivePathCharacters) {
    EXPECT_FALSE(hasIllegalPathCharacters(u"C:\\setup\\setup.res"));
    EXPECT_FALSE(hasIllegalPathCharacters(u"\\\\server\\share\\a b.7z"));
    EXPECT_FALSE(hasIllegalPathCharacters(u"relative\\a.7z"));
    for (const char16_t* bad : {u"C:\\*.7z", u"a?.7z", u"a|b", u"a<b", u"a>b", u"\"a\"", u"C:\\a:b", u""})
        EXPECT_TRUE(hasIllegalPathCharacters(bad));
}

TEST(LibraryCalls, SelectsListedNamesWithoutCaseAndWithEitherSeparator) {
    const std::vector<std::u16string> listed = {u"Dir", u"Dir\\Read Me.txt", u"b\u00c4r.bin", u"dir\\read me.txt"};
    std::vector<std::u16string> missing;
    const std::vector<bool> selected = selectEntries(listed, {u"dir/READ ME.TXT", u"B\u00e4R.BIN", u"nothere", u"dir\\"}, missing);
    EXPECT_EQ(selected, (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(missing, (std::vector<std::u16string>{u"nothere"}));
}
