#include "tests/support/gtest.h"

#include "afx/dialog_template.h"
#include "tests/support/data_rows.h"
#include "tests/support/test_env.h"

#include <cstdlib>
#include <iomanip>
#include <sstream>

namespace {

// The bytes of a data field's words: numbers are 16-bit little-endian words,
// "text" is UTF-16 with its NUL.
std::string Bytes(const std::string& field)
{
    std::string bytes;
    std::istringstream in(field);
    for (std::string token; (in >> std::ws).peek() != EOF;) {
        bool text = in.peek() == '"';
        in >> std::quoted(token);
        std::u16string words = text ? std::u16string(token.begin(), token.end()) + u'\0'
                                    : std::u16string(1, char16_t(std::strtoul(token.c_str(), nullptr, 0)));
        for (char16_t word : words) bytes += {char(word & 0xFF), char(word >> 8)};
    }
    return bytes;
}

}  // namespace

TEST(DialogTemplate, FontIsReplacedTheRestFollowsAndMalformedTemplatesAreRefused)
{
    std::vector<std::string> names = ListNames(WindowsPath(SourceDir() + "/tests/data/dialog_template/"));
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        std::string original, expected;
        for (const DataRow& row : ReadDataRows("dialog_template/" + name))
            (row[0] == "e" ? expected : original) += Bytes(row.at(1));
        DialogTemplateLayout layout = {};
        CDialogTemplate edited;
        ASSERT_TRUE(
            ParseDialogTemplate(reinterpret_cast<const BYTE*>(original.data()), original.size(), &layout) &&
            edited.SetTemplate(original.data(), original.size()) && edited.SetFont("MS Shell Dlg 2", 8))
            << name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(edited.Lock()), edited.GetSize()), expected)
            << name;
        edited.Unlock();
        for (size_t cut = 0; cut + 2 < layout.itemsOffset; ++cut)
            EXPECT_FALSE(CDialogTemplate().SetTemplate(original.data(), cut)) << name << " cut to " << cut;
    }
    CDialogTemplate empty, alert;
    EXPECT_FALSE(empty.Load(nullptr, MAKEINTRESOURCEA(9999)) || empty.SetFont("MS Shell Dlg 2", 8) ||
                 empty.Lock())
        << "a missing template: nothing is held to edit";
    ASSERT_TRUE(alert.Load(nullptr, MAKEINTRESOURCEA(151)));
    EXPECT_FALSE(alert.SetFont("", 8) || alert.SetFont(std::string(LF_FACESIZE, 'F').c_str(), 8));
    EXPECT_TRUE(alert.SetFont(std::string(LF_FACESIZE - 1, 'F').c_str(), 8));
}
