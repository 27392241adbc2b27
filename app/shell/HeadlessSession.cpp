#include "HeadlessSession.h"
#include "HostText.h"

#include <QApplication>
#include <QFileInfo>
#include <QString>

#include <cstdlib>
#include <iostream>

namespace {

// Without a display the pictures are painted offscreen.
QApplication* MakeApplication()
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "annalux";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
}

} // namespace

CHeadlessSession::CHeadlessSession() : m_app(MakeApplication())
{
    m_host.SetEcho(&std::cerr);
    m_host.SetDefaultAnswer(CHostServices::AnswerNo);
    m_doc = std::make_unique<CAnnaluxDoc>();
}

CHeadlessSession::~CHeadlessSession()
{
    // The document's views and fonts go before the application.
    m_doc.reset();
}

bool CHeadlessSession::Open(const std::string& project)
{
    if (m_doc->OnOpenDocument(project))
        return true;
    std::cerr << "annalux: cannot open " << project << '\n';
    return false;
}

std::string CHeadlessSession::AbsolutePath(const std::string& path)
{
    return CHostText::ToHostPath(QFileInfo(CHostText::FromHostPath(path)).absoluteFilePath());
}
