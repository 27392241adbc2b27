#include "HostServices.h"

#include "ScriptedHostServices.h"

namespace {

CHostServices*& Current()
{
    static CHostServices* current = nullptr;
    return current;
}

CHostServices& SilentDefault()
{
    static CScriptedHostServices silent;
    return silent;
}

} // namespace

CHostServices::~CHostServices() = default;

int CHostServices::CaptionedMessageBox(const std::string& caption, const std::string& text,
                                       unsigned style)
{
    (void)caption;
    return MessageBox(text, style);
}

CHostServices& CHostServices::Get()
{
    CHostServices* c = Current();
    return c ? *c : SilentDefault();
}

void CHostServices::Set(CHostServices* services)
{
    Current() = services;
}

CHostServicesScope::CHostServicesScope(CHostServices& services) : m_previous(Current())
{
    Current() = &services;
}

CHostServicesScope::~CHostServicesScope()
{
    Current() = m_previous;
}
