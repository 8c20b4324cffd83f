// "Convert": one message file into its ".emlx" file beside it, read back the
// way Apple Mail reads it.
#include "EmlxFixture.h"

#include <algorithm>
#include <sys/stat.h>

#include "AsUnprivilegedUser.h"
#include "framework/TextStreams.h"

using namespace fw;

namespace {
const char* const kAlert = "application error in p_ConvertSingleFile";
}

using EmlxSingleFile = EmlxFixture;

TEST_F(EmlxSingleFile, MessagePartAndCountForEachKindOfLineEnd) {
    const struct {
        const char* what;
        std::string source;
        std::string message;  // what Mail takes as the message
        const char* sender;
    } cases[] = {
        {"CR LF", "From: a@x\r\nSubject: s\r\n\r\nbody\r\n", "From: a@x\nSubject: s\n\nbody\n", "a@x"},
        {"LF", "From: a@x\nSubject: s\n\nbody\n", "From: a@x\nSubject: s\n\nbody\n", "a@x"},
        {"CR alone", "From: a@x\rSubject: s\r\rbody\r", "From: a@x\nSubject: s\n\nbody\n", "a@x"},
        {"CR CR LF", "From: a@x\r\r\nSubject: s\r\r\n\r\r\nbody\r\r\n", "From: a@x\nSubject: s\n\nbody\n", "a@x"},
        {"a lone CR among CR LF", "From: a@x\r\nTo: b\rc\r\n\r\nbody", "From: a@x\nTo: b\nc\n\nbody\n", "a@x"},
        {"no final line end", "From: a@x\r\n\r\nbody", "From: a@x\n\nbody\n", "a@x"},
        {"blank lines at the end", "From: a@x\n\nbody\n\n\n", "From: a@x\n\nbody\n\n\n", "a@x"},
        {"empty file", "", "", ""},
        {"a lone LF", "\n", "\n", ""},
        {"a lone CR", "\r", "\n", ""},
        {"no header section", "\r\nFrom: a@x\r\n", "\nFrom: a@x\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write("m.eml", c.source);
        Ref<FolderItem> out = ConvertSingle("m.eml");
        ASSERT_TRUE(out && out->Exists());
        EXPECT_EQ(Path("m.emlx"), out->Path());
        const EmlxFile file = ReadEmlx(Path("m.emlx"));
        ASSERT_TRUE(ReadsAsEmlx(file));
        EXPECT_EQ(c.message, file.message);
        EXPECT_EQ(c.message.size(), file.count);
        EXPECT_EQ(0u, file.trailer.find("<?xml"));  // straight after the counted bytes
        EXPECT_EQ(c.sender, file.sender);
        EXPECT_EQ(33815681, file.flags);
        EXPECT_EQ(c.source, Read("m.eml"));  // the source is only read
    }
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(EmlxSingleFile, CrLfAndLfMessagesComeOutByteForByte) {
    const std::string expected =
        "83\n"
        "From: Ann <ann@x>\nTo: bob@x\nSubject: Hi\nDate: Tue, 1 Jul 2003 10:52:37 +0200\n\nBody\n"
        R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
<key>date-sent</key>
<real>1057049557</real>
<key>flags</key>
<integer>33815681</integer>
<key>sender</key>
<string>Ann &lt;ann@x&gt;</string>
<key>subject</key>
<string>Hi</string>
<key>to</key>
<string>bob@x</string>
</dict>
</plist>
)";
    for (const char* lineEnd : {"\r\n", "\n"}) {
        SCOPED_TRACE(testing::PrintToString(lineEnd));
        const std::string e = lineEnd;
        Write("m.eml", "From: Ann <ann@x>" + e + "To: bob@x" + e + "Subject: Hi" + e +
                           "Date: Tue, 1 Jul 2003 10:52:37 +0200" + e + e + "Body" + e);
        ASSERT_TRUE(ConvertSingle("m.eml"));
        EXPECT_EQ(expected, Read("m.emlx"));
    }
}

TEST_F(EmlxSingleFile, HeaderValuesAndDateOfARealMessage) {
    Write("m.eml",
          "Return-Path: <bounce@x>\r\nDelivered-To: me@x\r\nReply-To: list@x\r\n"
          "From: \"Smith & Sons\" <s@x>\r\nTo: Ann <ann@x>\r\nSubject: Caf\xE9 <menu>\r\n"
          "Date: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\n"
          "From: someone quoted\r\nTo: nobody\r\nSubject: not this\r\n");
    ASSERT_TRUE(ConvertSingle("m.eml"));
    const EmlxFile file = ReadEmlx(Path("m.emlx"));
    ASSERT_TRUE(ReadsAsEmlx(file));
    EXPECT_EQ((std::vector<std::string>{"date-sent", "flags", "sender", "subject", "to"}), file.plist.Keys());
    EXPECT_EQ(1057049557, file.dateSent);
    EXPECT_EQ("\"Smith & Sons\" <s@x>", file.sender);
    EXPECT_EQ("Ann <ann@x>", file.to);
    EXPECT_EQ("Caf\xC3\xA9 <menu>", file.subject);
}

TEST_F(EmlxSingleFile, BinaryContentIsKeptByteForByte) {
    using namespace std::string_literals;
    std::string bytes = "From: \xFF\xFE\0x\r\nSubject: \x01\x80\xC3\r\n\r\n"s;
    bytes.append(std::string("\0\0\0", 3));
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    bytes.append("\xC3\x28 invalid UTF-8 \xF5\x80");
    Write("bin.eml", bytes);
    ASSERT_TRUE(ConvertSingle("bin.eml"));
    const EmlxFile file = ReadEmlx(Path("bin.emlx"));
    ASSERT_TRUE(ReadsAsEmlx(file));
    // The CR of each CR LF goes; the lone CR among the 256 byte values becomes LF.
    std::string expected = "From: \xFF\xFE\0x\nSubject: \x01\x80\xC3\n\n\0\0\0"s;
    for (int i = 0; i < 256; ++i) expected.push_back(static_cast<char>(i == '\r' ? '\n' : i));
    expected.append("\xC3\x28 invalid UTF-8 \xF5\x80\n");
    EXPECT_EQ(expected, file.message);
    EXPECT_EQ("\xC3\xBF\xC3\xBEx", file.sender);
    EXPECT_EQ("\xC2\x80\xC3\x83", file.subject);
}

TEST_F(EmlxSingleFile, NameIsTheBaseNameAndEmlx) {
    const struct {
        const char* source;
        const char* output;
    } cases[] = {
        {"a.b.eml", "a.b.emlx"}, {"noext", "noext.emlx"}, {"end.", "end.emlx"},
        {"msg.EML", "msg.emlx"}, {"note.txt", "note.emlx"}, {"Gr\xC3\xBC\xC3\x9F" "e.eml", "Gr\xC3\xBC\xC3\x9F" "e.emlx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        Write(std::string("names/") + c.source, "Subject: x\n");
        Ref<FolderItem> out = ConvertSingle(std::string("names/") + c.source);
        ASSERT_TRUE(out);
        EXPECT_EQ(Path("names") / c.output, out->Path());
        EXPECT_TRUE(ReadsAsEmlx(ReadEmlx(Path("names") / c.output)));
    }
}

TEST_F(EmlxSingleFile, ReplacesAnExistingOutputWholly) {
    Write("m.emlx", std::string(10000, 'x'));
    Write("m.eml", "Subject: new\n");
    ASSERT_TRUE(ConvertSingle("m.eml"));
    const EmlxFile file = ReadEmlx(Path("m.emlx"));
    ASSERT_TRUE(ReadsAsEmlx(file));
    EXPECT_EQ("Subject: new\n", file.message);
    EXPECT_EQ("new", file.subject);
}

TEST_F(EmlxSingleFile, AnOutputNameThatIsALinkIsReplacedNotWrittenThrough) {
    Write("elsewhere/target", "keep me");
    std::filesystem::create_symlink(Path("elsewhere/target"), Path("m.emlx"));
    Write("m.eml", "Subject: s\n");
    ASSERT_TRUE(ConvertSingle("m.eml"));
    EXPECT_EQ("keep me", Read("elsewhere/target"));
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(Path("m.emlx"))));
    EXPECT_TRUE(ReadsAsEmlx(ReadEmlx(Path("m.emlx"))));
}

TEST_F(EmlxSingleFile, CopiesTypeAndCreatorCodesEmptyOnesIncluded) {
    Write("coded.eml", "Subject: s\n");
    SetCodes(Path("coded.eml"), "TEXT", "ttxt");
    ASSERT_TRUE(ConvertSingle("coded.eml"));
    Ref<FolderItem> out = Item("coded.emlx");
    EXPECT_EQ("TEXT", out->MacType().ToUTF8());
    EXPECT_EQ("ttxt", out->MacCreator().ToUTF8());

    Write("onlycreator.eml", "Subject: s\n");
    SetCodes(Path("onlycreator.eml"), "", "MACS");
    ASSERT_TRUE(ConvertSingle("onlycreator.eml"));
    EXPECT_EQ("", Item("onlycreator.emlx")->MacType().ToUTF8());
    EXPECT_EQ("MACS", Item("onlycreator.emlx")->MacCreator().ToUTF8());

    // A source without codes gives an output without codes, even where an
    // earlier output of that name had some.
    Write("plain.eml", "Subject: s\n");
    Write("plain.emlx", "old");
    SetCodes(Path("plain.emlx"), "OLDT", "OLDC");
    ASSERT_TRUE(ConvertSingle("plain.eml"));
    EXPECT_EQ("", Item("plain.emlx")->MacType().ToUTF8());
    EXPECT_EQ("", Item("plain.emlx")->MacCreator().ToUTF8());
    EXPECT_FALSE(HasFinderInfo(Path("plain.emlx")));
}

TEST_F(EmlxSingleFile, CodesAndContentAreReadAfreshWhateverWasAskedBefore) {
    Write("m.eml", "Subject: first\n");
    SetCodes(Path("m.eml"), "TEXT", "ttxt");
    Ref<FolderItem> item = Item("m.eml");
    EXPECT_EQ("TEXT", item->MacType().ToUTF8());
    SetCodes(Path("m.eml"), "NEWT", "newc");
    EXPECT_EQ("newc", item->MacCreator().ToUTF8());
    EXPECT_EQ("NEWT", item->MacType().ToUTF8());
    // Replaced after its codes were read: the new file is read.
    std::filesystem::remove(Path("m.eml"));
    Write("m.eml", "Subject: second\n");
    Ref<TextInputStream> in = item->OpenAsTextFile();
    ASSERT_TRUE(in);
    EXPECT_EQ("Subject: second\n", in->ReadAll(Nil).Bytes());
    EXPECT_EQ("", item->MacCreator().ToUTF8());
}

TEST_F(EmlxSingleFile, NeverReplacesItsOwnSource) {
    const std::string source = "10\nSubject: x\n<?xml version=\"1.0\"?>\n";
    Write("x.emlx", source);
    EXPECT_TRUE(ConvertSingle("x.emlx").IsNil());
    EXPECT_EQ(std::vector<std::string>{kAlert}, dialogs_->Prompts());
    EXPECT_EQ(source, Read("x.emlx"));

    // The same file reached through a linked folder is still its source.
    std::filesystem::create_directory_symlink(root_, Path("via"));
    EXPECT_TRUE(ConvertSingle("via/x.emlx").IsNil());
    EXPECT_EQ(source, Read("x.emlx"));

    // A link named x.emlx as the source: the link is kept, and so is its target.
    std::filesystem::create_symlink(Path("x.emlx"), Path("link.emlx"));
    EXPECT_TRUE(ConvertSingle("link.emlx").IsNil());
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link.emlx")));
    EXPECT_EQ(source, Read("x.emlx"));
}

TEST_F(EmlxSingleFile, FailuresAlertAndGiveNil) {
    // A source that is not there: nothing created.
    EXPECT_TRUE(ConvertSingle("missing.eml").IsNil());
    EXPECT_FALSE(std::filesystem::exists(Path("missing.emlx")));
    // A folder given as the source.
    std::filesystem::create_directory(Path("folder.eml"));
    EXPECT_TRUE(ConvertSingle("folder.eml").IsNil());
    EXPECT_FALSE(std::filesystem::exists(Path("folder.emlx")));
    // No SourceFile to place the result by.
    Write("m.eml", "Subject: s\n");
    window_->SourceFile = Nil;
    EXPECT_TRUE(MainWindowTestAccess::ConvertSingleFile(*window_, Item("m.eml")).IsNil());
    EXPECT_FALSE(std::filesystem::exists(Path("m.emlx")));
    // An output name taken by a folder, which is never removed.
    std::filesystem::create_directory(Path("taken.emlx"));
    Write("taken.eml", "Subject: s\n");
    EXPECT_TRUE(ConvertSingle("taken.eml").IsNil());
    EXPECT_TRUE(std::filesystem::is_directory(Path("taken.emlx")));
    EXPECT_EQ(std::vector<std::string>(4, kAlert), dialogs_->Prompts());
}

TEST_F(EmlxSingleFile, AFolderThatRefusesTheNewFileIsReported) {
    Write("locked/m.eml", "Subject: s\n");
    Write("unreadable/m.eml", "Subject: s\n");
    ::chmod(Path("locked").c_str(), 0755);  // root's: nobody may read, not write
    ::chmod(Path("unreadable/m.eml").c_str(), 0600);
    ::chmod(root_.c_str(), 0755);
    const int result = RunAsNobody([&] {
        if (!ConvertSingle("locked/m.eml").IsNil()) return 1;
        if (std::filesystem::exists(Path("locked/m.emlx"))) return 2;
        if (!ConvertSingle("unreadable/m.eml").IsNil()) return 3;
        if (std::filesystem::exists(Path("unreadable/m.emlx"))) return 4;
        if (dialogs_->Prompts() != std::vector<std::string>(2, kAlert)) return 5;
        return 0;
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ("Subject: s\n", Read("locked/m.eml"));
}
