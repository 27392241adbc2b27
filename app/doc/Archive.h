#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The binary stream of the project file: little-endian integers of 1, 2, 4
// (and, for string lengths only, 8) bytes and length-prefixed strings.
//
// One object is either storing (it appends to its own byte buffer) or loading
// (it reads from a byte buffer given at construction). Reading never goes past
// the end of the buffer and never throws: a failed read yields 0 / an empty
// string, returns false and leaves the archive in a failed state, after which
// every further read fails too. Callers can therefore read a whole block and
// test Failed() once at the end.
//
// Strings are Shift-JIS bytes. The length prefix is one byte below 255; else
// 0xFF and a 16-bit length below 0xFFFE; else 0xFF, 0xFFFF and a 32-bit length
// below 0xFFFFFFFF; else 0xFF, 0xFFFF, 0xFFFFFFFF and a 64-bit length. A
// prefix may be preceded by 0xFF 0xFFFE, which marks a wide string: its length
// counts UTF-16 units, and it is converted to Shift-JIS on reading.
class CArchive
{
public:
    enum EMode
    {
        Store,
        Load
    };
    enum EError
    {
        AE_NONE = 0,
        AE_END_OF_DATA,  // a read wanted more bytes than are left
        AE_BAD_LENGTH,   // a string length that cannot be held
        AE_WRONG_MODE,   // a read on a storing archive or a write on a loading one
        AE_INVALID_DATA, // set by callers through SetError (e.g. a bad field value)
    };

    // A storing archive with an empty buffer.
    CArchive();
    // A loading archive over a copy of data.
    explicit CArchive(const std::string& data);
    CArchive(const void* data, size_t size);

    bool IsStoring() const { return m_mode == Store; }
    bool IsLoading() const { return m_mode == Load; }

    // ---- storing -------------------------------------------------------
    void WriteByte(uint8_t value);
    void WriteInt16(int16_t value);
    void WriteUInt16(uint16_t value);
    void WriteInt32(int32_t value);
    void WriteUInt32(uint32_t value);
    // One byte, 0 or 1.
    void WriteBool(bool value);
    // A boolean held as int32 (0 or 1), the form the project file uses.
    void WriteBool32(bool value) { WriteInt32(value ? 1 : 0); }
    void WriteBytes(const void* data, size_t size);
    // A Shift-JIS string in the narrow form.
    void WriteString(const std::string& sjis);
    // A string in the wide form (UTF-16 code units); the program itself writes
    // only narrow strings, this exists for files of other writers and tests.
    void WriteWideString(const std::u16string& utf16);
    // The raw length prefix (narrow form), exposed for tests of odd files.
    void WriteStringLength(uint64_t length, bool wide = false);

    // The bytes written so far (storing) or the whole input (loading).
    const std::string& GetBuffer() const { return m_buffer; }

    // ---- loading -------------------------------------------------------
    bool ReadByte(uint8_t& value);
    bool ReadInt16(int16_t& value);
    bool ReadUInt16(uint16_t& value);
    bool ReadInt32(int32_t& value);
    bool ReadUInt32(uint32_t& value);
    bool ReadUInt64(uint64_t& value);
    // One byte; true when non-zero.
    bool ReadBool(bool& value);
    // An int32; true when non-zero.
    bool ReadBool32(bool& value);
    // Exactly size bytes into out.
    bool ReadBytes(std::string& out, size_t size);
    bool ReadBytes(void* out, size_t size);
    // A string in either form; wide strings come back as Shift-JIS, with '?'
    // for every character that Shift-JIS cannot hold.
    bool ReadString(std::string& sjis);

    size_t GetPosition() const { return m_pos; }
    size_t GetRemaining() const { return m_buffer.size() - m_pos; }
    bool AtEnd() const { return m_pos >= m_buffer.size(); }

    bool Failed() const { return m_error != AE_NONE; }
    EError GetError() const { return m_error; }
    // Marks the archive failed (the first error is kept); for callers that
    // find a value they cannot accept.
    void SetError(EError error);

    // UTF-16 -> Shift-JIS as ReadString does it.
    static std::string WideToShiftJis(const std::u16string& utf16);

private:
    bool Take(size_t size, const unsigned char*& data);
    bool CheckLoading();
    bool CheckStoring();

    EMode m_mode;
    std::string m_buffer;
    size_t m_pos = 0;
    EError m_error = AE_NONE;
};
