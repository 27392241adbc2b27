// The pieces of the Figurant link that need no bus: the wait event, the
// shared block, reading desktop entries and the show item's text.
#include "NamedEvent.h"
#include "SiblingLauncher.h"
#include "SiblingLink.h"
#include "SiblingSharedBlock.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSharedMemory>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Manual reset: once set the event stays set for every waiter, in this
// process and in another, until it is reset.
TEST(NamedEvent, StaysSetForEveryWaiterUntilReset)
{
    TempDir dir;
    const std::string path = dir.File("Event Wait Figurant");
    CNamedEvent a;
    CNamedEvent b;
    ASSERT_TRUE(a.Open(path));
    ASSERT_TRUE(b.Open(path));
    EXPECT_EQ(a.Wait(0), CNamedEvent::TimedOut); // made not signalled
    EXPECT_EQ(b.Wait(20), CNamedEvent::TimedOut);

    ASSERT_TRUE(b.Set());
    EXPECT_EQ(a.Wait(0), CNamedEvent::Signalled);
    EXPECT_EQ(a.Wait(1000), CNamedEvent::Signalled);
    EXPECT_EQ(b.Wait(0), CNamedEvent::Signalled);

    ASSERT_TRUE(a.Reset());
    EXPECT_FALSE(b.IsSet());

    // Another process opens it by name and sets it while we wait.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CNamedEvent c;
        usleep(50 * 1000);
        _exit(c.Open(path) && c.Set() ? 0 : 1);
    }
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(a.Wait(60000), CNamedEvent::Signalled);
    EXPECT_LT(clock.elapsed(), 30000); // woken, not timed out
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    // Opening an existing event keeps its state.
    CNamedEvent late;
    ASSERT_TRUE(late.Open(path));
    EXPECT_TRUE(late.IsSet());
}

// A waiter killed in the middle of its wait leaves the event usable.
TEST(NamedEvent, SurvivesAWaiterThatDies)
{
    TempDir dir;
    const std::string path = dir.File("event");
    CNamedEvent a;
    ASSERT_TRUE(a.Open(path));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CNamedEvent c;
        if (!c.Open(path))
            _exit(1);
        c.Wait(60000); // killed while waiting
        _exit(0);
    }
    usleep(100 * 1000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(a.Set());
    EXPECT_TRUE(a.IsSet());
    EXPECT_TRUE(a.Reset());
}

TEST(NamedEvent, RefusesWhatIsNotAnEvent)
{
    TempDir dir;
    TempDir::Write(dir.File("short"), "xx");
    TempDir::Write(dir.File("other"), std::string(4096, 'x'));
    CNamedEvent e;
    EXPECT_FALSE(e.Open(dir.File("short")));
    EXPECT_EQ(e.Error(), EINVAL);
    EXPECT_FALSE(e.Open(dir.File("other")));
    EXPECT_FALSE(e.Open(dir.File("no/such/folder/event")));
    EXPECT_EQ(e.Error(), ENOENT);
    EXPECT_EQ(e.Wait(0), CNamedEvent::Failed);
    EXPECT_FALSE(e.Set());
}

// The block holds one terminated path of at most 999 bytes; a path that does
// not fit leaves it as it was, and a block without a terminator reads as
// nothing rather than as a cut-off path.
TEST(SiblingSharedBlock, HoldsOneTerminatedPath)
{
    TempDir dir;
    const QString key = QString::fromStdString(dir.File("block"));
    CSiblingSharedBlock first;
    CSiblingSharedBlock second;
    ASSERT_TRUE(first.Open(key, 1000));
    ASSERT_TRUE(second.Open(key, 1000)); // joins the same block
    std::string text = "x";
    ASSERT_TRUE(second.Read(text));
    EXPECT_EQ(text, ""); // created empty

    const std::string sjis = "C:\\\x90\x6c\x95\xa8.fgp"; // 人物
    ASSERT_TRUE(first.Write(sjis));
    ASSERT_TRUE(second.Read(text));
    EXPECT_EQ(text, sjis);

    EXPECT_TRUE(first.Write(std::string(999, 'a')));
    EXPECT_FALSE(first.Write(std::string(1000, 'b')));
    EXPECT_FALSE(first.Write(std::string("a\0b", 3)));
    ASSERT_TRUE(second.Read(text));
    EXPECT_EQ(text, std::string(999, 'a'));

    // Filled to the end by someone else: no terminator, no path.
    QSharedMemory raw;
    raw.setNativeKey(key);
    ASSERT_TRUE(raw.attach());
    std::memset(raw.data(), 'a', 1000);
    EXPECT_FALSE(second.Read(text));

    first.Close();
    EXPECT_FALSE(first.Write("x"));
    EXPECT_FALSE(first.Read(text));
}

TEST(SiblingLauncher, ReadsTheProgramOfADesktopEntry)
{
    const QByteArray entry = "# comment\n"
                             "[Desktop Action print]\n"
                             "Exec=/bin/false --print %f\n"
                             "[Desktop Entry]\n"
                             "Name=Figurant\n"
                             "Exec = \"/opt/Veltrin\\s Soft/figurant\" %f\n"
                             "[Other]\nExec=/bin/true\n";
    EXPECT_EQ(CSiblingLauncher::DesktopEntryExec(entry),
              QStringLiteral("\"/opt/Veltrin  Soft/figurant\" %f"));
    EXPECT_EQ(CSiblingLauncher::DesktopEntryExec("[Desktop Entry]\nName=x\n"), QString());

    const struct
    {
        const char* exec;
        const char* program;
    } cases[] = {
        {"figurant %f", "figurant"},
        {"  /usr/bin/figurant", "/usr/bin/figurant"},
        {"\"/opt/My Apps/figurant\" %U", "/opt/My Apps/figurant"},
        {"\"/opt/a\\\"b\\\\c\" %f", "/opt/a\"b\\c"},
        {"\"/opt/unclosed %f", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSiblingLauncher::ExecProgram(QString::fromUtf8(c.exec)),
                  QString::fromUtf8(c.program))
            << c.exec;
}

// Started with the path as its one argument (the stand-in's test sees the
// "figurant" in front of it), and nobody's child here.
TEST(SiblingLauncher, StartsWithTheCommandLineOfTheLink)
{
    TempDir dir;
    const std::string script = dir.File("fake figurant");
    const std::string out = dir.File("out");
    // The shell names a script's own path as $0, so the vector is read
    // from the kernel's copy of it.
    TempDir::Write(script, "#!/bin/sh\ntr '\\0' '\\n' < /proc/$$/cmdline > '" + out +
                               ".tmp'\nmv '" + out + ".tmp' '" + out + "'\nsleep 30\n");
    chmod(script.c_str(), 0755);
    pid_t pid = 0;
    int error = 0;
    const QString project = QStringLiteral("/tmp/人物 年表.fgp");
    ASSERT_TRUE(CSiblingLauncher::Start(QString::fromStdString(script), project, pid, error));
    EXPECT_GT(pid, 0);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1); // not our child
    QElapsedTimer clock;
    clock.start();
    while (TempDir::Read(out).empty() && clock.elapsed() < 30000)
        usleep(5000);
    // /bin/sh runs the script as: sh SCRIPT PATH.
    const std::string cmdline = TempDir::Read(out);
    EXPECT_NE(cmdline.find(script + "\n" + project.toStdString() + "\n"), std::string::npos)
        << cmdline;
    EXPECT_TRUE(CSiblingLauncher::IsRunning(pid));
    kill(pid, SIGKILL);
    clock.restart();
    while (CSiblingLauncher::IsRunning(pid) && clock.elapsed() < 30000)
        usleep(5000);
    EXPECT_FALSE(CSiblingLauncher::IsRunning(pid));

    EXPECT_FALSE(
        CSiblingLauncher::Start(QStringLiteral("/nonexistent/figurant"), project, pid, error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(CSiblingLauncher::Start(QString::fromStdString(dir.Path()), project, pid, error));
    EXPECT_EQ(error, EACCES);
}

TEST(SiblingLink, ShowItemNamesTheLinkedProject)
{
    const struct
    {
        const char* path;
        const char* text;
    } cases[] = {
        {"", "Figurant表示"},
        {"/home/a/人物年表.fgp", "Figurant(人物年表)を表示"},
        {"/home/a/people.v2.fgp", "Figurant(people.v2)を表示"},
        {"C:\\Users\\a\\Family.FGP", "Figurant(Family)を表示"},
        {"/home/a/R&D", "Figurant(R&&D)を表示"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSiblingLink::ShowItemText(c.path), QString::fromUtf8(c.text)) << c.path;
}
