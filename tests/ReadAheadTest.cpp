// Reading ahead changes nothing the user can tell: the same tree converted
// by the main thread alone and with workers reading ahead gives the same
// outputs, byte for byte, made in the same order, with the same progress
// after every entry and the same alerts.
#include "BatchTreeFixture.h"

#include <sys/stat.h>

#include "engine/ReadAhead.h"

namespace fs = std::filesystem;

class ReadAhead : public BatchTreeFixture {};

TEST_F(ReadAhead, GivesWhatOneThreadGivesInEveryLayout) {
    // More files than the workers may be ahead, broken up by folders, with
    // what the walk handles each in its own way among them.
    for (int i = 0; i < 80; ++i) Write("Inbox/m" + std::to_string(100 + i) + ".eml", Message(std::to_string(i)));
    Write("Inbox/a.eml", Message("a"));
    Write("Inbox/a.txt", Message("a text"));  // the same output name
    Write("Inbox/c.oml", Message("c"));
    Write("Inbox/.hidden.eml", Message("hidden"));
    Write("Inbox/empty.eml", "");
    Write("Inbox/mac.eml", "From: old@mac\rSubject: cr\r\rbody\r");
    std::string big = Message("big");
    while (big.size() <= ReadAheadRun::kLargestAhead) big += "a line of the body of a large message\r\n";
    Write("Inbox/n-big.eml", big);  // left to the main thread
    fs::create_symlink(Path("Inbox/a.eml"), Path("Inbox/n-link.eml"));
    fs::create_symlink(Path("Inbox/missing.eml"), Path("Inbox/n-dangling.eml"));
    ASSERT_EQ(::mkfifo(Path("Inbox/n-pipe.eml").c_str(), 0600), 0);
    for (int i = 0; i < 40; ++i) Write("Inbox/Sub/s" + std::to_string(10 + i) + ".eml", Message("s" + std::to_string(i)));
    Write("Inbox/Sub/Deeper/d.eml", Message("d"));
    Write("Inbox/z.eml", Message("z"));
    for (Layout layout : {Layout::Mirror, Layout::Mailbox, Layout::MailStructure}) {
        SCOPED_TRACE(static_cast<int>(layout));
        const Seen oneThread = RunSeen("Inbox", layout, 0);
        ASSERT_EQ(oneThread.alerts, std::vector<std::string>(2, "application error in p_ConvertFile"));
        ExpectSameRun(oneThread, RunSeen("Inbox", layout, 3));
        ExpectSameRun(oneThread, RunSeen("Inbox", layout, 1));
    }
}
