#include "HostServices.h"
#include "ScriptedHostServices.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Records = std::vector<CScriptedHostServices::SRecord>;

TEST(HostServices, SilentDefaultAnswersOkAndCancelsDialogs)
{
    CHostServices::Set(nullptr);
    CHostServices& h = CHostServices::Get();
    EXPECT_EQ(CHostServices::AnswerOk, h.MessageBox("text"));
    EXPECT_EQ(CHostServices::AnswerYes, h.MessageBox("question?", CHostServices::YesNo));
    std::string path = "kept";
    EXPECT_FALSE(h.GetOpenFileName(SFileDialogRequest(), path));
    EXPECT_FALSE(h.GetSaveFileName(SFileDialogRequest(), path));
    EXPECT_EQ("kept", path);
}

TEST(HostServices, ScopesInstallAndRestore)
{
    CHostServices& silent = CHostServices::Get();
    CScriptedHostServices outer, inner;
    {
        CHostServicesScope a(outer);
        EXPECT_EQ(&outer, &CHostServices::Get());
        {
            CHostServicesScope b(inner);
            EXPECT_EQ(&inner, &CHostServices::Get());
            CHostServices::Get().MessageBox("to inner");
        }
        EXPECT_EQ(&outer, &CHostServices::Get());
        CHostServices::Get().MessageBox("to outer");
    }
    EXPECT_EQ(&silent, &CHostServices::Get());
    EXPECT_EQ(std::vector<std::string>{"to inner"}, inner.Messages());
    EXPECT_EQ(std::vector<std::string>{"to outer"}, outer.Messages());

    CHostServices::Set(&outer);
    EXPECT_EQ(&outer, &CHostServices::Get());
    CHostServices::Set(nullptr);
    EXPECT_EQ(&silent, &CHostServices::Get());
}

TEST(ScriptedHostServices, RecordsTheCaptionOfACaptionedMessage)
{
    CScriptedHostServices h;
    std::ostringstream echo;
    h.SetEcho(&echo);
    h.QueueAnswer(CHostServices::AnswerNo);
    EXPECT_EQ(CHostServices::AnswerNo,
              h.CaptionedMessageBox("Annalux", "text", CHostServices::YesNo));
    h.MessageBox("plain", CHostServices::IconError);
    const Records& r = h.Records();
    ASSERT_EQ(2u, r.size());
    EXPECT_EQ("Annalux", r[0].caption);
    EXPECT_EQ("text", r[0].text);
    EXPECT_EQ(unsigned(CHostServices::YesNo), r[0].style);
    EXPECT_EQ("", r[1].caption);
    EXPECT_EQ("text\nplain\n", echo.str());
}

TEST(ScriptedHostServices, AnswersFromTheQueueThenTheDefault)
{
    CScriptedHostServices h;
    h.QueueAnswer(CHostServices::AnswerNo);
    h.QueueAnswer(CHostServices::AnswerCancel);
    EXPECT_EQ(2u, h.PendingAnswers());
    EXPECT_EQ(CHostServices::AnswerNo, h.MessageBox("1", CHostServices::YesNoCancel));
    EXPECT_EQ(CHostServices::AnswerCancel, h.MessageBox("2", CHostServices::YesNoCancel));
    EXPECT_EQ(0u, h.PendingAnswers());

    // Nothing queued: the first button.
    const struct
    {
        unsigned style;
        int answer;
    } firstButton[] = {
        {CHostServices::Ok, CHostServices::AnswerOk},
        {CHostServices::OkCancel | CHostServices::IconWarning, CHostServices::AnswerOk},
        {CHostServices::YesNo | CHostServices::IconQuestion, CHostServices::AnswerYes},
        {CHostServices::YesNoCancel | CHostServices::IconQuestion, CHostServices::AnswerYes},
    };
    for (const auto& c : firstButton)
        EXPECT_EQ(c.answer, h.MessageBox("q", c.style)) << c.style;

    h.SetDefaultAnswer(CHostServices::AnswerNo);
    EXPECT_EQ(CHostServices::AnswerNo, h.MessageBox("q", CHostServices::YesNo));
    h.QueueAnswer(0); // a queued 0 also means the first button
    EXPECT_EQ(CHostServices::AnswerYes, h.MessageBox("q", CHostServices::YesNo));
}

TEST(ScriptedHostServices, FileNamesFromTheQueue)
{
    CScriptedHostServices h;
    h.QueueFileName("/tmp/a.lev");
    h.QueueFileName(""); // cancels
    h.QueueFileName("/tmp/b.lev");
    EXPECT_EQ(3u, h.PendingFileNames());

    SFileDialogRequest request;
    request.title = "出来事ﾃﾞｰﾀの読込み";
    request.defaultExtension = "lev";
    request.flags = SFileDialogRequest::FileMustExist;
    std::string path;
    EXPECT_TRUE(h.GetOpenFileName(request, path));
    EXPECT_EQ("/tmp/a.lev", path);
    EXPECT_FALSE(h.GetSaveFileName(request, path));
    EXPECT_EQ("/tmp/a.lev", path); // a cancelled dialog leaves the path alone
    EXPECT_TRUE(h.GetSaveFileName(request, path));
    EXPECT_EQ("/tmp/b.lev", path);
    EXPECT_FALSE(h.GetOpenFileName(request, path)); // queue empty
    EXPECT_EQ(0u, h.PendingFileNames());

    const Records& r = h.Records();
    ASSERT_EQ(4u, r.size());
    EXPECT_EQ(CScriptedHostServices::SRecord::OpenDialog, r[0].kind);
    EXPECT_EQ(CScriptedHostServices::SRecord::SaveDialog, r[1].kind);
    EXPECT_EQ("出来事ﾃﾞｰﾀの読込み", r[0].text);
    EXPECT_EQ("lev", r[2].request.defaultExtension);
    EXPECT_EQ(unsigned(SFileDialogRequest::FileMustExist), r[3].request.flags);
    EXPECT_TRUE(h.Messages().empty()); // dialogs are not messages
}

TEST(ScriptedHostServices, RecordsEchoesAndClears)
{
    CScriptedHostServices h;
    std::ostringstream echo;
    h.SetEcho(&echo);
    h.MessageBox("ファイル a のフォーマットが正しくありません",
                 CHostServices::Ok | CHostServices::IconError);
    std::string path;
    h.GetOpenFileName(SFileDialogRequest(), path);
    h.MessageBox("second");
    EXPECT_EQ("ファイル a のフォーマットが正しくありません\nsecond\n", echo.str());

    const Records& r = h.Records();
    ASSERT_EQ(3u, r.size());
    EXPECT_EQ(CScriptedHostServices::SRecord::Message, r[0].kind);
    EXPECT_EQ(unsigned(CHostServices::Ok | CHostServices::IconError), r[0].style);
    EXPECT_EQ((std::vector<std::string>{"ファイル a のフォーマットが正しくありません", "second"}),
              h.Messages());

    h.QueueAnswer(CHostServices::AnswerNo);
    h.QueueFileName("x");
    h.Clear();
    EXPECT_TRUE(h.Records().empty());
    EXPECT_EQ(0u, h.PendingAnswers());
    EXPECT_EQ(0u, h.PendingFileNames());
    h.SetEcho(nullptr);
    h.MessageBox("not echoed");
    EXPECT_EQ("ファイル a のフォーマットが正しくありません\nsecond\n", echo.str());
}

} // namespace
