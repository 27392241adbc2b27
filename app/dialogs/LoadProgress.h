#pragma once

#include "ReadProgress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// The window's progress while library files load: a progress dialog over
// the window with how far the reading has come (bytes of all files to read)
// and キャンセル, which stops the reading. Installed on the thread while it
// lives, so every library read in its lifetime reports to it.
//
// A load of a few megabytes in all shows nothing, and a larger one only
// once it has run a moment, so that no dialog flashes up. While the dialog
// is up the window is blocked and events are processed between reports;
// IsUnderWay() tells the window's commands to wait until the load is over.
class CLoadProgress : public CReadProgress
{
public:
    static const char* const kProjectHeading; // "年表を読み込んでいます"
    static const char* const kLibraryHeading; // "ライブラリを読み込んでいます"
    static const char* const kReloadHeading;  // "ライブラリを読み込み直しています"
    static constexpr uint64_t kDefaultMinimumBytes = 4u << 20;
    static constexpr int kDefaultDelayMs = 300;
    static constexpr int kDefaultUpdateMs = 40; // between two updates of the dialog

    // heading: UTF-8, the dialog's first line. The dialog is modal to
    // parent's window.
    CLoadProgress(QWidget* parent, const char* heading);
    ~CLoadProgress() override;

    // True while any load with a progress is running.
    static bool IsUnderWay();

    // The dialog when it is up, else null.
    QProgressDialog* Dialog() const { return m_dialog.get(); }

    // Loads below minimumBytes in all show nothing; larger ones show the
    // dialog once they have run delayMs and have about half as long again
    // to go (0: at the first report); the dialog is brought up to date at
    // most every updateMs (0: at every report). For tests and the like; the
    // defaults above hold until changed.
    static void SetShowRule(uint64_t minimumBytes, int delayMs,
                            int updateMs = kDefaultUpdateMs);
    // Called on every report of every load (tests drive the dialog here).
    static void SetStepHook(std::function<void(CLoadProgress&)> hook);

protected:
    bool Step() override;

private:
    bool WorthShowing() const;
    void Show();
    QString LabelText() const;

    QPointer<QWidget> m_parent;
    QString m_heading;
    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
    QElapsedTimer m_lastUpdate;
    CReadProgressScope m_scope;
};
