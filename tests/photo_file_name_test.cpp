#include "photos/photo_file_name.h"

#include <gtest/gtest.h>

#include "common/gbk.h"

namespace miyoutong {
namespace {

TEST(PhotoFileName, FolderFollowsTheGenderIndex) {
    EXPECT_EQ(PhotoRelativeName(1, "123"), "m/123.jpg");
    EXPECT_EQ(PhotoRelativeName(2, "123"), "f/123.jpg");
    EXPECT_EQ(PhotoRelativeName(0, "123"), std::nullopt);
    EXPECT_EQ(PhotoRelativeName(3, "123"), std::nullopt);
}

TEST(PhotoFileName, OnlyPlainNamesAreSafe) {
    struct Case {
        std::string id;
        bool safe;
    };
    const Case cases[] = {
        {"123456", true},
        {"abc_DEF-9", true},
        {"CON", true},  // only reserved on another platform; harmless here
        {Gbk("会员一"), true},
        {"a.b", true},
        {"", false},
        {"..", false},
        {"../../x", false},
        {"..\\x", false},
        {"a/b", false},
        {"a\\b", false},
        {"x..y", false},
        {std::string("a\0b", 3), false},
        {"a\nb", false},
        {"a\tb", false},
        {"a\x7F", false},
        {"a:b", false},
        {"a*b", false},
        {"a?b", false},
        {"a\"b", false},
        {"a<b>", false},
        {"a|b", false},
        {std::string(200, '7'), true},
        {std::string(201, '7'), false},
        {std::string(300, '7'), false},
        {"\xFF", false},       // not GBK
        {"\xB0", false},       // lone lead byte
        {"\xB0\x7F", false},   // bad trail byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSafeMemberId(c.id), c.safe) << "id=" << c.id;
        EXPECT_EQ(PhotoRelativeName(1, c.id).has_value(), c.safe) << "id=" << c.id;
    }
}

TEST(PhotoFileName, PathsAreUtf8OnDisk) {
    EXPECT_EQ(PhotoPath("/opt/p", "m/1.jpg"), "/opt/p/m/1.jpg");
    EXPECT_EQ(PhotoPath("/opt/p", "f/" + Gbk("会员") + ".jpg"), "/opt/p/f/会员.jpg");
}

}  // namespace
}  // namespace miyoutong
