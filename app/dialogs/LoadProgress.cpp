#include "LoadProgress.h"

#include "HostText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProgressDialog>
#include <QPushButton>

const char* const CLoadProgress::kProjectHeading = "年表を読み込んでいます";
const char* const CLoadProgress::kLibraryHeading = "ライブラリを読み込んでいます";
const char* const CLoadProgress::kReloadHeading = "ライブラリを読み込み直しています";

namespace {

uint64_t s_minimumBytes = CLoadProgress::kDefaultMinimumBytes;
int s_delayMs = CLoadProgress::kDefaultDelayMs;
int s_updateMs = CLoadProgress::kDefaultUpdateMs;
int s_underWay = 0;
std::function<void(CLoadProgress&)>& StepHook()
{
    static std::function<void(CLoadProgress&)> hook;
    return hook;
}

constexpr int kScale = 1000;   // the bar counts in thousandths

QString Megabytes(uint64_t bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1);
}

} // namespace

CLoadProgress::CLoadProgress(QWidget* parent, const char* heading)
    : m_parent(parent), m_heading(QString::fromUtf8(heading)), m_scope(*this)
{
    ++s_underWay;
}

CLoadProgress::~CLoadProgress()
{
    --s_underWay;
}

bool CLoadProgress::IsUnderWay()
{
    return s_underWay > 0;
}

void CLoadProgress::SetShowRule(uint64_t minimumBytes, int delayMs, int updateMs)
{
    s_minimumBytes = minimumBytes;
    s_delayMs = delayMs;
    s_updateMs = updateMs;
}

void CLoadProgress::SetStepHook(std::function<void(CLoadProgress&)> hook)
{
    StepHook() = std::move(hook);
}

bool CLoadProgress::Step()
{
    if (!m_clock.isValid())
        m_clock.start();
    if (!m_dialog && Total() >= s_minimumBytes && Done() < Total() && WorthShowing())
        Show();
    // The dialog is brought up to date a few dozen times a second, and as
    // the end is reached: repainting it on every report would cost the load
    // a fifth of its time.
    if (m_dialog && (!m_lastUpdate.isValid() || m_lastUpdate.elapsed() >= s_updateMs ||
                     Done() >= Total())) {
        m_lastUpdate.start();
        m_dialog->setLabelText(LabelText());
        // A modal progress dialog processes the events (paint, the cancel
        // button) as its value changes.
        m_dialog->setValue(Total() ? int(Done() * kScale / Total()) : 0);
    }
    if (const auto& hook = StepHook())
        hook(*this);
    return !(m_dialog && m_dialog->wasCanceled()) && !Cancelled();
}

bool CLoadProgress::WorthShowing() const
{
    // Up only for a load that has run a moment and, at the pace so far, has
    // at least half as long again to go: none flashes up just to go away.
    const qint64 elapsed = m_clock.elapsed();
    if (elapsed < s_delayMs)
        return false;
    if (Done() == 0)
        return true;
    const double remaining = double(elapsed) * double(Total() - Done()) / double(Done());
    return remaining >= s_delayMs / 2.0;
}

void CLoadProgress::Show()
{
    QWidget* window = m_parent ? m_parent->window() : nullptr;
    m_dialog = std::make_unique<QProgressDialog>(window);
    m_dialog->setObjectName(QStringLiteral("loadProgress"));
    m_dialog->setWindowTitle(QApplication::applicationName());
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setCancelButtonText(QStringLiteral("キャンセル"));
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setMinimumDuration(0);
    m_dialog->setRange(0, kScale);
    m_dialog->setLabelText(LabelText());
    m_dialog->setMinimumWidth(360);
    m_dialog->show();
    QCoreApplication::processEvents();
}

QString CLoadProgress::LabelText() const
{
    QString name = CHostText::FromHostPath(CurrentFile());
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    return QStringLiteral("%1\n%2\n%3 / %4 MB")
        .arg(m_heading, name, Megabytes(Done()), Megabytes(Total()));
}
