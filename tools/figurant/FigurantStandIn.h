#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>

class CSiblingChannel;
class CSiblingSharedBlock;
class QLabel;
class QLineEdit;
class QSpinBox;

// The stand-in's window: the project it has open, the year Annalux last told
// it, and the two questions Figurant may put to Annalux (which instance has a
// chronology open; show this year). It answers Annalux as any Figurant must:
// when asked who has a project open, the instance that has it says so.
//
// Tests drive it over the bus as well (interface com.veltrin.FigurantStandIn
// at /StandIn) and may name a log file in FIGURANT_STANDIN_LOG where it notes
// its start and every year it is told.
class CFigurantStandIn : public QMainWindow
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.veltrin.FigurantStandIn")

public:
    static constexpr int kNoYear = 2147483647;

    explicit CFigurantStandIn(const QString& project);
    ~CFigurantStandIn() override;

public slots:
    Q_SCRIPTABLE QString Project() const { return m_project; }
    Q_SCRIPTABLE int LastYear() const { return m_lastYear; }
    Q_SCRIPTABLE int YearsReceived() const { return m_yearsReceived; }
    Q_SCRIPTABLE QString AnnaluxWindow() const { return m_annalux; }
    Q_SCRIPTABLE int AnswersReceived() const { return m_answersReceived; }
    // Asks which Annalux has this chronology open (the answer comes later).
    Q_SCRIPTABLE void Ask(const QString& chronology);
    // Tells the Annalux that answered last to show year.
    Q_SCRIPTABLE bool Tell(int year);

private:
    void OnMessage(qint64 wParam, qint64 lParam, const QString& sender);
    void ShowYear(int year);
    void Log(const QString& line);

    QString m_project;
    std::string m_projectSjis;
    bool m_projectEncodable = false;
    int m_lastYear = kNoYear;
    int m_yearsReceived = 0;
    int m_answersReceived = 0;
    QString m_annalux;
    std::unique_ptr<CSiblingSharedBlock> m_block;
    std::unique_ptr<CSiblingChannel> m_channel;
    QLabel* m_yearLabel = nullptr;
    QLabel* m_status = nullptr;
    QLineEdit* m_chronology = nullptr;
    QSpinBox* m_year = nullptr;
};
