#include "AnnaluxApp.h"
#include "AppTest.h"
#include "ShellRegistration.h"
#include "TestApplication.h"
#include "XdgTree.h"

#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The registration writes where the environment points; the test points it
// at a private desktop for its own lifetime.
class EnvScope
{
public:
    explicit EnvScope(const QProcessEnvironment& env)
    {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS"}) {
            m_saved.emplace_back(name, qgetenv(name));
            qputenv(name, env.value(name).toUtf8());
        }
    }
    ~EnvScope()
    {
        for (const auto& [name, value] : m_saved)
            qputenv(name.c_str(), value);
    }

private:
    std::vector<std::pair<std::string, QByteArray>> m_saved;
};

} // namespace

TEST(ShellRegistration, RegistersForTheUserAndKeepsTheirChoice)
{
    XdgTree xdg;
    EnvScope scope(xdg.Env());
    const std::string program = xdg.File("my programs/annalux");
    XdgTree::Mkdir(xdg.File("my programs"));
    TempDir::Write(program, "#!/bin/sh\n");
    ::chmod(program.c_str(), 0755);
    const std::string anx = xdg.File("a.anx");
    TempDir::Write(anx, "x");

    ASSERT_TRUE(CShellRegistration::Register(QString::fromStdString(program)));
    // The toolkit's own view of the desktop agrees, though its database also
    // gives *.anx to another, older type.
    EXPECT_TRUE(CShellRegistration::IsRegistered());
    EXPECT_EQ("application/x-annalux.document",
              xdg.Run("xdg-mime", {"query", "filetype", QString::fromStdString(anx)}).out);
    EXPECT_EQ("annalux.document.desktop",
              xdg.Run("xdg-mime", {"query", "default", "application/x-annalux.document"}).out);
    const std::string entry = TempDir::Read(xdg.DataHome() + "/applications/annalux.document.desktop");
    EXPECT_NE(std::string::npos, entry.find("Exec=\"" + program + "\" %f\n")) << entry;
    EXPECT_EQ(0, xdg.Run("desktop-file-validate",
                         {QString::fromStdString(xdg.DataHome() +
                                                 "/applications/annalux.document.desktop")})
                     .exitCode);

    // A default the user chose for the type stays; other lines stay too.
    const std::string list = xdg.ConfigHome() + "/mimeapps.list";
    const std::string chosen = "[Added Associations]\ntext/plain=ed.desktop;\n\n"
                               "[Default Applications]\n"
                               "application/x-annalux.document=other.desktop\n";
    TempDir::Write(list, chosen);
    ASSERT_TRUE(CShellRegistration::Register(QString::fromStdString(program)));
    EXPECT_EQ(chosen, TempDir::Read(list));
}

// Start-up registers the type for the user, unless the settings switch it
// off as the tests' settings do.
class StartUpRegistration : public AppTest
{
protected:
    static void SetUpTestSuite() { TestApp(); }
};

TEST_F(StartUpRegistration, RegistersAtStartUnlessTheSettingsSayNot)
{
    XdgTree xdg;
    EnvScope scope(xdg.Env());
    const std::string entry = xdg.DataHome() + "/applications/annalux.document.desktop";
    {
        CAnnaluxApp app;
        ASSERT_TRUE(app.InitInstance({}));
    }
    struct stat st;
    EXPECT_NE(0, ::stat(entry.c_str(), &st));

    m_settings.SetInt(CAnnaluxApp::kShellSection, CAnnaluxApp::kRegisterTypeKey, 1);
    {
        CAnnaluxApp app;
        ASSERT_TRUE(app.InitInstance({}));
    }
    const std::string program =
        QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath().toStdString();
    EXPECT_NE(std::string::npos, TempDir::Read(entry).find("Exec=" + program + " %f\n"));
    EXPECT_TRUE(m_host.Messages().empty());
}
