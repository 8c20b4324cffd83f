// The About window on real windows: shown from "About" and modally, its
// close timer, its look, and its end.
#include "ProgramFixture.h"

#include "PlacedApplication.h"

#include <QElapsedTimer>
#include <QLabel>

#include "windows/AboutWindow.h"
#include "windows/Pictures.h"

using namespace fw;
namespace fs = std::filesystem;

namespace {

class About : public ProgramFixture {
protected:
    void TearDown() override {
        ForgetPicturesForTests();
        ProgramFixture::TearDown();
    }
    static Ref<AboutWindow> Open() {
        return DynamicCast<AboutWindow>(RuntimeGetImplicitWindow("AboutWindow.AboutWindow"));
    }
    // Lets the event loop run for a while, as the user waits.
    static void Wait(int milliseconds) { QTest::qWait(milliseconds); }
};

}  // namespace

TEST_F(About, FromTheAboutButtonItStaysLongAfterThreeSecondsAndClosesAtAClick) {
    Click(window_->AboutBtn());
    Ref<AboutWindow> about = Open();
    ASSERT_FALSE(about.IsNil());
    EXPECT_EQ(about->CloseTimer()->Mode(), Timer::kModeOff);
    Click(window_->AboutBtn());  // a second "About" shows the same window
    EXPECT_EQ(Open(), about);
    EXPECT_EQ(OpenWindows().size(), 2u);
    Wait(3600);
    EXPECT_TRUE(about->IsOpen());

    WeakRef<AboutWindow> window(about);
    WeakRef<Timer> timer(about->CloseTimer());
    QTest::mouseClick(about->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    EXPECT_FALSE(about->IsOpen());
    EXPECT_TRUE(Open().IsNil());
    about.Release();
    EXPECT_TRUE(window.Expired()) << "something keeps the closed window alive";
    EXPECT_TRUE(timer.Expired()) << "something keeps the timer alive";
    Click(window_->AboutBtn());  // the next one is built afresh
    EXPECT_FALSE(Open().IsNil());
    EXPECT_EQ(Open()->StaticText3()->Text().ToUTF8(), std::string("v.") + QUELMAR_PROJECT_VERSION);
}

TEST_F(About, ShownModallyItClosesByItselfAfterThreeSecondsOrAtAClick) {
    // The close timer starts while the window is built, so the clock starts before.
    QElapsedTimer clock;
    clock.start();
    Ref<AboutWindow> about = GetAboutWindowInstance();
    about->ShowModal();
    const qint64 took = clock.elapsed();
    EXPECT_GE(took, 2900);
    EXPECT_LT(took, 10000);
    EXPECT_FALSE(about->IsOpen());

    about = GetAboutWindowInstance();
    QTimer::singleShot(100, qApp, [] {
        if (Ref<AboutWindow> open = Open()) QTest::mouseClick(open->Widget(), Qt::LeftButton);
    });
    clock.restart();
    about->ShowModal();
    EXPECT_LT(clock.elapsed(), 2900);
    EXPECT_FALSE(about->IsOpen());
}

TEST_F(About, ShownModallyItBlocksTheMainWindow) {
    Ref<AboutWindow> about = GetAboutWindowInstance();
    int32_t modeAfterClick = -1;
    Soon([&] {
        Click(window_->AboutBtn());  // its handler would switch the timer off
        modeAfterClick = Open()->CloseTimer()->Mode();
        Open()->Close();
    });
    about->ShowModal();
    EXPECT_EQ(modeAfterClick, Timer::kModeSingle) << "the main window took the click";
}

TEST_F(About, LooksAsBuiltAndTheVersionLineSitsBottomRightOverThePicture) {
    Click(window_->AboutBtn());
    Ref<AboutWindow> about = Open();
    ASSERT_FALSE(about.IsNil());
    QWidget* w = about->Widget();
    EXPECT_EQ(w->size(), QSize(449, 204));
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the user can resize it";
    EXPECT_EQ(w->windowTitle(), QString("About Quelmar"));
    EXPECT_EQ(w->frameGeometry().center(), window_->Widget()->frameGeometry().center()) << "not over the main window";
    ASSERT_FALSE(about->Backdrop().IsNil());
    EXPECT_EQ(about->Backdrop(), AboutPicture());

    ASSERT_EQ(about->Controls().size(), 2u);
    EXPECT_EQ(about->Controls()[0]->Class(), GetCloseTimerClass());
    EXPECT_EQ(about->CloseTimer()->Period(), 3000);
    EXPECT_EQ(DynamicCast<AboutWindow::_wrapper_CloseTimer>(about->CloseTimer())->Window(), about);
        Ref<Label> version = about->StaticText3();
    EXPECT_EQ(version->Text().ToUTF8(), std::string("v.") + QUELMAR_PROJECT_VERSION);
    auto* label = static_cast<QLabel*>(version->Widget());
    EXPECT_EQ(label->geometry(), QRect(115, 188, 329, 16));
    EXPECT_TRUE(label->alignment() & Qt::AlignRight);
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_LE(label->sizeHint().height(), label->height()) << "the version line is cut";

    QCoreApplication::processEvents();
    const QImage shot = w->grab().toImage();
    EXPECT_TRUE(shot.save(TestOutputFolder() + "/AboutWindow.png"));
    // The picture fills the window, and the white text stands at the right end of the bottom line.
    const QImage picture = AboutPicture()->Image();
    EXPECT_EQ(shot.pixel(10, 10), picture.pixel(10, 10));
    int whiteRight = 0, whiteLeft = 0;
    for (int y = 188; y < 204; ++y)
        for (int x = 115; x < 444; ++x)
            if (QColor(shot.pixel(x, y)).lightness() > 240 && QColor(picture.pixel(x, y)).lightness() < 200)
                ++(x > 380 ? whiteRight : whiteLeft);
    EXPECT_GT(whiteRight, 20) << "no version text at the bottom right";
    EXPECT_EQ(whiteLeft, 0) << "the version text is not right-aligned";
}

TEST_F(About, WithoutThePictureItOpensWithoutABackdropAndSaysNothing) {
    fs::create_directories(Path("bin"));
    RuntimeRegisterAppObject(New<PlacedApplication>(Path("bin/Quelmar")));  // no pictures there
    ForgetPicturesForTests();
    Click(window_->AboutBtn());
    Ref<AboutWindow> about = Open();
    ASSERT_FALSE(about.IsNil());
    EXPECT_TRUE(about->Backdrop().IsNil());
    EXPECT_TRUE(about->StaticText3()->Widget()->isVisible());
    EXPECT_TRUE(dialogs_->alerts.empty());
    EXPECT_EQ(dialogs_->beeps, 0);
}
