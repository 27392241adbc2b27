#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// F1 in a dialog opens the manual's page about that dialog. One filter on
// the whole application sees the key before the dialog does, finds the
// page from the classes of the focused widget and its parents (a wizard
// page before its wizard), and falls back to the manual's contents. The
// main window's own F1 is its help command and never reaches here.
class CContextHelp : public QObject
{
    Q_OBJECT

public:
    // open: shows one page of the manual (a file name in its folder).
    explicit CContextHelp(std::function<void(const QString&)> open, QObject* parent = nullptr);

    // The page about widget's dialog: the first of it and its parents whose
    // class has a page; empty when none has.
    static QString PageFor(const QWidget* widget);
    // Every page the dialogs lead to.
    static QStringList Pages();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> m_open;
};
