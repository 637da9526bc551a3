#include "window/WindowCommandLine.h"
#include "record/CountLog.h"
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
    Expected<std::filesystem::path> Choose(const Paths& arguments) const {
        return ChooseStartFolder(arguments, folder_.path());
    }

    testing::ScratchFolder folder_;
};

TEST_F(StartFolderChoice, APhotoOpensItsFolderAFolderItselfNothingTheCurrentOne) {
    EXPECT_EQ(Choose({}).value(), folder_.path());
    EXPECT_EQ(Choose({"station"}).value(), folder_ / "station");
    EXPECT_EQ(Choose({"stack.jpg"}).value(), folder_.path()) << "a bare name lies in the current folder";
    EXPECT_EQ(Choose({folder_ / "stack.jpg"}).value(), folder_.path()) << "as a file manager gives it";
    EXPECT_EQ(Choose({"--", "station"}).value(), folder_ / "station");
    for (const Paths& arguments : {Paths{}, Paths{"station"}, Paths{"stack.jpg"}}) {
        EXPECT_TRUE(Choose(arguments).has_value());
    }
}

TEST_F(StartFolderChoice, WhatNamesNoFolderIsRefusedWithTheArgumentNamed) {
    EXPECT_EQ(Choose({"missing.jpg"}).error().message, "cannot open 'missing.jpg': No such file or directory");
    EXPECT_EQ(Choose({"stack.jpg", "station"}).error().message, "opens one photo or folder, but 2 were given");
    EXPECT_EQ(Choose({"--bogus"}).error().message, "unknown option '--bogus'");
    EXPECT_EQ(Choose({"--", "-x.jpg"}).error().message, "cannot open '-x.jpg': No such file or directory")
        << "after --, a name that starts with '-' is a name";
}

TEST(WindowDisplay, WithoutAnyDisplayTheWindowSaysSoInsteadOfAborting) {
    const Outcome none = CheckDisplay({}, nullptr, "", nullptr);
    ASSERT_FALSE(none.has_value());
    EXPECT_NE(none.error().message.find("no display"), std::string::npos);
    EXPECT_TRUE(CheckDisplay({}, ":0", nullptr, nullptr).has_value());
    EXPECT_TRUE(CheckDisplay({}, nullptr, "wayland-0", nullptr).has_value());
    EXPECT_TRUE(CheckDisplay({}, nullptr, nullptr, "offscreen").has_value());
    EXPECT_TRUE(CheckDisplay({"-platform", "offscreen"}, nullptr, nullptr, nullptr).has_value());
}

TEST_F(StartFolderChoice, TheCountLogIsTheUsersUnlessNamedOrTurnedOff) {
    const auto start = [&](const Paths& arguments) {
        return ReadWindowArguments(arguments, folder_.path(), folder_ / "Tamrex.ini");
    };
    EXPECT_EQ(start({"station"}).value().logFile, DefaultLogFile());
    EXPECT_EQ(start({"--log", "counts.sqlite", "station"}).value().logFile, folder_ / "counts.sqlite");
    const Expected<WindowStart> equals = start({"--log=/var/counts.sqlite", "stack.jpg"});
    EXPECT_EQ(equals.value().logFile, std::filesystem::path("/var/counts.sqlite"));
    EXPECT_EQ(equals.value().photo, "stack.jpg");
    EXPECT_FALSE(start({"--no-log"}).value().logFile.has_value());
    EXPECT_EQ(start({"--", "--no-log"}).error().message, "cannot open '--no-log': No such file or directory")
        << "after --, it is a name";
    EXPECT_EQ(start({"--log"}).error().message, "--log needs the name of a count log file");
    EXPECT_FALSE(start({"--log", "a.sqlite", "--no-log"}).has_value());
}

}  // namespace
}  // namespace tamrex
