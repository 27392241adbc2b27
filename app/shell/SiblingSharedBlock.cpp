#include "SiblingSharedBlock.h"

#include <QSharedMemory>
#include <cstring>

CSiblingSharedBlock::CSiblingSharedBlock() = default;

CSiblingSharedBlock::~CSiblingSharedBlock()
{
    Close();
}

bool CSiblingSharedBlock::Open(const QString& nativeKey, int size)
{
    Close();
    m_size = size;
    m_memory = std::make_unique<QSharedMemory>();
    m_memory->setNativeKey(nativeKey);
    if (m_memory->create(size)) {
        std::memset(m_memory->data(), 0, static_cast<size_t>(m_memory->size()));
        return true;
    }
    if (m_memory->error() == QSharedMemory::AlreadyExists) {
        // A failed create leaves the object unusable; join with a new one.
        m_memory = std::make_unique<QSharedMemory>();
        m_memory->setNativeKey(nativeKey);
        if (m_memory->attach()) {
            if (m_memory->size() >= size)
                return true;
            m_error = QStringLiteral("the shared block is smaller than %1 bytes").arg(size);
            m_memory.reset();
            return false;
        }
    }
    m_error = m_memory->errorString();
    m_memory.reset();
    return false;
}

void CSiblingSharedBlock::Close()
{
    m_memory.reset();
}

bool CSiblingSharedBlock::IsOpen() const
{
    return m_memory && m_memory->isAttached();
}

bool CSiblingSharedBlock::Write(const std::string& sjis)
{
    if (!IsOpen() || sjis.size() + 1 > static_cast<size_t>(m_size) ||
        sjis.find('\0') != std::string::npos)
        return false;
    auto* data = static_cast<char*>(m_memory->data());
    std::memcpy(data, sjis.data(), sjis.size());
    data[sjis.size()] = '\0';
    return true;
}

bool CSiblingSharedBlock::Read(std::string& sjis) const
{
    if (!IsOpen())
        return false;
    const auto* data = static_cast<const char*>(m_memory->constData());
    const size_t size = static_cast<size_t>(m_size);
    const void* end = std::memchr(data, '\0', size);
    if (!end)
        return false;
    sjis.assign(data, static_cast<const char*>(end));
    return true;
}
