#pragma once

#include <QObject>

#include <memory>

class CAnnaluxDoc;
class CMainFrame;
class QPrinter;

// The printing commands of the main window: page setup ("印刷設定..."),
// print, print preview and the printer's own setup. The printer chosen and
// set up stays for the rest of the session.
class CPrintCommandWiring : public QObject
{
    Q_OBJECT

public:
    // Registers the four commands with the frame.
    static CPrintCommandWiring* Install(CMainFrame& frame);
    // The wiring installed in frame, or null.
    static CPrintCommandWiring* Of(CMainFrame& frame);
    ~CPrintCommandWiring() override;

    // The printer the commands print on.
    QPrinter& Printer();

    void OnPageLayout();
    // A chronology without event libraries prints nothing. Otherwise the
    // print dialog; with a printer chosen the pages it asks for are printed.
    // False when nothing was printed.
    bool OnPrint();
    void OnPrintPreview();
    void OnPrintSetup();

private:
    explicit CPrintCommandWiring(CMainFrame& frame);
    bool CanPrint() const;
    // Prints the pages the printer's range asks for.
    bool PrintOn(QPrinter& printer);

    CMainFrame& m_frame;
    CAnnaluxDoc& m_doc;
    std::unique_ptr<QPrinter> m_printer;
};
