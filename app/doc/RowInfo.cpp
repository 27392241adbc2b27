#include "RowInfo.h"

void CRowInfo::Set(int width, bool sameWidth)
{
    m_width = width;
    m_sameWidth = sameWidth;
}
