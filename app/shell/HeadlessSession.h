#pragma once

#include "AnnaluxDoc.h"
#include "HostServices.h"
#include "ScriptedHostServices.h"

#include <memory>
#include <string>

class QApplication;

// What a batch command that paints a chronology needs: the application
// (drawing offscreen when there is no display), a host that writes every
// message to stderr and answers every question with No, and the document.
class CHeadlessSession
{
public:
    CHeadlessSession();
    ~CHeadlessSession();
    CHeadlessSession(const CHeadlessSession&) = delete;
    CHeadlessSession& operator=(const CHeadlessSession&) = delete;

    // Opens the project; false (with the reason on stderr) when it cannot.
    bool Open(const std::string& project);
    CAnnaluxDoc& GetDocument() { return *m_doc; }

    // A path as given on the command line, made absolute against the
    // directory the command started in (opening a project changes it).
    static std::string AbsolutePath(const std::string& path);

private:
    std::unique_ptr<QApplication> m_app;
    CScriptedHostServices m_host;
    CHostServicesScope m_scope{m_host};
    std::unique_ptr<CAnnaluxDoc> m_doc;
};
