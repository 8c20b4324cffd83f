// The main window driven as a user drives it: the three choosers with their
// tests and messages, the enabling rule, "Convert", "Batch Convert", the
// check boxes and "Quit", on real windows and real files.
#include "ProgramFixture.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <optional>

#include "AsUnprivilegedUser.h"
#include "EmlxReader.h"
#include "MainWindowAccess.h"
#include "StandardError.h"
#include "framework/DialogStartFolder.h"
#include "framework/EventDispatch.h"
#include "windows/AboutWindow.h"

using namespace fw;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

const std::string kNote =
    "To import emlx into Apple Mail remember to select 'Apple Mail' when choosing 'Import Mailboxes'";
const std::string kDone = "Conversion done.";

class MainWindowFlow : public ProgramFixture {
protected:
    enum class Chooser { SourceFolder, TargetFolder, SourceFile };

    // Answers the chooser's dialog with the entry (cancels when empty) and clicks its "Select...".
    void Choose(Chooser chooser, const std::string& relative) {
        Ref<FolderItem> answer = relative.empty() ? Ref<FolderItem>() : Item(relative);
        if (chooser == Chooser::SourceFile) dialogs_->files.push_back(answer);
        else dialogs_->folders.push_back(answer);
        Click(chooser == Chooser::SourceFolder   ? window_->SourceDirSelectBtn()
              : chooser == Chooser::TargetFolder ? window_->TargetDirSelectBtn()
                                                 : window_->SourceFileSelectBtn());
    }

    // The chosen entry and its field's text, as absolute paths ("" for none).
    std::pair<std::string, std::string> Choice(Chooser chooser) {
        MainWindow& w = *window_;
        const Ref<FolderItem> item = chooser == Chooser::SourceFolder   ? MainWindowTestAccess::SourceFolder(w)
                                     : chooser == Chooser::TargetFolder ? MainWindowTestAccess::TargetFolder(w)
                                                                        : w.SourceFile;
        const Ref<TextField> field = chooser == Chooser::SourceFolder   ? w.SourceDirectoryField()
                                     : chooser == Chooser::TargetFolder ? w.TargetDirectoryField()
                                                                        : w.SourceFileField();
        return {item ? item->AbsolutePath().ToUTF8() : "", field->Text().ToUTF8()};
    }
    std::pair<std::string, std::string> Chosen(const std::string& relative) {
        const std::string path = Item(relative)->AbsolutePath().ToUTF8();
        return {path, path};
    }

    // Which of the five buttons are enabled, in the order Convert, Batch Convert,
    // and the "Select..." of source folder, target folder and message file.
    std::vector<bool> Enabled() {
        MainWindow& w = *window_;
        return {w.ConvertSingleBtn()->Enabled(), w.ConvertBatchBtn()->Enabled(), w.SourceDirSelectBtn()->Enabled(),
                w.TargetDirSelectBtn()->Enabled(), w.SourceFileSelectBtn()->Enabled()};
    }

    // A source tree of two messages and a target folder, chosen.
    void ChooseInboxAndOut() {
        Write("Inbox/a.eml", Message("a"));
        Write("Inbox/Sub/b.eml", Message("b"));
        fs::create_directories(Path("Out"));
        Choose(Chooser::SourceFolder, "Inbox");
        Choose(Chooser::TargetFolder, "Out");
    }

    void SetBoxes(bool mbox, bool mailStructure) {
        window_->CreateMBoxCB()->SetValue(true);
        window_->CreateMailStructureCB()->SetValue(mailStructure);
        window_->CreateMBoxCB()->SetValue(mbox);
    }

    // The progress as the user reads it: value, maximum and status line.
    struct Progress {
        int32_t value, maximum;
        std::string status;
        bool operator==(const Progress& o) const {
            return value == o.value && maximum == o.maximum && status == o.status;
        }
    };
    Progress ProgressNow() {
        return {window_->StatusBar()->Value(), window_->StatusBar()->Maximum(),
                window_->StatusText()->Text().ToUTF8()};
    }

    // The ".emlx" files under Out, relative to it, in order.
    Strings Outputs() {
        Strings out;
        if (!fs::exists(Path("Out"))) return out;
        for (const auto& e : fs::recursive_directory_iterator(Path("Out")))
            if (e.is_regular_file()) out.push_back(fs::relative(e.path(), Path("Out")).generic_string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

}  // namespace

TEST_F(MainWindowFlow, TheButtonsFollowTheChoicesFromTheStartOn) {
    // Convert, Batch Convert, Select... of source folder, target folder, message file.
    EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, true, false, true}));
    Write("Inbox/a.eml", Message("a"));
    Write("Mail/x.eml", Message("x"));
    Write("Mail/y.eml", Message("y"));
    fs::create_directories(Path("Out"));

    Choose(Chooser::SourceFolder, "Inbox");
    EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, true, true, true}));
    EXPECT_EQ(Choice(Chooser::SourceFolder), Chosen("Inbox"));
    Choose(Chooser::TargetFolder, "Out");
    EXPECT_EQ(Enabled(), (std::vector<bool>{false, true, true, true, true}));
    EXPECT_EQ(Choice(Chooser::TargetFolder), Chosen("Out"));
    // The single-file tab is independent of the batch tab.
    Choose(Chooser::SourceFile, "Mail/x.eml");
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_EQ(Choice(Chooser::SourceFile), Chosen("Mail/x.eml"));
    Choose(Chooser::SourceFile, "Mail/y.eml");  // a second file replaces the first
    EXPECT_EQ(Choice(Chooser::SourceFile), Chosen("Mail/y.eml"));
    EXPECT_EQ(Choice(Chooser::SourceFolder), Chosen("Inbox"));
    EXPECT_TRUE(answers_.shown.empty());
    EXPECT_EQ(dialogs_->filters, Strings(2, "eml"));
}

TEST_F(MainWindowFlow, EachChooserCancelledRefusedOrAccepted) {
    Write("Prev/keep.eml", Message("keep"));
    Write("Inbox/a.eml", Message("a"));
    fs::create_directories(Path("Out"));
    for (const char* name : {"x.oml", "a.b.OML", "oml", "x.eml", "x.emlx", "x.txt"}) Write(std::string("Mail/") + name, "");
    const struct {
        Chooser chooser;
        std::string answer;   // "" cancels the dialog
        std::string message;  // "" for none
        bool accepted;
    } cases[] = {
        {Chooser::SourceFolder, "", "", false},
        {Chooser::SourceFolder, "Nope", "", false},  // silently ignored
        {Chooser::SourceFolder, "Inbox", "", true},
        {Chooser::TargetFolder, "", "", false},
        {Chooser::TargetFolder, "Nope", "The target directory does not seem to exits.", false},
        {Chooser::TargetFolder, "Out", "", true},
        {Chooser::SourceFile, "", "", false},
        {Chooser::SourceFile, "Mail/gone.eml", "The source directory does not seem to be readable.", false},
        {Chooser::SourceFile, "Mail/x.oml", "This is not the right type of file. Please convert eml-files.", false},
        {Chooser::SourceFile, "Mail/a.b.OML", "This is not the right type of file. Please convert eml-files.", false},
        {Chooser::SourceFile, "Mail/oml", "", true},
        {Chooser::SourceFile, "Mail/x.eml", "", true},
        {Chooser::SourceFile, "Mail/x.emlx", "", true},
        {Chooser::SourceFile, "Mail/x.txt", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.empty() ? "cancelled" : c.answer);
        // A previous choice, which a refusal keeps.
        const std::string previous = c.chooser == Chooser::SourceFile ? "Prev/keep.eml" : "Prev";
        Choose(c.chooser, previous);
        const std::vector<bool> before = Enabled();
        answers_.shown.clear();
        Choose(c.chooser, c.answer);
        EXPECT_EQ(answers_.Messages(), c.message.empty() ? Strings{} : Strings{c.message});
        for (const ShownWarning& w : answers_.shown) EXPECT_EQ(w.buttons, Strings{"OK"});
        EXPECT_EQ(Choice(c.chooser), Chosen(c.accepted ? c.answer : previous));
        EXPECT_EQ(Enabled(), before);
    }
    EXPECT_TRUE(dialogs_->alerts.empty());
}

namespace {

// HOME set for a test, in a run of the program where no dialog has been answered
// yet; both as they were afterwards.
class FreshSessionAtHome {
public:
    explicit FreshSessionAtHome(const fs::path& home) : remembered_(RememberedDialogFolder()) {
        if (const char* h = std::getenv("HOME")) home_ = h;
        ::setenv("HOME", home.c_str(), 1);
        RememberDialogFolder("");
    }
    ~FreshSessionAtHome() {
        if (home_) ::setenv("HOME", home_->c_str(), 1);
        else ::unsetenv("HOME");
        RememberDialogFolder(remembered_);
    }

private:
    std::optional<std::string> home_;
    std::string remembered_;
};

}  // namespace

TEST_F(MainWindowFlow, TheChoosersOpenAtHomeUntilAChoiceThenWhereTheLastChoiceWasMade) {
    fs::create_directories(Path("home"));
    Write("Mail/Inbox/a.eml", Message("a"));
    Write("Letters/x.eml", Message("x"));
    fs::create_directories(Path("Out"));
    FreshSessionAtHome session(Path("home"));
    const struct {
        Chooser chooser;
        std::string answer;  // "" cancels
        std::string opensIn;
    } steps[] = {
        {Chooser::SourceFile, "", "home"},  // a cancel remembers nothing
        {Chooser::SourceFolder, "Mail/Inbox", "home"},
        {Chooser::TargetFolder, "Out", "Mail/Inbox"},
        {Chooser::SourceFile, "Letters/x.eml", "Out"},  // a file: the folder it lies in
        {Chooser::SourceFolder, "", "Letters"},
        {Chooser::TargetFolder, "Mail", "Letters"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.answer.empty() ? "cancelled" : step.answer);
        dialogs_->startFolders.clear();
        Choose(step.chooser, step.answer);
        EXPECT_EQ(dialogs_->startFolders, Strings{Path(step.opensIn).string()});
    }
    // The folder chosen last is gone: home again.
    fs::remove_all(Path("Mail"));
    dialogs_->startFolders.clear();
    Choose(Chooser::SourceFile, "");
    EXPECT_EQ(dialogs_->startFolders, Strings{Path("home").string()});
}

TEST_F(MainWindowFlow, UnwritableFoldersAreRefusedForTheUnprivilegedUser) {
    Write("ro/m.eml", Message("m"));
    Write("rw/m.eml", Message("m"));
    ::chmod(Path("ro").c_str(), 0755);  // root's: nobody may read it, not write in it
    ::chmod(Path("rw").c_str(), 0777);
    ::chmod(Path("rw/m.eml").c_str(), 0644);
    ::chmod(root_.c_str(), 0755);
    const std::string notWritableTarget = "The target directory is not writable. Please make sure that it is.";
    const std::string notWritableSource = "The source directory is not writable. Please make sure that it is.";
    Choose(Chooser::SourceFolder, "rw");  // the target's "Select..." needs a source folder
    QCoreApplication::processEvents();
    const int result = RunAsNobody([&] {
        StopPainting();
        Choose(Chooser::TargetFolder, "ro");
        if (answers_.Messages() != Strings{notWritableTarget}) return 1;
        if (!Choice(Chooser::TargetFolder).first.empty()) return 2;
        Choose(Chooser::SourceFile, "ro/m.eml");
        if (answers_.Messages() != Strings{notWritableTarget, notWritableSource}) return 3;
        if (!window_->SourceFile.IsNil() || window_->ConvertSingleBtn()->Enabled()) return 4;
        Choose(Chooser::TargetFolder, "rw");
        Choose(Chooser::SourceFile, "rw/m.eml");
        if (answers_.shown.size() != 2) return 5;
        if (Choice(Chooser::TargetFolder) != Chosen("rw") || Choice(Chooser::SourceFile) != Chosen("rw/m.eml")) return 6;
        return 0;
    });
    EXPECT_EQ(result, 0);
}

TEST_F(MainWindowFlow, EachCatchAllShowsTheTextOfItsPlaceAndWhatWasDoneStays) {
    Write("Mail/x.eml", Message("x"));
    Choose(Chooser::SourceFolder, "Mail");
    Choose(Chooser::SourceFile, "Mail/x.eml");
    // A file that exists but lies in no folder. The alert keeps its text; the
    // reason goes to standard error beside it, once.
    dialogs_->files.push_back(FolderItemFromPath("/"));
    EXPECT_EQ(ProgramLinesOnStderr([&] { Click(window_->SourceFileSelectBtn()); }),
              Strings{"Quelmar: Exception in SoruceFileSelectBtn: NilObjectException"});
    EXPECT_EQ(dialogs_->Prompts(), Strings{"Exception in SoruceFileSelectBtn"});
    EXPECT_EQ(Choice(Chooser::SourceFile), Chosen("Mail/x.eml"));

    // Without an application object no warning dialog can open, so each message fails.
    RuntimeRegisterAppObject(Nil);
    const struct {
        const char* what;
        std::function<void()> act;
        const char* text;
    } cases[] = {
        {"a missing target folder", [&] { Choose(Chooser::TargetFolder, "Nope"); },
         "Exception in SetTargetFolderButton"},
        {"a missing message file", [&] { Choose(Chooser::SourceFile, "Mail/gone.eml"); },
         "Exception in SoruceFileSelectBtn"},
        {"a file converted", [&] { Click(window_->ConvertSingleBtn()); }, "ConvertBtn.Action"},
        {"the uncalled target chooser on a missing folder",
         [&] {
             dialogs_->folders.push_back(Item("Nope"));
             MainWindowTestAccess::SetTargetFolder(*window_);
         },
         "Exception in SetTargetFolder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs_->alerts.clear();
        EXPECT_EQ(ProgramLinesOnStderr(c.act), Strings{"Quelmar: " + std::string(c.text) + ": NilObjectException"});
        EXPECT_EQ(dialogs_->Prompts(), Strings{c.text});
    }
    EXPECT_TRUE(ReadEmlx(Path("Mail/x.emlx")).error.empty()) << "the conversion before the failure stays done";
    EXPECT_TRUE(answers_.shown.empty());
}

TEST_F(MainWindowFlow, EachFieldsTextChangeRunsTheEnablingRule) {
    Write("Mail/x.eml", Message("x"));
    Write("Inbox/a.eml", Message("a"));
    fs::create_directories(Path("Out"));
    // Each property set without its chooser, so only the field's TextChange can
    // bring the buttons in step: Convert, Batch Convert, then the three "Select...".
    const struct {
        const char* field;
        std::function<void()> choose;
        Ref<TextField> (MainWindow::*fieldOf)();
        std::vector<bool> enabled;
    } cases[] = {
        {"SourceFileField", [&] { window_->SourceFile = Item("Mail/x.eml"); }, &MainWindow::SourceFileField,
         {true, false, true, false, true}},
        {"SourceDirectoryField", [&] { MainWindowTestAccess::SourceFolder(*window_) = Item("Inbox"); },
         &MainWindow::SourceDirectoryField, {true, false, true, true, true}},
        {"TargetDirectoryField", [&] { MainWindowTestAccess::TargetFolder(*window_) = Item("Out"); },
         &MainWindow::TargetDirectoryField, {true, true, true, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const std::vector<bool> before = Enabled();
        c.choose();
        EXPECT_EQ(Enabled(), before);
        ((*window_).*c.fieldOf)()->SetText("a path");
        EXPECT_EQ(Enabled(), c.enabled);
    }
}

TEST_F(MainWindowFlow, AnExceptionThatEscapesAHandlerIsShownAndTheNextBatchRunGoesAhead) {
    ChooseInboxAndOut();
    SetBoxes(true, true);
    const std::pair<std::string, std::string> sourceBefore = Choice(Chooser::SourceFolder);
    // The source-folder chooser has no catch-all: its dialog fails.
    dialogs_->onChooser = [] { throw IOException("no dialog"); };
    EXPECT_EQ(ProgramLinesOnStderr([&] { Click(window_->SourceDirSelectBtn()); }),
              Strings{"Quelmar: unhandled exception: no dialog"});
    dialogs_->onChooser = nullptr;
    ASSERT_EQ(dialogs_->alerts.size(), 1u);
    EXPECT_EQ(dialogs_->alerts[0].prompt, "no dialog");
    EXPECT_EQ(dialogs_->alerts[0].title, "Unhandled exception");
    EXPECT_EQ(Choice(Chooser::SourceFolder), sourceBefore);

    // Nor has "Batch Convert": without an application object its note cannot come up.
    dialogs_->alerts.clear();
    RuntimeRegisterAppObject(Nil);
    Click(window_->ConvertBatchBtn());
    EXPECT_EQ(dialogs_->Prompts(), Strings{"NilObjectException"});
    EXPECT_EQ(Outputs(), Strings{});
    RuntimeRegisterAppObject(New<Application>());
    Click(window_->ConvertBatchBtn());
    EXPECT_EQ(answers_.Messages(), (Strings{kNote, kDone})) << "the failed run is still taken for running";
    EXPECT_EQ(Outputs().size(), 2u);
    (void)TakeEscapedException();
}

TEST_F(MainWindowFlow, TheUncalledTargetChooserTestsOnlyWritability) {
    dialogs_->folders = {Item("Nope"), Nil};
    MainWindowTestAccess::SetTargetFolder(*window_);  // a missing folder is not writable either
    EXPECT_EQ(answers_.Messages(), Strings{"The target directory is not writable. Please make sure that it is."});
    MainWindowTestAccess::SetTargetFolder(*window_);
    fs::create_directories(Path("Out"));
    dialogs_->folders = {Item("Out")};
    MainWindowTestAccess::SetTargetFolder(*window_);
    EXPECT_EQ(Choice(Chooser::TargetFolder).first, Chosen("Out").first);
    EXPECT_TRUE(window_->TargetDirectoryField()->Text().IsEmpty()) << "it sets no field";
    EXPECT_EQ(answers_.shown.size(), 1u);
}

TEST_F(MainWindowFlow, ConvertWritesTheEmlxBesideTheFileAndSaysSo) {
    Write("Mail/x.eml", Message("hello"));
    Choose(Chooser::SourceFile, "Mail/x.eml");
    Click(window_->ConvertSingleBtn());
    const EmlxFile out = ReadEmlx(Path("Mail/x.emlx"));
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(out.subject, "hello");
    EXPECT_EQ(out.sender, "a@example.com");
    ASSERT_EQ(answers_.shown.size(), 1u);
    EXPECT_EQ(answers_.shown[0].message, "Conversion done successfull.");
    EXPECT_EQ(answers_.shown[0].buttons, Strings{"OK"});
    EXPECT_EQ(answers_.shown[0].defaultButton, 1);

    // Deleted after it was chosen: "Convert" stays enabled and does nothing.
    fs::remove(Path("Mail/x.eml"));
    fs::remove(Path("Mail/x.emlx"));
    EXPECT_TRUE(window_->ConvertSingleBtn()->Enabled());
    Click(window_->ConvertSingleBtn());
    EXPECT_EQ(answers_.shown.size(), 1u);
    EXPECT_TRUE(dialogs_->alerts.empty());
    EXPECT_FALSE(fs::exists(Path("Mail/x.emlx")));
}

TEST_F(MainWindowFlow, BatchConvertInEachStateOfTheCheckBoxes) {
    ChooseInboxAndOut();
    const struct {
        const char* what;
        bool mbox, mailStructure;
        Strings messages;
        Strings outputs;
    } cases[] = {
        {"both ticked: mailboxes without Messages folders", true, true, {kNote, kDone},
         {"Inbox_converted/Inbox.mbox/a.emlx", "Inbox_converted/Inbox/Sub.mbox/b.emlx"}},
        {"mailboxes off: the plain mirror, and still the note", false, true, {kNote, kDone},
         {"Inbox_conv/Sub/b.emlx", "Inbox_conv/a.emlx"}},
        {"Mail structure off: mailboxes with Messages folders", true, false, {kDone},
         {"Inbox_converted/Inbox.mbox/Messages/a.emlx", "Inbox_converted/Inbox/Sub.mbox/Messages/b.emlx"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(Path("Out"));
        fs::create_directories(Path("Out"));
        SetBoxes(c.mbox, c.mailStructure);
        EXPECT_EQ(window_->CreateMailStructureCB()->Enabled(), c.mbox);
        answers_.shown.clear();
        std::optional<Progress> beforeWalk;
        SetCreationObserver([&](const fs::path&) {
            if (!beforeWalk) beforeWalk = ProgressNow();
        });
        Click(window_->ConvertBatchBtn());
        SetCreationObserver(nullptr);
        EXPECT_EQ(answers_.Messages(), c.messages);
        EXPECT_EQ(Outputs(), c.outputs);
        EXPECT_EQ(beforeWalk, (Progress{0, 2, "0 of 2"}));
        EXPECT_EQ(ProgressNow(), (Progress{2, 2, "2 of 2 (hit esc to stop)"})) << "reset after the run";
        for (const ShownWarning& w : answers_.shown) EXPECT_TRUE(w.buttons == Strings{"OK"} && w.centred);
    }
    window_->TabPanel1()->SetValue(1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window_->Widget()->grab().save(TestOutputFolder() + "/MainWindow-AfterBatchRun.png"));
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(MainWindowFlow, ConversionDoneFollowsAnEmptyAStoppedAndAFailingRun) {
    ChooseInboxAndOut();
    SetBoxes(true, false);
    auto escape = [this](bool down) {
        QKeyEvent key(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(window_->Widget(), &key);
    };
    SetCreationObserver([&](const fs::path& made) {
        if (made.filename() == "Messages") escape(true);  // held from the walk's first folder on
    });
    Click(window_->ConvertBatchBtn());
    escape(false);
    SetCreationObserver(nullptr);
    EXPECT_EQ(Outputs(), Strings{});
    EXPECT_EQ(answers_.Messages(), Strings{kDone});
    EXPECT_EQ(ProgressNow(), (Progress{0, 2, "0 of 2"}));

    fs::create_symlink(Path("Inbox/missing.eml"), Path("Inbox/broken.eml"));  // listed, but cannot be read
    answers_.shown.clear();
    Click(window_->ConvertBatchBtn());
    EXPECT_EQ(dialogs_->Prompts(), Strings{"application error in p_ConvertFile"});
    EXPECT_EQ(answers_.Messages(), Strings{kDone});
    EXPECT_EQ(Outputs().size(), 2u);

    fs::create_directories(Path("Empty"));
    Choose(Chooser::SourceFolder, "Empty");
    answers_.shown.clear();
    std::optional<Progress> beforeWalk;
    SetCreationObserver([&](const fs::path&) {
        if (!beforeWalk) beforeWalk = ProgressNow();
    });
    Click(window_->ConvertBatchBtn());
    EXPECT_EQ(beforeWalk, (Progress{0, 0, "0 of 0"}));
    EXPECT_EQ(answers_.Messages(), Strings{kDone});
}

TEST_F(MainWindowFlow, TheNoteDismissedWithEscapeDoesNotStopTheRun) {
    ChooseInboxAndOut();
    SetBoxes(true, true);
    answers_.onShown = [this](WarnWindow& w) {
        if (w.DoText()->Text().ToUTF8() != kNote) return void(answers_.answer = 1);
        answers_.answer = -1;
        QTest::keyPress(w.Widget(), Qt::Key_Escape);  // and the key is still down when the walk begins
    };
    Click(window_->ConvertBatchBtn());
    QTest::keyRelease(window_->Widget(), Qt::Key_Escape);
    EXPECT_EQ(answers_.Messages(), (Strings{kNote, kDone}));
    EXPECT_EQ(Outputs().size(), 2u);
}

TEST_F(MainWindowFlow, DuringARunTheButtonsThatStartWorkDoNothingWhileAboutWorks) {
    ChooseInboxAndOut();
    Write("Inbox/c.eml", Message("c"));
    Write("Mail/x.eml", Message("x"));
    Write("Other/o.eml", Message("o"));
    Choose(Chooser::SourceFile, "Mail/x.eml");
    SetBoxes(true, false);
    const std::pair<std::string, std::string> sourceBefore = Choice(Chooser::SourceFolder);
    bool clicked = false;
    std::vector<bool> enabledDuring;
    SetBackgroundTaskObserver([&] {
        if (clicked || Outputs().empty()) return;
        clicked = true;  // input that arrives while the walk yields
        dialogs_->folders = {Item("Other"), Item("Other")};
        dialogs_->files = {Item("Other/o.eml")};
        for (Ref<RectControl> button :
             {Ref<RectControl>(window_->ConvertBatchBtn()), Ref<RectControl>(window_->ConvertSingleBtn()),
              Ref<RectControl>(window_->SourceDirSelectBtn()), Ref<RectControl>(window_->TargetDirSelectBtn()),
              Ref<RectControl>(window_->SourceFileSelectBtn())})
            Click(button);
        enabledDuring = Enabled();
        Click(window_->AboutBtn());
    });
    Click(window_->ConvertBatchBtn());
    SetBackgroundTaskObserver(nullptr);
    ASSERT_TRUE(clicked);
    EXPECT_EQ(dialogs_->folders.size(), 2u) << "a folder chooser opened during the run";
    EXPECT_EQ(dialogs_->files.size(), 1u) << "the file chooser opened during the run";
    EXPECT_EQ(Choice(Chooser::SourceFolder), sourceBefore);
    EXPECT_FALSE(fs::exists(Path("Mail/x.emlx"))) << "converted during the run";
    EXPECT_EQ(answers_.Messages(), Strings{kDone}) << "a second run or another message";
    EXPECT_EQ(Outputs().size(), 3u);
    EXPECT_EQ(enabledDuring, (std::vector<bool>(5, true))) << "the buttons must look as they do";
    EXPECT_FALSE(RuntimeGetImplicitWindow("AboutWindow.AboutWindow").IsNil()) << "About did not open";
    // Once the run is over they work again.
    Click(window_->SourceDirSelectBtn());
    EXPECT_EQ(Choice(Chooser::SourceFolder), Chosen("Other"));
}

namespace {
// Records every window other than `except` that comes onto the screen.
class ShownWindows : public QObject {
public:
    explicit ShownWindows(QWidget* except) : except_(except) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(object);
        if (event->type() == QEvent::Show && widget && widget->isWindow() && widget != except_)
            shown.push_back(widget->windowTitle().toStdString());
        return false;
    }
    Strings shown;

private:
    QWidget* except_;
};
}  // namespace

TEST_F(MainWindowFlow, AClickWhileTheResultIsMadeReadyStartsNoRunAndTheResultIsSeen) {
    ChooseInboxAndOut();
    Write("Mail/x.eml", Message("x"));
    Choose(Chooser::SourceFile, "Mail/x.eml");
    bool clicked = false;
    SetBackgroundTaskObserver([&] {
        if (clicked || RuntimeGetImplicitWindow("WarnWindow.WarnWindow").IsNil()) return;
        clicked = true;  // "Conversion done successfull." measures its message and yields
        Click(window_->ConvertBatchBtn());
    });
    Click(window_->ConvertSingleBtn());
    SetBackgroundTaskObserver(nullptr);
    ASSERT_TRUE(clicked);
    EXPECT_EQ(answers_.Messages(), Strings{"Conversion done successfull."});
    EXPECT_EQ(Outputs(), Strings{}) << "a batch ran inside Convert";
    EXPECT_TRUE(fs::exists(Path("Mail/x.emlx")));
}

TEST_F(MainWindowFlow, QuitDuringARunEndsItBetweenTwoFilesWithoutAQuestion) {
    for (int i = 0; i < 5; ++i) Write("Inbox/m" + std::to_string(i) + ".eml", Message(std::to_string(i)));
    fs::create_directories(Path("Out"));
    Choose(Chooser::SourceFolder, "Inbox");
    Choose(Chooser::TargetFolder, "Out");
    SetBoxes(true, false);
    QCoreApplication::processEvents();
    // Quitting is for good, so it is tried in a child process.
    const pid_t child = ::fork();
    if (child == 0) {
        StopPainting();
        ShownWindows shown(window_->Widget());
        SetBackgroundTaskObserver([this] {
            if (Outputs().size() == 2 && !QuitRequested()) Click(window_->QuitBtn());
        });
        Click(window_->ConvertBatchBtn());
        const std::string messages = "Inbox_converted/Inbox.mbox/Messages/";
        int code = 0;
        if (!QuitRequested()) code = 1;
        else if (Outputs() != Strings{messages + "m0.emlx", messages + "m1.emlx"}) code = 2;  // nothing half written
        else if (!ReadEmlx(Path("Out/" + messages + "m1.emlx")).error.empty()) code = 3;
        else if (!dialogs_->alerts.empty() || answers_.shown.size() != 0) code = 4;  // no question, no message
        else if (!shown.shown.empty() || dialogs_->beeps != 0) code = 6;  // not even for a moment, nor a beep
        else if (RuntimeExit() != 0) code = 5;
        ::_exit(code);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(MainWindowFlow, UntickingMailboxesDisablesTheMailStructureBoxButKeepsItsTick) {
    Click(window_->CreateMBoxCB());
    EXPECT_FALSE(window_->CreateMBoxCB()->Value());
    EXPECT_FALSE(window_->CreateMailStructureCB()->Enabled());
    EXPECT_TRUE(window_->CreateMailStructureCB()->Value());
    Click(window_->CreateMBoxCB());
    EXPECT_TRUE(window_->CreateMailStructureCB()->Enabled());
    EXPECT_TRUE(window_->CreateMailStructureCB()->Value());
}
