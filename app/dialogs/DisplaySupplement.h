#pragma once

#include <QDialog>
#include <memory>
#include <string>

// "補足説明の表示": a modeless window showing one supplement as an HTML page.
// The page is written to a temporary "anl….htm" file (Shift_JIS), replaced
// on every rendering and removed when the window closes. Links clicked in it
// open through CLinkOpener. The window deletes itself when closed and
// remembers where it was ("LastSupplePos").
class CDisplaySupplement : public QDialog
{
    Q_OBJECT

public:
    static const char* const kTempFileMessage;

    // Creates and shows the window on text (Shift-JIS).
    explicit CDisplaySupplement(const std::string& text, QWidget* owner = nullptr);
    ~CDisplaySupplement() override;

    // Shows another text (empty for none).
    void SetText(const std::string& text);
    const std::string& GetText() const;
    // The temporary page now shown (UTF-8 host path; empty before the first
    // rendering or when it failed).
    std::string GetPageFileName() const;

    // The page bytes of a supplement: a Shift_JIS charset line, CR LF as
    // <BR>, every link given the "topWindow" target and a relative file
    // target prefixed with currentDir (a host folder, UTF-8).
    static std::string MakePage(const std::string& text, const std::string& currentDir);

    void reject() override; // Escape closes like "閉じる"

signals:
    // The window is closing: whoever holds it drops the reference (and the
    // view its current search hit).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool Render();

    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
