#include "AssocSetup.h"
#include "XdgTree.h"

#include <gtest/gtest.h>
#include <QMimeDatabase>
#include <sys/stat.h>

namespace {

const QString kTool = QStringLiteral(ASSOCSETUP_EXE);
const std::string kMime = "application/x-annalux.document";
const std::string kTemplate = "Annaluxﾄﾞｷｭﾒﾝﾄ.anx";

QStringList Args(std::initializer_list<const char*> words)
{
    QStringList list;
    for (const char* w : words)
        list << QString::fromUtf8(w);
    return list;
}

const QStringList kGoodArgs =
    Args({"annalux", "annalux", "Annalux.Document", "Annaluxﾄﾞｷｭﾒﾝﾄ", ".anx"});

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

TEST(AssocSetupArguments, SplitAtEveryBlankAfterJoining)
{
    struct SCase
    {
        std::vector<std::string> argv;
        size_t count;
    } cases[] = {
        {{"a", "b", "c", "d", "e"}, 5},
        {{"a", "b", "c", "d"}, 4},
        {{"a", "b", "c", "d", "e", "f"}, 6},
        {{"a  b", "c", "d", "e"}, 6},    // two blanks: an empty argument between
        {{"a", "b", "c", "My Type", ".x"}, 6}, // a quoted blank still splits
        {{}, 1},
    };
    for (const SCase& c : cases) {
        const auto parts = CAssocSetup::SplitArguments(CAssocSetup::JoinArguments(c.argv));
        EXPECT_EQ(c.count, parts.size()) << CAssocSetup::JoinArguments(c.argv);
    }
    const auto parts = CAssocSetup::SplitArguments("a  b");
    ASSERT_EQ(3u, parts.size());
    EXPECT_EQ("", parts[1]);
}

TEST(AssocSetupText, ExecArgumentsAndKeyFiles)
{
    EXPECT_EQ("/usr/bin/annalux", QuoteExecArgument("/usr/bin/annalux"));
    EXPECT_EQ("\"/opt/my apps/a\\$b\"", QuoteExecArgument("/opt/my apps/a$b"));
    EXPECT_EQ("/x/100%%", QuoteExecArgument("/x/100%"));
    EXPECT_EQ("a\\\\b\\nc", EscapeDesktopValue("a\\b\nc"));
    EXPECT_EQ("&lt;a&amp;b&gt;", EscapeXml("<a&b>"));

    // Other groups and keys stay; the key is replaced in place, not repeated.
    const std::string list = "[Default Applications]\ntext/plain=ed.desktop\n\n"
                             "[Added Associations]\ntext/plain=ed.desktop;\n";
    std::string out = SetKeyFileValue(list, "Default Applications", "a/b", "x.desktop");
    EXPECT_EQ("[Default Applications]\ntext/plain=ed.desktop\na/b=x.desktop\n\n"
              "[Added Associations]\ntext/plain=ed.desktop;\n",
              out);
    EXPECT_EQ(out, SetKeyFileValue(out, "Default Applications", "a/b", "x.desktop"));
    EXPECT_EQ("[G]\nk=v\n", SetKeyFileValue("", "G", "k", "v"));
    EXPECT_EQ("[G]\nk=w\n", SetKeyFileValue("[G]\nk=v\n", "G", "k", "w"));
}

// The tool run as an installer runs it, in a private desktop.
class AssocSetupRun : public ::testing::Test
{
protected:
    AssocSetupRun()
    {
        XdgTree::Mkdir(m_xdg.File("inst"));
        m_exe = m_xdg.File("inst/annalux");
        TempDir::Write(m_exe, "#!/bin/sh\nexit 0\n");
        ::chmod(m_exe.c_str(), 0755);
    }

    // The application's own desktop entry, as the program's install puts it.
    void WriteAppEntry(const std::string& pathLine)
    {
        XdgTree::Mkdir(m_xdg.SystemData() + "/applications");
        TempDir::Write(m_xdg.SystemData() + "/applications/annalux.desktop",
                       "[Desktop Entry]\nType=Application\nName=Annalux\nIcon=annalux\n"
                       "Exec=annalux %f\n" +
                           pathLine + "\n\n[Desktop Action X]\nPath=/elsewhere/\n");
    }

    XdgTree::SResult Run(const QStringList& args) { return m_xdg.Run(kTool, args); }
    std::string Query(const QStringList& args) { return m_xdg.Run("xdg-mime", args).out; }
    // Nothing of a registration exists.
    bool NothingWritten() const
    {
        return !Exists(m_xdg.DataHome() + "/mime") && !Exists(m_xdg.DataHome() + "/applications") &&
               !Exists(m_xdg.ConfigHome() + "/mimeapps.list") &&
               !Exists(m_xdg.Home() + "/Templates");
    }

    XdgTree m_xdg;
    std::string m_exe;
};

TEST_F(AssocSetupRun, WrongArgumentCountsShowTheUsage)
{
    WriteAppEntry("Path=" + m_xdg.File("inst/"));
    for (const QStringList& args :
         {Args({"annalux", "annalux", "Annalux.Document", "Doc"}),
          Args({"annalux", "annalux", "Annalux.Document", "Doc", ".anx", "x"}),
          Args({"annalux  annalux", "Annalux.Document", "Doc", ".anx"}), QStringList()}) {
        const auto r = Run(args);
        EXPECT_EQ(1, r.exitCode) << args.join('|').toStdString();
        EXPECT_NE(std::string::npos, r.err.find("AssocSetup <uninstall name> <exe name> "
                                                "<doctypeid> <doctypename> <extension>"));
    }
    EXPECT_TRUE(NothingWritten());
}

TEST_F(AssocSetupRun, MissingInstallFolderOrExecutableFailsWithNothingWritten)
{
    // No desktop entry of that name.
    auto r = Run(kGoodArgs);
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("annalux.desktop: "));
    EXPECT_NE(std::string::npos, r.err.find("annaluxのインストールされたディレクトリが見つかりません"));

    // An entry without Path (the one in an action group does not count).
    WriteAppEntry("");
    r = Run(kGoodArgs);
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("annaluxのインストールされたディレクトリが見つかりません"));

    // Path without its closing slash: the exe name is joined without one.
    WriteAppEntry("Path=" + m_xdg.File("inst"));
    r = Run(kGoodArgs);
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("annaluxのショートパスが得られませんでした"));

    // An exe that is not there, or not a program.
    WriteAppEntry("Path=" + m_xdg.File("inst/"));
    ::chmod(m_exe.c_str(), 0644);
    r = Run(kGoodArgs);
    EXPECT_NE(std::string::npos, r.err.find("annaluxのショートパスが得られませんでした"));

    // Names that would climb out of the folders or match every file.
    ::chmod(m_exe.c_str(), 0755);
    for (const QStringList& args : {Args({"annalux", "annalux", "../../x", "Doc", ".anx"}),
                                    Args({"annalux", "annalux", "Annalux.Document", "Doc", ""}),
                                    Args({"annalux", "annalux", "Annalux.Document", "Doc", ".*"}),
                                    Args({"../annalux", "annalux", "A", "Doc", ".anx"})}) {
        r = Run(args);
        EXPECT_EQ(1, r.exitCode) << args.join('|').toStdString();
        EXPECT_NE(std::string::npos, r.err.find("として使えません")) << r.err;
    }
    EXPECT_TRUE(NothingWritten());
}

TEST_F(AssocSetupRun, RegistersTheTypeForTheUserAndRunsTwice)
{
    WriteAppEntry("Path=" + m_xdg.File("inst/"));
    const std::string anx = m_xdg.File("sample.anx");
    TempDir::Write(anx, std::string("\x0a\x00\x00\x00", 4));
    const std::string entry = m_xdg.DataHome() + "/applications/annalux.document.desktop";
    const std::string templ = m_xdg.Home() + "/Templates/" + kTemplate;

    std::string firstEntry;
    for (int round = 0; round < 2; ++round) {
        const auto r = Run(kGoodArgs);
        ASSERT_EQ(0, r.exitCode) << r.err;
        EXPECT_EQ("", r.err);

        EXPECT_EQ(kMime, Query(Args({"query", "filetype"}) << QString::fromStdString(anx)));
        EXPECT_EQ("annalux.document.desktop",
                  Query(Args({"query", "default"}) << QString::fromStdString(kMime)));

        const std::string text = TempDir::Read(entry);
        EXPECT_NE(std::string::npos, text.find("Exec=" + m_exe + " %f\n")) << text;
        EXPECT_NE(std::string::npos, text.find("Exec=" + m_exe + " /p %f\n")) << text;
        EXPECT_NE(std::string::npos, text.find("MimeType=" + kMime + ";\n"));
        EXPECT_EQ(0, m_xdg.Run("desktop-file-validate", {QString::fromStdString(entry)}).exitCode);
        EXPECT_TRUE(Exists(templ));
        EXPECT_EQ("", TempDir::Read(templ));
        if (round == 0)
            firstEntry = text;
        else
            EXPECT_EQ(firstEntry, text);
    }
    // The default is set once, not once per run.
    const std::string list = TempDir::Read(m_xdg.ConfigHome() + "/mimeapps.list");
    EXPECT_EQ(list.find(kMime + "=annalux.document.desktop\n"),
              list.rfind(kMime + "=annalux.document.desktop\n"));
    // An upper-case Windows-made name is the same type.
    const std::string upper = m_xdg.File("OLD.ANX");
    TempDir::Write(upper, std::string("\x0a\x00\x00\x00", 4));
    EXPECT_EQ(kMime, Query(Args({"query", "filetype"}) << QString::fromStdString(upper)));
}

TEST_F(AssocSetupRun, TemplatesFolderComesFromUserDirs)
{
    WriteAppEntry("Path=" + m_xdg.File("inst/"));
    TempDir::Write(m_xdg.ConfigHome() + "/user-dirs.dirs",
                   "# written by xdg-user-dirs-update\nXDG_TEMPLATES_DIR=\"$HOME/雛形\"\n");
    ASSERT_EQ(0, Run(kGoodArgs).exitCode);
    EXPECT_TRUE(Exists(m_xdg.Home() + "/雛形/" + kTemplate));

    // Pointing the folder at home switches templates off.
    TempDir::Write(m_xdg.ConfigHome() + "/user-dirs.dirs", "XDG_TEMPLATES_DIR=\"$HOME/\"\n");
    ASSERT_EQ(0, Run(kGoodArgs).exitCode);
    EXPECT_FALSE(Exists(m_xdg.Home() + "/" + kTemplate));
}

TEST_F(AssocSetupRun, SystemWideGoesBesideTheApplicationEntry)
{
    WriteAppEntry("Path=" + m_xdg.File("inst/"));
    const auto r = Run(QStringList{"--system"} + kGoodArgs);
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_TRUE(Exists(m_xdg.SystemData() + "/mime/packages/annalux.document.xml"));
    EXPECT_TRUE(Exists(m_xdg.SystemData() + "/applications/annalux.document.desktop"));
    EXPECT_FALSE(Exists(m_xdg.DataHome() + "/mime"));
    EXPECT_FALSE(Exists(m_xdg.ConfigHome() + "/mimeapps.list"));
    // The only program for the type is its default.
    EXPECT_EQ("annalux.document.desktop",
              Query(Args({"query", "default"}) << QString::fromStdString(kMime)));

    // Beside the system's own types, which give *.anx to Annodex media as
    // well, the toolkit's database picks this type for the extension.
    const std::string sys = m_xdg.File("sys2");
    XdgTree::Mkdir(sys + "/mime/packages");
    ASSERT_EQ(0, std::system(("cp /usr/share/mime/packages/freedesktop.org.xml " +
                              m_xdg.SystemData() + "/mime/packages/annalux.document.xml " +
                              sys + "/mime/packages/ && update-mime-database " + sys + "/mime")
                                 .c_str()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_xdg.File("nothing")));
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(sys));
    EXPECT_EQ(kMime, QMimeDatabase().mimeTypeForFile("x.anx", QMimeDatabase::MatchExtension)
                         .name()
                         .toStdString());
}
