// The four picture accessors: where they look, their caches, the transparency
// setting, and what a missing picture does to the main window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "PlacedApplication.h"
#include "ScriptedDialogs.h"
#include "framework/Application.h"
#include "windows/MainWindow.h"
#include "windows/Pictures.h"

using namespace fw;
namespace fs = std::filesystem;

namespace {

const char* const kFiles[] = {"Ordner.PNG", "About.png", "Fragezeichen.PNG", "Briefmarke.png"};

class Pictures : public ::testing::Test {
protected:
    void SetUp() override {
        // The build lays the pictures out for the tests as for the application.
        built_ = fs::path(QCoreApplication::applicationDirPath().toStdString()).parent_path() / "Resources";
        root_ = fs::temp_directory_path() / ("quelmar-pictures-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "bin");
        fs::create_directories(root_ / "Resources");
        RuntimeRegisterAppObject(New<PlacedApplication>(root_ / "bin" / "Quelmar"));
        ForgetPicturesForTests();
    }
    void TearDown() override {
        RuntimeRegisterAppObject(Nil);
        ForgetPicturesForTests();
        fs::remove_all(root_);
    }
    void Install(const char* file) { fs::copy_file(built_ / file, root_ / "Resources" / file); }
    void Remove(const char* file) { fs::remove(root_ / "Resources" / file); }

    fs::path built_, root_;
    ScopedDialogs dialogs_;
};

}  // namespace

TEST(PictureResources, TheResourcesFolderLiesBesideTheExecutablesFolder) {
    ASSERT_TRUE(getAppObject().IsNil());  // the framework's own application object serves
    Ref<FolderItem> folder = GetResourcesFolder();
    ASSERT_FALSE(folder.IsNil());
    EXPECT_EQ(folder->Name(), String("Resources"));
    const fs::path expected =
        fs::path(QCoreApplication::applicationDirPath().toStdString()).parent_path() / "Resources";
    EXPECT_EQ(fs::canonical(folder->Path()), fs::canonical(expected));
    for (const char* file : kFiles) EXPECT_TRUE(folder->Child(String(file))->Exists()) << file;
}

TEST_F(Pictures, ASecondCallReturnsTheSamePictureWithoutReadingTheFile) {
    Ref<Picture> (*const accessors[])() = {OrdnerPicture, AboutPicture, FragezeichenPicture, BriefmarkePicture};
    const int32_t transparent[] = {1, 0, 1, 0};
    for (size_t i = 0; i < std::size(kFiles); ++i) {
        SCOPED_TRACE(kFiles[i]);
        Install(kFiles[i]);
        Ref<Picture> first = accessors[i]();
        ASSERT_FALSE(first.IsNil());
        EXPECT_EQ(first->Transparent(), transparent[i]);
        Remove(kFiles[i]);  // a second read would now fail
        EXPECT_EQ(accessors[i](), first);
    }
    EXPECT_EQ(AboutPicture()->Width(), 449);
    EXPECT_EQ(AboutPicture()->Height(), 204);
}

TEST_F(Pictures, AMissingPictureIsNilSilentlyAndIsTriedAgain) {
    EXPECT_TRUE(OrdnerPicture().IsNil());
    EXPECT_TRUE(OrdnerPicture().IsNil());
    EXPECT_TRUE(AboutPicture().IsNil());
    EXPECT_TRUE(dialogs_->alerts.empty());
    EXPECT_EQ(dialogs_->beeps, 0);
    Install("Ordner.PNG");
    Ref<Picture> loaded = OrdnerPicture();
    ASSERT_FALSE(loaded.IsNil());
    EXPECT_EQ(loaded->Transparent(), 1);
    EXPECT_TRUE(AboutPicture().IsNil()) << "one cache does not fill another";
    // A file that is no picture is a failed load too.
    std::ofstream(root_ / "Resources" / "About.png") << "not a picture";
    EXPECT_TRUE(AboutPicture().IsNil());
}

TEST_F(Pictures, NoResourcesFolderGivesNilAndANilExecutableRaises) {
    fs::remove_all(root_ / "Resources");
    EXPECT_TRUE(BriefmarkePicture().IsNil());
    RuntimeRegisterAppObject(New<PlacedApplication>(fs::path()));
    EXPECT_THROW(GetResourcesFolder(), NilObjectException);
    EXPECT_THROW(FragezeichenPicture(), NilObjectException);
}

TEST_F(Pictures, TheMainWindowBuildsAllItsControlsWithoutThePictures) {
    CloseOpenWindows();
    Ref<MainWindow> window = GetMainWindowInstance();
    EXPECT_EQ(window->Controls().size(), 20u);
    for (Ref<BevelButton> button : {window->SourceDirSelectBtn(), window->TargetDirSelectBtn(),
                                    window->SourceFileSelectBtn(), window->AboutBtn(), window->HelpBtn()}) {
        EXPECT_TRUE(button->Icon().IsNil());
        EXPECT_TRUE(static_cast<QToolButton*>(button->Widget())->icon().isNull());
        EXPECT_EQ(button->Caption(), String(button == window->AboutBtn() ? "About"
                                            : button == window->HelpBtn() ? "Help"
                                                                           : "Select..."));
    }
    EXPECT_TRUE(dialogs_->alerts.empty());
    window->Close();
    // The next window built finds the pictures once they are there, and shares them.
    for (const char* file : kFiles) Install(file);
    window = GetMainWindowInstance();
    EXPECT_FALSE(window->SourceDirSelectBtn()->Icon().IsNil());
    EXPECT_EQ(window->SourceDirSelectBtn()->Icon(), window->SourceFileSelectBtn()->Icon());
    window->Close();
}
