#include "app/skin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <fstream>

#include "support/temp_directory.h"

namespace miyoutong {
namespace {

using testing_support::TempDirectory;

int argc = 1;
char arg0[] = "skin_test";
char* argv[] = {arg0, nullptr};

TEST(SkinData, IsAZeroPaddedStyleSheetOfTheFixedSize) {
    const Bytes& data = SkinData();
    ASSERT_EQ(data.size(), static_cast<size_t>(kSkinDataSize));
    const std::string text(reinterpret_cast<const char*>(data.data()));
    EXPECT_NE(text.find("QGroupBox"), std::string::npos);
    EXPECT_EQ(data.back(), 0);
}

TEST(ApplySkin, Table) {
    QApplication app(argc, argv);
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> prepare;
        SkinResult expected;
    };
    const Case cases[] = {
        {"absent", [](const auto&) {}, SkinResult::Absent},
        {"not a library",
         [](const auto& file) { std::ofstream(file) << "plain text"; },
         SkinResult::Unusable},
        {"a library without the entry",
         [](const auto& file) {
             std::filesystem::copy_file(MIYOUTONG_LIBRARY_WITHOUT_SKIN_ENTRY, file);
         },
         SkinResult::Unusable},
        {"the example library",
         [](const auto& file) { std::filesystem::copy_file(MIYOUTONG_EXAMPLE_SKIN, file); },
         SkinResult::Applied},
    };
    for (const Case& c : cases) {
        TempDirectory dir;
        app.setStyleSheet("");
        c.prepare(dir.path() / kSkinLibraryName);
        EXPECT_EQ(ApplySkin(dir.str()), c.expected) << c.name;
        // Only the working library changes the look.
        EXPECT_EQ(app.styleSheet().contains("QGroupBox"), c.expected == SkinResult::Applied)
            << c.name;
    }
}

TEST(ApplySkin, FailureTextNamesTheFileAndTheEntry) {
    const std::string text = SkinFailureText("/opt/p");
    EXPECT_NE(text.find("/opt/p/SkinH_EL.dll"), std::string::npos);
    EXPECT_NE(text.find("SkinH_AttachRes"), std::string::npos);
}

}  // namespace
}  // namespace miyoutong
