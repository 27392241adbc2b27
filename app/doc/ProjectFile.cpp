#include "ProjectFile.h"

#include "Archive.h"

#include <cstdio>
#include <cstring>

namespace {

std::string Format(const char* format, long long a, long long b = 0)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

// The smallest number of bytes one column can take (kind, left, width), so
// that a corrupt count is refused before anything is reserved for it.
constexpr size_t kMinColumnBytes = 12;

int32_t ReadInt16As32(CArchive& ar)
{
    int16_t value = 0;
    ar.ReadInt16(value);
    return value;
}

int32_t ReadInt32(CArchive& ar)
{
    int32_t value = 0;
    ar.ReadInt32(value);
    return value;
}

bool ReadBool32(CArchive& ar)
{
    bool value = false;
    ar.ReadBool32(value);
    return value;
}

} // namespace

bool CProjectFile::ReadFontRecord(CArchive& ar, SLogFont& font, std::string& error)
{
    SLogFont read;
    ar.ReadInt32(read.lfHeight);
    ar.ReadInt32(read.lfWidth);
    ar.ReadInt32(read.lfEscapement);
    ar.ReadInt32(read.lfOrientation);
    ar.ReadInt32(read.lfWeight);
    ar.ReadByte(read.lfItalic);
    ar.ReadByte(read.lfUnderline);
    ar.ReadByte(read.lfStrikeOut);
    ar.ReadByte(read.lfCharSet);
    ar.ReadByte(read.lfOutPrecision);
    ar.ReadByte(read.lfClipPrecision);
    ar.ReadByte(read.lfQuality);
    ar.ReadByte(read.lfPitchAndFamily);
    int32_t count = 0;
    if (!ar.ReadInt32(count))
        return false;
    // The count includes the terminating zero and can never exceed the
    // face-name field; anything else is not a font record of ours.
    if (count < 1 || count > kMaxFaceBytes) {
        ar.SetError(CArchive::AE_INVALID_DATA);
        error = Format("書体名の長さ %lld が正しくありません", count);
        return false;
    }
    std::string face;
    if (!ar.ReadBytes(face, static_cast<size_t>(count)))
        return false;
    // The name ends at its first zero byte, as the field would be read.
    const size_t zero = face.find('\0');
    if (zero != std::string::npos)
        face.resize(zero);
    read.SetFaceName(face);
    font = read;
    return true;
}

bool CProjectFile::Parse(const std::string& bytes, SProjectData& data, std::string& error)
{
    error.clear();
    CArchive ar(bytes);

    // Says what went wrong, once: the first cause is the one worth telling.
    auto fail = [&](const std::string& what) {
        if (error.empty())
            error = what;
        return false;
    };
    auto failFromArchive = [&]() {
        if (ar.GetError() == CArchive::AE_END_OF_DATA)
            return fail(Format("ファイルが途中で終わっています（%lld バイト）", bytes.size()));
        if (ar.GetError() == CArchive::AE_BAD_LENGTH)
            return fail(Format("文字列の長さが正しくありません（%lld バイト目）",
                               static_cast<long long>(ar.GetPosition())));
        return fail("ファイルの内容が正しくありません");
    };

    int32_t version = 0;
    if (!ar.ReadInt32(version))
        return failFromArchive();
    if (version < 1 || version > kCurrentVersion)
        return fail(Format("バージョン %lld には対応していません", version));
    data.version = version;

    int32_t count = 0;
    if (!ar.ReadInt32(count))
        return failFromArchive();
    if (count < 0)
        return fail(Format("列の数 %lld が正しくありません", count));
    if (static_cast<uint64_t>(count) > ar.GetRemaining() / kMinColumnBytes)
        return fail(Format("ファイルが途中で終わっています（%lld バイト）", bytes.size()));

    data.columns.clear();
    data.columns.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        SProjectColumn column;
        if (!ar.ReadInt32(column.kind))
            return failFromArchive();
        if (column.kind < 0 || column.kind > 4)
            return fail(Format("%lld 列目の種類 %lld が正しくありません", i + 1, column.kind));
        if (column.kind != 0 && !ar.ReadString(column.libraryPath))
            return failFromArchive();
        ar.ReadInt32(column.left);
        if (!ar.ReadInt32(column.width))
            return failFromArchive();
        data.columns.push_back(std::move(column));
    }

    if (version <= 3) {
        data.scaleYear = ReadInt16As32(ar);
        data.scaleAccuracy = ReadInt32(ar);
        data.rangeEnabled = ReadBool32(ar);
        data.rangeFrom = ReadInt16As32(ar);
        data.rangeTo = ReadInt16As32(ar);
    } else {
        data.scaleYear = ReadInt32(ar);
        data.scaleAccuracy = ReadInt32(ar);
        data.rangeEnabled = ReadBool32(ar);
        data.rangeFrom = ReadInt32(ar);
        data.rangeTo = ReadInt32(ar);
    }
    if (version >= 2)
        data.priorityFilter = ReadInt32(ar);
    if (version >= 3)
        ar.ReadString(data.description);
    if (version >= 5)
        data.wrapLines = ReadBool32(ar);
    if (ar.Failed())
        return failFromArchive();

    if (version == 6 || version == 7) {
        SLogFont font;
        if (!ReadFontRecord(ar, font, error))
            return ar.GetError() == CArchive::AE_INVALID_DATA ? false : failFromArchive();
        const uint32_t color = static_cast<uint32_t>(ReadInt32(ar));
        data.fontBlock = SProjectData::FontsOne;
        data.fonts.fill(font);
        data.fontColors.fill(color);
    } else if (version >= 8) {
        data.fontBlock = SProjectData::FontsSeven;
        for (int slot = 0; slot < kFontSlots; ++slot) {
            if (!ReadFontRecord(ar, data.fonts[slot], error))
                return ar.GetError() == CArchive::AE_INVALID_DATA ? false : failFromArchive();
            data.fontColors[slot] = static_cast<uint32_t>(ReadInt32(ar));
        }
    } else {
        data.fontBlock = SProjectData::FontsAbsent;
    }

    data.colorCount = version >= 9 ? SProjectData::ColorCount : version >= 6 ? 6 : 0;
    for (int i = 0; i < data.colorCount; ++i) {
        uint32_t color = 0;
        ar.ReadUInt32(color);
        data.colors[i] = color;
    }

    data.hasSiblingProject = version >= 7;
    if (data.hasSiblingProject)
        ar.ReadString(data.siblingProject);
    data.hasTextMargin = version >= 10;
    if (data.hasTextMargin)
        data.textMargin = ReadInt32(ar);

    if (ar.Failed())
        return failFromArchive();
    return true;
}

std::string CProjectFile::Serialize(const SProjectData& data)
{
    CArchive ar;
    ar.WriteInt32(kCurrentVersion);
    ar.WriteInt32(static_cast<int32_t>(data.columns.size()));
    for (const SProjectColumn& column : data.columns) {
        ar.WriteInt32(column.kind);
        if (column.kind != 0)
            ar.WriteString(column.libraryPath);
        ar.WriteInt32(column.left);
        ar.WriteInt32(column.width);
    }
    ar.WriteInt32(data.scaleYear);
    ar.WriteInt32(data.scaleAccuracy);
    ar.WriteBool32(data.rangeEnabled);
    ar.WriteInt32(data.rangeFrom);
    ar.WriteInt32(data.rangeTo);
    ar.WriteInt32(data.priorityFilter);
    ar.WriteString(data.description);
    ar.WriteBool32(data.wrapLines);
    for (int slot = 0; slot < kFontSlots; ++slot) {
        data.fonts[slot].Write(ar);
        ar.WriteUInt32(data.fontColors[slot]);
    }
    // The text colour is the event font's; the block keeps its place for
    // older readers.
    for (int i = 0; i < SProjectData::ColorCount; ++i)
        ar.WriteUInt32(i == SProjectData::Text ? data.fontColors[0] : data.colors[i]);
    ar.WriteString(data.siblingProject);
    ar.WriteInt32(data.textMargin);
    return ar.GetBuffer();
}
