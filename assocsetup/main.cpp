// AssocSetup: registers an installed application's document type with the
// desktop. Run by installers:
//   AssocSetup [--system] UNINSTALL-NAME EXE-NAME DOCTYPEID DOCTYPENAME EXTENSION
// --system (for root) registers the type for every user, in the data folder
// that holds the application's desktop entry. Messages go to stderr and, when
// a display is there, into message boxes. Exit status 0 on success, else 1.
#include "AssocSetup.h"

#include <QApplication>
#include <QMessageBox>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kCaption[] = "AssocSetup";

bool HasDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

// The window system, made only when the first message is shown. A display
// that cannot be reached leaves the messages on stderr alone.
class CMessageBoxes
{
public:
    CMessageBoxes(int& argc, char** argv) : m_argc(argc), m_argv(argv) {}

    void Show(const std::string& text)
    {
        std::cerr << kCaption << ": " << text << '\n';
        if (!Ready())
            return;
        QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kCaption),
                        QString::fromStdString(text), QMessageBox::Ok);
        box.exec();
    }

private:
    bool Ready()
    {
        if (m_tried)
            return m_app != nullptr;
        m_tried = true;
        if (!HasDisplay())
            return false;
        // Offscreen last: a display that refuses us must not end the tool.
        if (!std::getenv("QT_QPA_PLATFORM")) {
            std::string platforms;
            if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland)
                platforms += "wayland;";
            if (const char* x = std::getenv("DISPLAY"); x && *x)
                platforms += "xcb;";
            ::setenv("QT_QPA_PLATFORM", (platforms + "offscreen").c_str(), 1);
        }
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
            m_app.reset();
        return m_app != nullptr;
    }

    int& m_argc;
    char** m_argv;
    bool m_tried = false;
    std::unique_ptr<QApplication> m_app;
};

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    std::vector<std::string> arguments(argv + 1, argv + argc);
    bool systemWide = false;
    if (!arguments.empty() && arguments[0] == "--system") {
        systemWide = true;
        arguments.erase(arguments.begin());
    }
    int qtArgc = 1;
    CMessageBoxes boxes(qtArgc, argv);
    CAssocSetup setup([&boxes](const std::string& text) { boxes.Show(text); });
    setup.SetSystemWide(systemWide);
    return setup.Run(CAssocSetup::JoinArguments(arguments));
}
