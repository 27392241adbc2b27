// The link to Figurant, tried against the stand-in Figurant of tools/ on a
// session bus of the test's own, with the file association and the Figurant
// settings in a private XDG tree.
#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "AppTest.h"
#include "CommandIds.h"
#include "MainFrame.h"
#include "ShiftJis.h"
#include "SiblingCommandWiring.h"
#include "SiblingLauncher.h"
#include "SiblingLink.h"
#include "SiblingProtocol.h"
#include "SiblingSharedBlock.h"

#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>

namespace {

const char* const kStandInExe = FIGURANT_STANDIN_EXE;

// Everything outside the process the link talks to, made once per test
// program before Qt reads any of it: XDG folders, a private session bus,
// Figurant's settings and its association with .fgp files.
class CSiblingWorld : public ::testing::Environment
{
public:
    static CSiblingWorld* Get() { return s_world; }

    void SetUp() override
    {
        s_world = this;
        char root[] = "/tmp/annalux-sibling-XXXXXX";
        ASSERT_NE(mkdtemp(root), nullptr);
        m_root = root;
        for (const char* sub : {"/run", "/config", "/config/Veltrin Software", "/data",
                                "/data/mime", "/data/mime/packages", "/data/applications"})
            ASSERT_EQ(mkdir((m_root + sub).c_str(), 0700), 0);
        setenv("XDG_RUNTIME_DIR", (m_root + "/run").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_root + "/data").c_str(), 1);
        setenv("FIGURANT_STANDIN_LOG", Log().c_str(), 1);
        unsetenv("XDG_CURRENT_DESKTOP");
        unsetenv("DESKTOP_SESSION");

        Write("/data/mime/packages/figurant-test.xml",
              "<?xml version=\"1.0\"?>\n"
              "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
              "  <mime-type type=\"application/x-figurant-project\">\n"
              "    <comment>Figurant project</comment><glob pattern=\"*.fgp\"/>\n"
              "  </mime-type>\n"
              "</mime-info>\n");
        Write("/data/applications/figurant-standin.desktop",
              std::string("[Desktop Entry]\nType=Application\nName=Figurant\n"
                          "Exec=") +
                  kStandInExe +
                  " %f\nMimeType=application/x-figurant-project;\n"
                  "[Desktop Action print]\nExec=/bin/false %f\n");
        Write("/config/mimeapps.list",
              "[Default Applications]\napplication/x-figurant-project=figurant-standin.desktop\n");
        SetFigurantInstalled(true);

        // The bus: its address is the first line the daemon prints.
        FILE* daemon = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        ASSERT_NE(daemon, nullptr) << "dbus-daemon is needed for these tests";
        char address[1024] = {};
        char pid[64] = {};
        const bool read = fgets(address, sizeof address, daemon) && fgets(pid, sizeof pid, daemon);
        pclose(daemon);
        ASSERT_TRUE(read) << "dbus-daemon did not start";
        std::string a = address;
        a.erase(a.find_last_not_of("\r\n") + 1);
        m_busPid = std::atoi(pid);
        setenv("DBUS_SESSION_BUS_ADDRESS", a.c_str(), 1);
    }

    void TearDown() override
    {
        KillStandIns();
        if (m_busPid > 0)
            kill(m_busPid, SIGTERM);
        const std::string cmd = "rm -rf '" + m_root + "'";
        if (std::system(cmd.c_str()) != 0) {
        }
    }

    std::string File(const std::string& name) const { return m_root + "/" + name; }
    std::string Log() const { return m_root + "/standin.log"; }

    void SetFigurantInstalled(bool installed)
    {
        const std::string settings = m_root + "/config/Veltrin Software/Figurant.conf";
        if (installed)
            Write("/config/Veltrin Software/Figurant.conf", "[General]\n");
        else
            std::remove(settings.c_str());
    }

    // The stand-ins started so far, as the log has them.
    struct SStarted
    {
        qint64 pid = 0;
        QString handle;
        QString arg0;
        QString project;
    };
    std::vector<SStarted> Started() const
    {
        std::vector<SStarted> out;
        QFile log(QString::fromStdString(Log()));
        if (!log.open(QIODevice::ReadOnly))
            return out;
        for (const QString& line : QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'))) {
            if (!line.startsWith(QStringLiteral("started ")))
                continue;
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() < 5)
                continue;
            SStarted s;
            s.pid = parts[1].toLongLong();
            s.handle = parts[2];
            s.arg0 = parts[3];
            s.project = parts.mid(4).join(QLatin1Char(' '));
            out.push_back(s);
        }
        return out;
    }

    void KillStandIns()
    {
        for (const SStarted& s : Started()) {
            kill(static_cast<pid_t>(s.pid), SIGKILL);
            // Gone for good, so that the block below is nobody's.
            QElapsedTimer clock;
            clock.start();
            while (CSiblingLauncher::IsRunning(static_cast<pid_t>(s.pid)) &&
                   clock.elapsed() < 10000)
                QThread::msleep(2);
        }
        std::remove(Log().c_str());
        // A killed program leaves the block behind; the last one to let go
        // of it removes it.
        CSiblingSharedBlock block;
        if (block.Open(SiblingProtocol::NativeObjectPath(SiblingProtocol::kSharedMemoryName),
                       SiblingProtocol::kSharedMemorySize))
            block.Close();
    }

private:
    void Write(const std::string& relative, const std::string& text)
    {
        std::ofstream(m_root + relative, std::ios::binary) << text;
    }

    static CSiblingWorld* s_world;
    std::string m_root;
    pid_t m_busPid = 0;
};

CSiblingWorld* CSiblingWorld::s_world = nullptr;
[[maybe_unused]] ::testing::Environment* const g_world =
    ::testing::AddGlobalTestEnvironment(new CSiblingWorld);

// Lets the event loop run until done() holds; false when it never does.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

// Handles what the bus has delivered so far.
void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

class CRejectingApp : public CAnnaluxApp
{
public:
    int RunDialog(QDialog&) override { return QDialog::Rejected; }
};

class SiblingLinkTest : public AppTest
{
protected:
    static void SetUpTestSuite() { TestApp(); }

    SiblingLinkTest()
    {
        m_world.SetFigurantInstalled(true);
        m_app = std::make_unique<CRejectingApp>();
    }
    ~SiblingLinkTest() override
    {
        m_app.reset();
        for (QProcess* p : m_processes) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
        m_world.KillStandIns();
    }

    CMainFrame& Frame()
    {
        CMainFrame* frame = m_app->CreateMainFrame();
        if (!frame->isVisible()) {
            frame->resize(900, 600);
            frame->show();
        }
        return *frame;
    }
    CAnnaluxDoc& Doc() { return m_app->GetDocument(); }
    CAnnaluxView& View() { return *Frame().GetView(); }
    CSiblingLink* Link() { return Frame().findChild<CSiblingLink*>(); }

    std::string OpenSample()
    {
        const std::string path = ANNALUX_SAMPLES_DIR "/sample.anx";
        EXPECT_TRUE(m_app->OpenDocumentFile(path));
        Frame();
        QCoreApplication::processEvents();
        return path;
    }

    // A Figurant project file of that name in the test's folder.
    std::string Project(const std::string& name)
    {
        const std::string path = m_dir.File(name);
        TempDir::Write(path, "figurant project\n");
        return path;
    }

    // Starts a stand-in on project by hand and waits until it is on the bus.
    CSiblingWorld::SStarted StartStandIn(const std::string& project)
    {
        auto* process = new QProcess;
        m_processes.push_back(process);
        process->start(QString::fromUtf8(kStandInExe), {QString::fromStdString(project)});
        EXPECT_TRUE(process->waitForStarted(10000));
        CSiblingWorld::SStarted found;
        EXPECT_TRUE(WaitUntil([&] {
            for (const auto& s : m_world.Started())
                if (s.pid == process->processId())
                    found = s;
            return !found.handle.isEmpty();
        }));
        return found;
    }

    static std::unique_ptr<QDBusInterface> Control(const QString& handle)
    {
        return std::make_unique<QDBusInterface>(handle, QStringLiteral("/StandIn"),
                                                QStringLiteral("com.veltrin.FigurantStandIn"),
                                                QDBusConnection::sessionBus());
    }
    template <typename T> static T Ask(QDBusInterface& control, const char* method)
    {
        const QDBusReply<T> reply = control.call(QString::fromLatin1(method));
        EXPECT_TRUE(reply.isValid()) << method << ": " << reply.error().message().toStdString();
        return reply.value();
    }

    CSiblingWorld& m_world = *CSiblingWorld::Get();
    std::unique_ptr<CRejectingApp> m_app;
    std::vector<QProcess*> m_processes;
};

} // namespace

// Choosing a project starts Figurant on it (nobody has it open yet) and sends
// the top year; showing it again finds the running one and sends the year
// shown then, without a second process.
TEST_F(SiblingLinkTest, FirstSynchronisationStartsFigurantAndTheSecondFindsIt)
{
    OpenSample();
    const std::string project = Project("人物 年表.fgp");
    ASSERT_TRUE(View().GoToTableYear(1600));
    const int32_t firstYear = View().TopYear();

    ASSERT_TRUE(Frame().IsCommandEnabled(ID_SIBLING_SELECT));
    EXPECT_FALSE(Frame().IsCommandEnabled(ID_SIBLING_SHOW));
    m_host.QueueFileName(project);
    ASSERT_TRUE(Frame().RunCommand(ID_SIBLING_SELECT));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{});
    const SFileDialogRequest& request = m_host.Records().at(0).request;
    EXPECT_EQ(request.filter, "Figurant (*.fgp)|*.fgp|すべてのファイル (*.*)|*.*||");
    EXPECT_EQ(request.defaultExtension, "fgp");

    const auto started = m_world.Started();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].arg0, QStringLiteral("figurant"));
    EXPECT_EQ(started[0].project, QString::fromStdString(project));
    EXPECT_EQ(Link()->FigurantWindow(), started[0].handle);
    auto control = Control(started[0].handle);
    ASSERT_TRUE(WaitUntil([&] { return Ask<int>(*control, "YearsReceived") == 1; }));
    EXPECT_EQ(Ask<int>(*control, "LastYear"), firstYear);

    // The link is the chronology's now.
    EXPECT_EQ(Doc().GetSiblingProject(), project);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Frame().FindAction(ID_SIBLING_SHOW)->text(),
              QStringLiteral("Figurant(人物 年表)を表示"));
    ASSERT_TRUE(Frame().IsCommandEnabled(ID_SIBLING_SHOW));

    ASSERT_TRUE(View().GoToTableYear(1868));
    const int32_t secondYear = View().TopYear();
    ASSERT_NE(secondYear, firstYear);
    ASSERT_TRUE(Frame().RunCommand(ID_SIBLING_SHOW));
    ASSERT_TRUE(WaitUntil([&] { return Ask<int>(*control, "YearsReceived") == 2; }));
    EXPECT_EQ(Ask<int>(*control, "LastYear"), secondYear);
    EXPECT_EQ(m_world.Started().size(), 1u);
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{});

    // The block still names the project, in Shift-JIS.
    CSiblingSharedBlock block;
    ASSERT_TRUE(block.Open(SiblingProtocol::NativeObjectPath(SiblingProtocol::kSharedMemoryName),
                           SiblingProtocol::kSharedMemorySize));
    std::string text;
    ASSERT_TRUE(block.Read(text));
    std::string sjis;
    ASSERT_TRUE(CShiftJis::FromUtf8(project, sjis));
    EXPECT_EQ(text, sjis);
}

// The datum menu's variants send the year under the point and carry the
// linked project's name.
TEST_F(SiblingLinkTest, DatumMenuSendsTheYearUnderThePoint)
{
    OpenSample();
    const std::string project = Project("family.fgp");
    const auto standIn = StartStandIn(project);
    Doc().SetSiblingProject(project);
    ASSERT_TRUE(View().GoToTableYear(1600));
    View().HitTest(QPoint(20, 200));
    const int32_t year = View().LastHit().year;
    ASSERT_NE(year, View().TopYear());

    QMenu* menu = View().BuildContextMenu();
    QAction* show = nullptr;
    for (QAction* a : menu->actions())
        if (a->data().toInt() == ID_SIBLING_SHOW_AT_POINT)
            show = a;
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->text(), QStringLiteral("Figurant(family)を表示"));
    ASSERT_TRUE(show->isEnabled());
    show->trigger();

    auto control = Control(standIn.handle);
    ASSERT_TRUE(WaitUntil([&] { return Ask<int>(*control, "YearsReceived") == 1; }));
    EXPECT_EQ(Ask<int>(*control, "LastYear"), year);
    EXPECT_EQ(m_world.Started().size(), 1u); // the one started by hand
}

// Figurant asks which Annalux has a chronology open: only the exact path is
// answered, and the year it then sends scrolls the view unless the table
// does not reach it.
TEST_F(SiblingLinkTest, FigurantFindsTheChronologyAndScrollsIt)
{
    const std::string chronology = OpenSample();
    const auto standIn = StartStandIn(Project("people.fgp"));
    auto control = Control(standIn.handle);

    std::string upper = chronology;
    upper.replace(upper.find("sample.anx"), 10, "SAMPLE.anx");
    control->call(QStringLiteral("Ask"), QString::fromStdString(upper));
    Pump();
    control->call(QStringLiteral("Ask"), QString::fromStdString(chronology));
    ASSERT_TRUE(WaitUntil([&] { return Ask<int>(*control, "AnswersReceived") >= 1; }));
    Pump();
    EXPECT_EQ(Ask<int>(*control, "AnswersReceived"), 1);
    EXPECT_EQ(Ask<QString>(*control, "AnnaluxWindow"), QDBusConnection::sessionBus().baseService());

    std::vector<int> tops;
    QObject::connect(&View(), &CAnnaluxView::topYearChanged, &View(),
                     [&](int year) { tops.push_back(year); });
    // Beyond the table, then year 0 (there is none): the view stays.
    control->call(QStringLiteral("Tell"), 99999);
    control->call(QStringLiteral("Tell"), 0);
    control->call(QStringLiteral("Tell"), 1868);
    ASSERT_TRUE(WaitUntil([&] { return View().TopYear() == 1868; }));
    EXPECT_EQ(tops, std::vector<int>{1868});
}

// A chronology never saved answers no question, not even one for "".
TEST_F(SiblingLinkTest, AnUnsavedChronologyIsNeverTheOneAskedFor)
{
    Frame();
    const auto standIn = StartStandIn(Project("people.fgp"));
    auto control = Control(standIn.handle);
    control->call(QStringLiteral("Ask"), QString());
    Pump();
    EXPECT_EQ(Ask<int>(*control, "AnswersReceived"), 0);
}

// A saved link comes back with the chronology: the show items carry the
// project's name and are enabled; choosing needs Figurant's settings.
TEST_F(SiblingLinkTest, SavedLinkReloadsWithTheChronology)
{
    const std::string project = "/home/someone/人物年表.v2.fgp";
    const std::string path = m_dir.File("linked.anx");
    {
        CAnnaluxDoc doc;
        doc.SetSiblingProject(project);
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }
    m_world.SetFigurantInstalled(false);
    ASSERT_TRUE(m_app->OpenDocumentFile(path));
    CMainFrame& frame = Frame();
    frame.UpdateCommandUI();
    EXPECT_EQ(Doc().GetSiblingProject(), project);
    EXPECT_EQ(frame.FindAction(ID_SIBLING_SHOW)->text(),
              QStringLiteral("Figurant(人物年表.v2)を表示"));
    EXPECT_TRUE(frame.FindAction(ID_SIBLING_SHOW)->isEnabled());
    EXPECT_FALSE(frame.FindAction(ID_SIBLING_SELECT)->isEnabled());

    // A new chronology has no link.
    m_app->OnFileNew();
    frame.UpdateCommandUI();
    EXPECT_EQ(frame.FindAction(ID_SIBLING_SHOW)->text(), QStringLiteral("Figurant表示"));
    EXPECT_FALSE(frame.FindAction(ID_SIBLING_SHOW)->isEnabled());
}

// What keeps Figurant from being reached ends in the start error with the
// system's code, sends nothing, and leaves the rest of the program working.
TEST_F(SiblingLinkTest, FailuresEndInTheStartError)
{
    OpenSample();
    CSiblingLink& link = *Link();

    // No such file; a type nothing opens; a path the block cannot hold.
    EXPECT_FALSE(link.Synchronise(m_dir.File("missing.fgp"), 1600));
    EXPECT_FALSE(link.Synchronise(Project("people.unknown"), 1600));
    EXPECT_FALSE(link.Synchronise(m_dir.File(std::string(1000, 'a') + ".fgp"), 1600));
    // Figurant that ends without answering.
    CSiblingLink::SStarter starter;
    starter.find = [](const QString&, QString& program, int&) {
        program = QStringLiteral("/bin/true");
        return true;
    };
    starter.start = [](const QString& program, const QString& path, int64_t& pid, int& error) {
        pid_t started = 0;
        const bool ok = CSiblingLauncher::Start(program, path, started, error);
        pid = started;
        return ok;
    };
    starter.running = [](int64_t pid) { return CSiblingLauncher::IsRunning(pid_t(pid)); };
    link.SetStarter(starter);
    EXPECT_FALSE(link.Synchronise(Project("quits.fgp"), 1600));
    // A program that cannot be run.
    starter.find = [](const QString&, QString& program, int&) {
        program = QStringLiteral("/nonexistent/figurant");
        return true;
    };
    link.SetStarter(starter);
    EXPECT_FALSE(link.Synchronise(Project("norun.fgp"), 1600));

    // A name Shift-JIS cannot carry is refused before anything is sent.
    EXPECT_FALSE(link.Synchronise(m_dir.File("famille-\xF0\x9F\x98\x80.fgp"), 1600));

    EXPECT_EQ(
        m_host.Messages(),
        (std::vector<std::string>{
            "Figurantの起動に失敗しました(2)",
            "Figurantの起動に失敗しました(2)",
            "Figurantの起動に失敗しました(36)",
            "Figurantの起動に失敗しました(3)",
            "Figurantの起動に失敗しました(2)",
            "Figurantのファイル " + m_dir.File("famille-\xF0\x9F\x98\x80.fgp") +
                " の名前にはShift-JISで表せない文字 「\xF0\x9F\x98\x80」 (U+1F600) "
                "が含まれているため、Figurantに渡せません。フォルダ名かファイル名を変えてください",
        }));
    EXPECT_TRUE(m_world.Started().empty());
}

TEST_F(SiblingLinkTest, WithoutBusOrSharedBlockTheProgramGoesOn)
{
    OpenSample();
    const std::string project = Project("people.fgp");
    CSiblingLink* link = CSiblingCommandWiring::Install(
        Frame(), QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                               QStringLiteral("sibling-test-nobus")));
    ASSERT_NE(link, nullptr);
    EXPECT_FALSE(link->IsListening());
    EXPECT_EQ(Frame().findChildren<CSiblingLink*>().size(), 1);
    m_host.QueueFileName(project);
    ASSERT_TRUE(Frame().RunCommand(ID_SIBLING_SELECT));
    // The choice is kept even so.
    EXPECT_EQ(Doc().GetSiblingProject(), project);

    // A block someone made too small is no block at all.
    char runtime[] = "/tmp/annalux-sibling-run-XXXXXX";
    ASSERT_NE(mkdtemp(runtime), nullptr);
    const std::string saved = getenv("XDG_RUNTIME_DIR");
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    {
        CSiblingSharedBlock squatter;
        ASSERT_TRUE(squatter.Open(
            SiblingProtocol::NativeObjectPath(SiblingProtocol::kSharedMemoryName), 10));
        link = CSiblingCommandWiring::Install(Frame(), QDBusConnection::sessionBus());
        EXPECT_FALSE(link->IsBlockMapped());
        EXPECT_TRUE(link->IsListening());
        EXPECT_TRUE(Frame().RunCommand(ID_SIBLING_SHOW));
    }
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    const std::string cmd = std::string("rm -rf '") + runtime + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);

    EXPECT_EQ(m_host.Messages(), (std::vector<std::string>{"Figurantの起動に失敗しました(107)",
                                                           "Figurantの起動に失敗しました(2)"}));
    EXPECT_TRUE(m_world.Started().empty());
    // Everything else still answers.
    EXPECT_TRUE(View().GoToTableYear(1868));
    EXPECT_TRUE(Frame().RunCommand(ID_ZOOM_150));
    EXPECT_EQ(Doc().GetZoomPercent(), 150);
}

// The association is read as the desktop keeps it.
TEST_F(SiblingLinkTest, FindsTheDefaultApplicationOfTheProjectType)
{
    QString program;
    int error = 0;
    ASSERT_TRUE(
        CSiblingLauncher::FindProgram(QString::fromStdString(Project("a.fgp")), program, error));
    EXPECT_EQ(program, QString::fromUtf8(kStandInExe));
    // An empty project is still a project.
    const std::string empty = m_dir.File("empty.fgp");
    TempDir::Write(empty, "");
    EXPECT_TRUE(CSiblingLauncher::FindProgram(QString::fromStdString(empty), program, error));
    EXPECT_FALSE(
        CSiblingLauncher::FindProgram(QString::fromStdString(Project("a.txt2")), program, error));
    EXPECT_EQ(error, ENOENT);

    // Without the desktop's query tool the settings are read directly; and an
    // entry's program may be quoted (a folder with a blank, say).
    const std::string folder = m_dir.File("Veltrin Software");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string exe = folder + "/figurant";
    ASSERT_EQ(symlink(kStandInExe, exe.c_str()), 0);
    const std::string entry = m_world.File("data/applications/figurant-standin.desktop");
    const std::string saved = TempDir::Read(entry);
    TempDir::Write(entry, "[Desktop Entry]\nType=Application\nName=Figurant\nExec=\"" + exe +
                              "\" %f\nMimeType=application/x-figurant-project;\n");
    const std::string path = getenv("PATH");
    setenv("PATH", m_dir.Path().c_str(), 1);
    const bool found =
        CSiblingLauncher::FindProgram(QString::fromStdString(Project("b.fgp")), program, error);
    setenv("PATH", path.c_str(), 1);
    TempDir::Write(entry, saved);
    ASSERT_TRUE(found);
    EXPECT_EQ(program, QString::fromStdString(exe));
}

// The program itself, started as the desktop starts it, is found by a
// Figurant that asks for its chronology.
TEST_F(SiblingLinkTest, TheRunningProgramAnswersFigurant)
{
    const std::string chronology = ANNALUX_SAMPLES_DIR "/sample.anx";
    QProcess annalux;
    annalux.start(QString::fromUtf8(ANNALUX_EXE), {QString::fromStdString(chronology)});
    ASSERT_TRUE(annalux.waitForStarted(10000));
    const auto standIn = StartStandIn(Project("people.fgp"));
    auto control = Control(standIn.handle);
    // The program needs a moment to come up; ask until it answers.
    const bool answered = WaitUntil([&] {
        control->call(QStringLiteral("Ask"), QString::fromStdString(chronology));
        return WaitUntil([&] { return Ask<int>(*control, "AnswersReceived") > 0; }, 200);
    });
    EXPECT_TRUE(answered);
    const QString window = Ask<QString>(*control, "AnnaluxWindow");
    EXPECT_FALSE(window.isEmpty());
    EXPECT_NE(window, QDBusConnection::sessionBus().baseService());
    annalux.kill();
    annalux.waitForFinished(10000);
}
