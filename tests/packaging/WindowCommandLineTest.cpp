#include "window/WindowCommandLine.h"
#include "tests/fixtures/ScratchFolder.h"

#include <QtGlobal>
#include <gtest/gtest.h>

namespace tamrex {
namespace {

using Paths = std::vector<std::filesystem::path>;

TEST(WindowInformation, HelpOrVersionIsAnsweredWhereverItStandsAndOnlyBeforeDoubleDash) {
    EXPECT_EQ(InformationAsked({"--help"}), WindowHelpText());
    EXPECT_EQ(InformationAsked({"photos", "-h"}), WindowHelpText());
    EXPECT_EQ(InformationAsked({"--version", "--help"}), WindowVersionText());
    EXPECT_EQ(InformationAsked({"--", "--help"}), std::nullopt) << "after --, it names a file";
    EXPECT_EQ(InformationAsked({}), std::nullopt);
    EXPECT_EQ(InformationAsked({"-platform", "offscreen", "photo.jpg"}), std::nullopt);
}

TEST(WindowInformation, VersionNamesTheProgramAndBothLibraries) {
    const std::string version = WindowVersionText();
    EXPECT_EQ(version.rfind(std::string("tamrex ") + TAMREX_VERSION + " (FreeImage ", 0), 0) << version;
    EXPECT_NE(version.find(std::string(", Qt ") + qVersion() + ")\n"), std::string::npos) << version;
}

class StartFolderChoice : public ::testing::Test {
protected:
    StartFolderChoice() {
        folder_.WriteFile("stack.jpg", "a photo");
        std::filesystem::create_directory(folder_ / "station");
    }
    StartFolder Choose(const Paths& arguments) const {
        return ChooseStartFolder(arguments, folder_.path());
    }

    testing::ScratchFolder folder_;
};

TEST_F(StartFolderChoice, APhotoOpensItsFolderAFolderItselfNothingTheCurrentOne) {
    EXPECT_EQ(Choose({}).folder, folder_.path());
    EXPECT_EQ(Choose({"station"}).folder, folder_ / "station");
    EXPECT_EQ(Choose({"stack.jpg"}).folder, folder_.path()) << "a bare name lies in the current folder";
    EXPECT_EQ(Choose({folder_ / "stack.jpg"}).folder, folder_.path()) << "as a file manager gives it";
    EXPECT_EQ(Choose({"--", "station"}).folder, folder_ / "station");
    for (const Paths& arguments : {Paths{}, Paths{"station"}, Paths{"stack.jpg"}}) {
        EXPECT_EQ(Choose(arguments).error, "");
    }
}

TEST_F(StartFolderChoice, WhatNamesNoFolderIsRefusedWithTheArgumentNamed) {
    EXPECT_EQ(Choose({"missing.jpg"}).error, "cannot open 'missing.jpg': No such file or directory");
    EXPECT_EQ(Choose({"stack.jpg", "station"}).error, "opens one photo or folder, but 2 were given");
    EXPECT_EQ(Choose({"--bogus"}).error, "unknown option '--bogus'");
    EXPECT_EQ(Choose({"--", "-x.jpg"}).error, "cannot open '-x.jpg': No such file or directory")
        << "after --, a name that starts with '-' is a name";
    EXPECT_TRUE(Choose({"missing.jpg"}).folder.empty());
}

}  // namespace
}  // namespace tamrex
