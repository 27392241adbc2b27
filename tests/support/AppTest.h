#pragma once

#include "ScriptedHostServices.h"
#include "Settings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

// Each test of the program's layers gets a folder of its own, a settings
// file in it and a scripted host that records every message.
class AppTest : public ::testing::Test
{
protected:
    AppTest()
        : m_settings(m_dir.File("settings.ini")), m_settingsScope(m_settings), m_hostScope(m_host)
    {
        // Start-up must not register the file type in the real home.
        m_settings.SetInt("Shell", "RegisterFileType", 0);
    }

    TempDir m_dir;
    CSettings m_settings;
    CSettingsScope m_settingsScope;
    CScriptedHostServices m_host;
    CHostServicesScope m_hostScope;
};
