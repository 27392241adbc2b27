#pragma once

#include "AnnaluxDoc.h"
#include "AppTest.h"
#include "ScriptedHostServices.h"
#include "Settings.h"
#include "TempDir.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <cstdlib>
#include <string>

// Each test gets its own settings file, a scripted host that records every
// message, and a fresh document made under those settings.
class DialogTest : public AppTest
{
protected:
    DialogTest()
    {
        TestApp();
        m_doc = std::make_unique<CAnnaluxDoc>();
    }

    // Presses OK or Cancel of a dialog's button box.
    template <typename Dialog>
    static void Press(Dialog& dialog, QDialogButtonBox::StandardButton which)
    {
        auto* box = dialog.template findChild<QDialogButtonBox*>("buttonBox");
        ASSERT_NE(box, nullptr);
        QPushButton* button = box->button(which);
        ASSERT_NE(button, nullptr);
        button->click();
    }
    template <typename Dialog> static void PressOk(Dialog& dialog)
    {
        Press(dialog, QDialogButtonBox::Ok);
    }
    template <typename Dialog> static void PressCancel(Dialog& dialog)
    {
        Press(dialog, QDialogButtonBox::Cancel);
    }
    template <typename T, typename Dialog> static T* Child(Dialog& dialog, const char* name)
    {
        T* child = dialog.template findChild<T*>(QString::fromLatin1(name));
        if (!child)
            ADD_FAILURE() << "no child " << name;
        return child;
    }

    std::unique_ptr<CAnnaluxDoc> m_doc;
};
