#include "FigurantStandIn.h"

#include "ShiftJis.h"
#include "SiblingChannel.h"
#include "SiblingProtocol.h"
#include "SiblingSharedBlock.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <unistd.h>

using namespace SiblingProtocol;

CFigurantStandIn::CFigurantStandIn(const QString& project) : m_project(project)
{
    m_projectEncodable = CShiftJis::FromUtf8(project.toStdString(), m_projectSjis);
    const QString name = project.isEmpty() ? QStringLiteral("無題") : QFileInfo(project).fileName();
    setWindowTitle(name + QStringLiteral(" - Figurant"));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* projectLabel = new QLabel(project.isEmpty() ? QStringLiteral("（人物年表なし）")
                                                      : QStringLiteral("人物年表: ") + project,
                                    central);
    projectLabel->setWordWrap(true);
    layout->addWidget(projectLabel);
    m_yearLabel = new QLabel(central);
    m_yearLabel->setObjectName(QStringLiteral("year"));
    m_yearLabel->setAlignment(Qt::AlignCenter);
    QFont big = m_yearLabel->font();
    big.setPointSize(big.pointSize() * 3);
    big.setBold(true);
    m_yearLabel->setFont(big);
    layout->addWidget(m_yearLabel, 1);

    auto* group = new QGroupBox(QStringLiteral("Annaluxとの連携"), central);
    auto* form = new QFormLayout(group);
    auto* askRow = new QHBoxLayout;
    m_chronology = new QLineEdit(group);
    m_chronology->setPlaceholderText(QStringLiteral("年表ファイル (.anx) のパス"));
    auto* ask = new QPushButton(QStringLiteral("開いているAnnaluxを探す"), group);
    askRow->addWidget(m_chronology, 1);
    askRow->addWidget(ask);
    form->addRow(QStringLiteral("年表:"), askRow);
    auto* tellRow = new QHBoxLayout;
    m_year = new QSpinBox(group);
    m_year->setRange(-9999, 9999);
    m_year->setValue(1868);
    auto* tell = new QPushButton(QStringLiteral("この年を表示させる"), group);
    tellRow->addWidget(m_year);
    tellRow->addWidget(tell);
    tellRow->addStretch(1);
    form->addRow(QStringLiteral("年:"), tellRow);
    m_status = new QLabel(QStringLiteral("Annaluxはまだ見つかっていません"), group);
    form->addRow(m_status);
    layout->addWidget(group);
    setCentralWidget(central);
    resize(520, 320);
    ShowYear(kNoYear);

    connect(ask, &QPushButton::clicked, this, [this] { Ask(m_chronology->text()); });
    connect(tell, &QPushButton::clicked, this, [this] { Tell(m_year->value()); });

    QDBusConnection bus = QDBusConnection::sessionBus();
    m_block = std::make_unique<CSiblingSharedBlock>();
    if (!m_block->Open(NativeObjectPath(kSharedMemoryName), kSharedMemorySize))
        m_status->setText(QStringLiteral("共有メモリが使えません: ") + m_block->ErrorString());
    m_channel = std::make_unique<CSiblingChannel>(bus, QString::fromUtf8(kToFigurant));
    connect(m_channel.get(), &CSiblingChannel::received, this, &CFigurantStandIn::OnMessage);
    if (!m_channel->IsConnected())
        m_status->setText(QStringLiteral("セッションバスが使えません: ") +
                          m_channel->ErrorString());
    bus.registerObject(QStringLiteral("/StandIn"), this, QDBusConnection::ExportScriptableSlots);
    const QStringList args = QCoreApplication::arguments();
    Log(QStringLiteral("started %1 %2 %3 %4")
            .arg(QString::number(::getpid()), m_channel->OwnHandle(),
                 args.isEmpty() ? QString() : args[0], project));
}

CFigurantStandIn::~CFigurantStandIn() = default;

void CFigurantStandIn::Log(const QString& line)
{
    const QByteArray path = qgetenv("FIGURANT_STANDIN_LOG");
    if (path.isEmpty())
        return;
    QFile log(QString::fromLocal8Bit(path));
    if (log.open(QIODevice::Append | QIODevice::Text))
        log.write((line + QLatin1Char('\n')).toUtf8());
}

void CFigurantStandIn::ShowYear(int year)
{
    m_yearLabel->setText(year == kNoYear ? QStringLiteral("―") : QStringLiteral("%1年").arg(year));
}

void CFigurantStandIn::OnMessage(qint64 wParam, qint64 lParam, const QString& sender)
{
    switch (wParam) {
    case MSG_WHO_HAS_PROJECT: {
        std::string asked;
        if (!m_project.isEmpty() && m_projectEncodable && m_block->Read(asked) &&
            asked == m_projectSjis)
            m_channel->Send(sender, QString::fromUtf8(kFromFigurant), 0, MSG_HAVE_PROJECT);
        break;
    }
    case MSG_SHOW_YEAR:
        m_lastYear = static_cast<int>(lParam);
        ++m_yearsReceived;
        ShowYear(m_lastYear);
        Log(QStringLiteral("year %1").arg(m_lastYear));
        // Annalux cannot raise another program's window; coming forward is
        // ours to do.
        showNormal();
        raise();
        activateWindow();
        break;
    case MSG_HAVE_CHRONOLOGY:
        m_annalux = sender;
        ++m_answersReceived;
        m_status->setText(QStringLiteral("年表を開いているAnnalux: ") + sender);
        break;
    default:
        break;
    }
}

void CFigurantStandIn::Ask(const QString& chronology)
{
    m_annalux.clear();
    std::string sjis;
    if (!CShiftJis::FromUtf8(chronology.toStdString(), sjis) || !m_block->Write(sjis)) {
        m_status->setText(QStringLiteral("このパスは渡せません"));
        return;
    }
    m_status->setText(QStringLiteral("問い合わせ中..."));
    m_channel->Broadcast(QString::fromUtf8(kFromFigurant), 0, MSG_WHO_HAS_CHRONOLOGY);
}

bool CFigurantStandIn::Tell(int year)
{
    if (m_annalux.isEmpty())
        return false;
    return m_channel->Send(m_annalux, QString::fromUtf8(kFromFigurant), year, MSG_GO_TO_YEAR);
}
