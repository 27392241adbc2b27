#include "PdfOutput.h"
#include "HostText.h"

#include "SaveFile.h"
#include "ViewPrinter.h"

#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace {

// The PDF writer's output, sent through the save file.
class CSaveFileDevice : public QIODevice
{
public:
    explicit CSaveFileDevice(CSaveFile& file) : m_file(file) {}
    bool isSequential() const override { return true; }
    bool Failed() const { return m_failed; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (m_failed || !m_file.Write(data, static_cast<size_t>(size))) {
            m_failed = true;
            return -1;
        }
        return size;
    }

private:
    CSaveFile& m_file;
    bool m_failed = false;
};

std::string Reason(const CSaveFile& file, const std::string& path)
{
    const std::string why = file.ErrorString();
    return "cannot write " + path + (why.empty() ? std::string() : ": " + why);
}

} // namespace

bool CPdfOutput::Write(CViewPrinter& printer, const std::string& path, const std::string& title,
                       std::string& error, const QPageSize* pageSize)
{
    CSaveFile file(path);
    if (!file.Open()) {
        error = Reason(file, path);
        return false;
    }
    CSaveFileDevice device(file);
    device.open(QIODevice::WriteOnly);
    bool printed = false;
    {
        QPdfWriter writer(&device);
        writer.setPageSize(pageSize && pageSize->isValid() ? *pageSize : QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setTitle(CHostText::FromUtf8(title));
        writer.setCreator(QStringLiteral("Annalux"));
        printed = printer.PrintAll(writer);
    }
    device.close();
    if (!printed || device.Failed()) {
        error = device.Failed() ? Reason(file, path) : "cannot print into " + path;
        file.Discard();
        return false;
    }
    if (!file.Commit()) {
        error = Reason(file, path);
        return false;
    }
    return true;
}
