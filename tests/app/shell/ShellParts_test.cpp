#include "AnnaluxApp.h"
#include "CommandLineInfo.h"
#include "HostServices.h"
#include "QtHostServices.h"
#include "RecentFileList.h"
#include "Settings.h"

#include "TempDir.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using EShell = CCommandLineInfo::EShellCommand;

TEST(ViewerCheck, PassesFrom471On)
{
    struct
    {
        bool found;
        int major, minor;
        bool passes;
    } cases[] = {
        {true, 4, 70, false}, {true, 4, 71, true}, {true, 4, 72, true},  {true, 5, 0, true},
        {true, 3, 99, false}, {true, 4, 0, false}, {false, 6, 0, false},
    };
    for (const auto& c : cases) {
        CAnnaluxApp::SViewerVersion v;
        v.found = c.found;
        v.major = c.major;
        v.minor = c.minor;
        EXPECT_EQ(CAnnaluxApp::IsViewerSufficient(v), c.passes)
            << c.found << " " << c.major << "." << c.minor;
    }
    // The built-in viewer never stops the program.
    EXPECT_TRUE(CAnnaluxApp::IsViewerSufficient(CAnnaluxApp::ProbeViewer()));
}

TEST(CommandLine, FormsAndErrors)
{
    struct
    {
        std::vector<std::string> args;
        EShell command;
        std::string file, printer, driver, port;
    } cases[] = {
        {{}, CCommandLineInfo::FileNew, "", "", "", ""},
        {{"chronology.anx"}, CCommandLineInfo::FileOpen, "chronology.anx", "", "", ""},
        // An absolute path is a path, not a flag.
        {{"/home/u/p.anx"}, CCommandLineInfo::FileOpen, "/home/u/p.anx", "", "", ""},
        {{"/p"}, CCommandLineInfo::Invalid, "", "", "", ""},
        {{"/p", "a.anx"}, CCommandLineInfo::FilePrint, "a.anx", "", "", ""},
        {{"-P", "a.anx"}, CCommandLineInfo::FilePrint, "a.anx", "", "", ""},
        {{"/pt", "a.anx", "Laser"}, CCommandLineInfo::FilePrintTo, "a.anx", "Laser", "", ""},
        {{"/PT", "a.anx", "Laser", "drv", "lpt1"},
         CCommandLineInfo::FilePrintTo,
         "a.anx",
         "Laser",
         "drv",
         "lpt1"},
        {{"/pt", "a.anx"}, CCommandLineInfo::Invalid, "", "", "", ""},
        {{"/pt", "a", "b", "c", "d", "e"}, CCommandLineInfo::Invalid, "", "", "", ""},
        {{"a.anx", "b.anx"}, CCommandLineInfo::Invalid, "", "", "", ""},
        {{"-x"}, CCommandLineInfo::Invalid, "", "", "", ""},
        {{"/p", "-x"}, CCommandLineInfo::Invalid, "", "", "", ""},
        {{""}, CCommandLineInfo::Invalid, "", "", "", ""},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += "[" + a + "]";
        const CCommandLineInfo info = CCommandLineInfo::Parse(c.args);
        EXPECT_EQ(info.m_shellCommand, c.command) << joined;
        if (c.command == CCommandLineInfo::Invalid) {
            EXPECT_FALSE(info.m_error.empty()) << joined;
            continue;
        }
        EXPECT_EQ(info.m_fileName, c.file) << joined;
        EXPECT_EQ(info.m_printerName, c.printer) << joined;
        EXPECT_EQ(info.m_driverName, c.driver) << joined;
        EXPECT_EQ(info.m_portName, c.port) << joined;
        EXPECT_EQ(info.IsPrint(), c.command == CCommandLineInfo::FilePrint ||
                                      c.command == CCommandLineInfo::FilePrintTo);
    }
}

TEST(RecentFiles, NewestFirstWithoutDuplicatesAndFourAtMost)
{
    CRecentFileList list;
    EXPECT_EQ(list.GetSize(), 4);
    EXPECT_TRUE(list.IsEmpty());
    for (const char* p : {"/d/a.anx", "/d/b.anx", "/d/c.anx", "/d/d.anx", "/d/e.anx"})
        list.Add(p);
    EXPECT_EQ(list.GetNonEmpty(),
              (std::vector<std::string>{"/d/e.anx", "/d/d.anx", "/d/c.anx", "/d/b.anx"}));

    // The same file under another spelling moves up rather than repeating.
    list.Add("/d/x/../c.anx");
    EXPECT_EQ(list.GetNonEmpty(),
              (std::vector<std::string>{"/d/c.anx", "/d/e.anx", "/d/d.anx", "/d/b.anx"}));
    list.Add("");
    EXPECT_EQ(list.GetAt(0), "/d/c.anx");

    list.Remove(1);
    EXPECT_EQ(list.GetNonEmpty(), (std::vector<std::string>{"/d/c.anx", "/d/d.anx", "/d/b.anx"}));
    EXPECT_EQ(list.GetAt(3), "");
    EXPECT_EQ(list.GetAt(-1), "");
    EXPECT_EQ(list.GetAt(9), "");
    list.Remove(7); // ignored

    EXPECT_EQ(list.MenuText(0), "&1 /d/c.anx");
    list.Add("/d/R&D.anx");
    EXPECT_EQ(list.MenuText(0), "&1 /d/R&&D.anx");
    const std::string longPath = "/" + std::string(100, 'x') + ".anx";
    list.Add(longPath);
    const std::string shortened = list.MenuText(0, 40);
    EXPECT_EQ(shortened.rfind("&1 ", 0), 0u);
    EXPECT_NE(shortened.find("..."), std::string::npos);
    EXPECT_EQ(shortened.size(), 3u + 40u);
    EXPECT_EQ(shortened.substr(shortened.size() - 4), ".anx");
}

TEST(RecentFiles, SettingsRoundTripClosesGapsAndDropsUnset)
{
    TempDir dir;
    CSettings settings(dir.File("s.ini"));
    settings.SetString(CRecentFileList::kSection, "File1", "/a.anx");
    settings.SetString(CRecentFileList::kSection, "File3", "/c.anx");
    settings.SetString(CRecentFileList::kSection, "File4", "/a.anx"); // a repeat
    settings.SetString(CRecentFileList::kSection, "File5", "/e.anx"); // past the size

    CRecentFileList list;
    list.Load(settings);
    EXPECT_EQ(list.GetNonEmpty(), (std::vector<std::string>{"/a.anx", "/c.anx"}));
    EXPECT_EQ(list.GetAt(1), "/c.anx");

    list.Save(settings);
    EXPECT_EQ(settings.GetString(CRecentFileList::kSection, "File2"), "/c.anx");
    EXPECT_FALSE(settings.Contains(CRecentFileList::kSection, "File3"));
    EXPECT_FALSE(settings.Contains(CRecentFileList::kSection, "File4"));

    CRecentFileList again;
    again.Load(settings);
    EXPECT_EQ(again.GetNonEmpty(), list.GetNonEmpty());
}

TEST(QtHostServices, FiltersBecomeQtNameFilters)
{
    EXPECT_EQ(CQtHostServices::ToQtFilters("Annaluxﾄﾞｷｭﾒﾝﾄ(*.anx)|*.anx||"),
              QStringList{QStringLiteral("Annaluxﾄﾞｷｭﾒﾝﾄ(*.anx)")});
    EXPECT_EQ(CQtHostServices::ToQtFilters("Annalux(*.anx)|*.anx|すべて(*.*)|*.*||"),
              (QStringList{QStringLiteral("Annalux(*.anx)"), QStringLiteral("すべて(*.*) (*)")}));
    EXPECT_EQ(CQtHostServices::ToQtFilters("テキスト|*.csv;*.txt||"),
              QStringList{QStringLiteral("テキスト (*.csv *.txt)")});
    EXPECT_EQ(CQtHostServices::ToQtFilters("|*.lev||"),
              QStringList{QStringLiteral("*.lev (*.lev)")});
    // No usable entry: every file.
    EXPECT_EQ(CQtHostServices::ToQtFilters(""), QStringList{QStringLiteral("* (*)")});
    EXPECT_EQ(CQtHostServices::ToQtFilters("名前だけ"), QStringList{QStringLiteral("* (*)")});
}

TEST(QtHostServices, ButtonsMapToTheProgramsAnswers)
{
    using H = CHostServices;
    EXPECT_EQ(CQtHostServices::AnswerFor(H::YesNo, QMessageBox::Yes), H::AnswerYes);
    EXPECT_EQ(CQtHostServices::AnswerFor(H::YesNo, QMessageBox::No), H::AnswerNo);
    EXPECT_EQ(CQtHostServices::AnswerFor(H::YesNoCancel, QMessageBox::Cancel), H::AnswerCancel);
    EXPECT_EQ(CQtHostServices::AnswerFor(H::OkCancel, QMessageBox::Ok), H::AnswerOk);
    // Closed without a button: the box's way out, never a silent "yes".
    EXPECT_EQ(CQtHostServices::AnswerFor(H::YesNo | H::IconQuestion, QMessageBox::NoButton),
              H::AnswerNo);
    EXPECT_EQ(CQtHostServices::AnswerFor(H::YesNoCancel, QMessageBox::NoButton), H::AnswerCancel);
    EXPECT_EQ(CQtHostServices::AnswerFor(H::OkCancel, QMessageBox::NoButton), H::AnswerCancel);
    EXPECT_EQ(CQtHostServices::AnswerFor(H::Ok | H::IconError, QMessageBox::NoButton), H::AnswerOk);
    EXPECT_EQ(CQtHostServices::DisplayText("一行目\r\n二行目"), QStringLiteral("一行目\n二行目"));
}

TEST(QtHostServices, MessagesCarryTheirCaption)
{
    TestApp();
    const QString programTitle = QApplication::applicationName();
    CQtHostServices host;
    // Closes the box once it shows, noting its title and text.
    auto answerNextBox = [](QString& title, QString& text) {
        QTimer::singleShot(0, [&title, &text] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            text = box->text();
            box->accept();
        });
    };
    QString title, text;
    answerNextBox(title, text);
    EXPECT_EQ(host.CaptionedMessageBox("Annalux", "プリンタがありません",
                                       CHostServices::Ok | CHostServices::IconError),
              CHostServices::AnswerOk);
    EXPECT_EQ(title, QStringLiteral("Annalux"));
    EXPECT_EQ(text, QStringLiteral("プリンタがありません"));

    // Without a caption of its own: the program's title, as every box.
    answerNextBox(title, text);
    host.CaptionedMessageBox("", "一行目\r\n二行目");
    EXPECT_EQ(title, programTitle);
    EXPECT_EQ(text, QStringLiteral("一行目\n二行目"));
    answerNextBox(title, text);
    host.MessageBox("本文");
    EXPECT_EQ(title, programTitle);
}

TEST(QtHostServices, DialogsStartInTheLibraryFolderWhenItExists)
{
    TempDir dir;
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    SFileDialogRequest request;
    request.initialFolder = "ﾗｲﾌﾞﾗﾘ";
    request.proposedName = "nenpyo.lev";
    const QString cwd = QDir::currentPath();
    EXPECT_EQ(CQtHostServices::InitialFolder(request), cwd);
    EXPECT_EQ(CQtHostServices::InitialSelection(request), cwd + QStringLiteral("/nenpyo.lev"));

    ASSERT_EQ(::mkdir(dir.File("ﾗｲﾌﾞﾗﾘ").c_str(), 0755), 0);
    EXPECT_EQ(CQtHostServices::InitialFolder(request), cwd + QStringLiteral("/ﾗｲﾌﾞﾗﾘ"));
    EXPECT_EQ(CQtHostServices::InitialSelection(request),
              cwd + QStringLiteral("/ﾗｲﾌﾞﾗﾘ/nenpyo.lev"));

    // A proposed name with a folder of its own keeps it.
    request.proposedName = "/elsewhere/x.anx";
    EXPECT_EQ(CQtHostServices::InitialSelection(request), QStringLiteral("/elsewhere/x.anx"));
    request.initialFolder.clear();
    request.proposedName.clear();
    EXPECT_EQ(CQtHostServices::InitialSelection(request), cwd);
}

} // namespace
