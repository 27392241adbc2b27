#pragma once

#include <QObject>

class CAnnaluxApp;
class CMainFrame;

// Connects the import and export commands of the file menu ("CSVﾌｧｲﾙ" in
// ﾌｧｲﾙの入力 and ﾌｧｲﾙの出力, "HTMLファイル") to their wizards. The wizards
// run through the application (so tests can drive them) and read the
// window's own layout for the exports of the displayed table. Lives as a
// child of the main window.
class CExchangeCommandWiring : public QObject
{
    Q_OBJECT

public:
    static CExchangeCommandWiring* Install(CMainFrame& frame, CAnnaluxApp& app);

    void ImportCsv();
    void ExportCsv();
    void ExportHtml();

private:
    CExchangeCommandWiring(CMainFrame& frame, CAnnaluxApp& app);

    CMainFrame& m_frame;
    CAnnaluxApp& m_app;
};
