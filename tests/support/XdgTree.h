#pragma once

#include "TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <string>

// A private desktop for one test: home, data, config and templates folders
// in a temporary folder, and the environment that points the desktop's tools
// at them (with the system's own data folders still readable).
class XdgTree
{
public:
    XdgTree()
    {
        for (const char* sub : {"home", "home/.local/share", "home/.config", "sys"})
            Mkdir(m_dir.File(sub));
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("HOME", Q(Home()));
        m_env.insert("XDG_DATA_HOME", Q(DataHome()));
        m_env.insert("XDG_CONFIG_HOME", Q(ConfigHome()));
        m_env.insert("XDG_DATA_DIRS", Q(SystemData() + ":/usr/local/share:/usr/share"));
        // xdg-mime asks GIO on GNOME, which reads the data folders above.
        m_env.insert("XDG_CURRENT_DESKTOP", "GNOME");
        m_env.remove("XDG_TEMPLATES_DIR");
        m_env.remove("DISPLAY");
        m_env.remove("WAYLAND_DISPLAY");
    }

    std::string Home() const { return m_dir.File("home"); }
    std::string DataHome() const { return m_dir.File("home/.local/share"); }
    std::string ConfigHome() const { return m_dir.File("home/.config"); }
    // A data folder listed in XDG_DATA_DIRS, standing for /usr/share.
    std::string SystemData() const { return m_dir.File("sys"); }
    std::string File(const std::string& name) const { return m_dir.File(name); }
    QProcessEnvironment& Env() { return m_env; }

    static void Mkdir(const std::string& path)
    {
        const std::string cmd = "mkdir -p '" + path + "'";
        if (std::system(cmd.c_str()) != 0) {
        }
    }

    struct SResult
    {
        int exitCode = -1;
        std::string out;
        std::string err;
    };
    // Runs program in this desktop.
    SResult Run(const QString& program, const QStringList& arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(m_env);
        process.start(program, arguments);
        SResult result;
        if (!process.waitForFinished(60000))
            return result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput().trimmed().toStdString();
        result.err = process.readAllStandardError().toStdString();
        return result;
    }

private:
    static QString Q(const std::string& s) { return QString::fromStdString(s); }

    TempDir m_dir;
    QProcessEnvironment m_env;
};
