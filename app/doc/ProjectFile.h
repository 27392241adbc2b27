#pragma once

#include "LogFont.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CArchive;

// One column as the project file holds it.
struct SProjectColumn
{
    int32_t kind = 0; // 0 year column, 1..4 a library kind
    std::string
        libraryPath; // Shift-JIS as stored (relative to the project's folder); empty for kind 0
    int32_t left = 0;
    int32_t width = 0;
};

// Everything a project file (.anx) holds, in the terms of the file: texts
// are Shift-JIS bytes as stored, colours COLORREF values.
//
// Reading only overwrites what the file's version contains, so a caller fills
// the structure with its defaults first and absent items keep them.
struct SProjectData
{
    enum EFontBlock
    {
        FontsAbsent, // versions 1-5
        FontsOne,    // versions 6 and 7: one record for all seven slots
        FontsSeven,  // versions 8-10
    };
    enum EColor
    {
        Back,
        BackEven,
        BackOdd,
        Link,
        Supplement,
        Text,
        About,
        EventMark,
        ColorCount
    };

    int32_t version = 10;
    std::vector<SProjectColumn> columns;
    int32_t scaleYear = 1;
    int32_t scaleAccuracy = 0;
    bool rangeEnabled = false;
    int32_t rangeFrom = -9999;
    int32_t rangeTo = 9999;
    int32_t priorityFilter = 2;
    std::string description;
    bool wrapLines = false;

    EFontBlock fontBlock = FontsSeven;
    std::array<SLogFont, 7> fonts{};
    std::array<uint32_t, 7> fontColors{};

    // How many of the colour block's values the file held (0, 6 or 8).
    int colorCount = ColorCount;
    std::array<uint32_t, ColorCount> colors{};

    bool hasSiblingProject = true;
    std::string siblingProject;
    bool hasTextMargin = true;
    int32_t textMargin = 0;
};

// The binary project archive: versions 1 to 10 are read, version 10 is
// written. Parsing has no side effects; a file it refuses leaves no trace.
class CProjectFile
{
public:
    static constexpr int32_t kCurrentVersion = 10;
    static constexpr int kFontSlots = 7;
    // The face-name field of a font record holds 32 bytes with its zero.
    static constexpr int32_t kMaxFaceBytes = 32;

    // Reads an archive into data (pre-filled with the defaults). On failure
    // returns false, sets error to a short description of what is wrong
    // (UTF-8) and leaves data unusable.
    static bool Parse(const std::string& bytes, SProjectData& data, std::string& error);
    // The archive of data, written as version 10 whatever data.version says.
    static std::string Serialize(const SProjectData& data);

    // One font record (the face-name count includes the zero byte). Unlike
    // the lenient settings form, a count that does not fit the 32-byte
    // face-name field refuses the file: no writer of ours produces one.
    static bool ReadFontRecord(CArchive& ar, SLogFont& font, std::string& error);
};
