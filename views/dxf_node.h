// The values of a DXF drawing: every group-code/value pair becomes a node of
// a small tree whose class follows the group code's range (strings, points,
// doubles, integers of several widths, hexadecimal handles, booleans).
// Sections, entities and header variables are nodes like any other; what a
// node stands for is read from its code and text by the import.
#pragma once

#include "core/node_arena.h"
#include "core/tree.h"

#include <cstdint>
#include <string>
#include <vector>

class CTextFile;

// The lines of a drawing being read, and whether the file ended between a
// code line and its value.
class CDxfLineReader {
public:
    explicit CDxfLineReader(CTextFile& file) : m_file(file) {}
    // The next whole line; false at the end of the file.
    bool ReadLine(std::wstring& line);
    // The value line of a code just read; at the end of the file the pair is
    // cut short, which is remembered.
    bool ReadValueLine(std::wstring& line);
    bool IsTruncated() const { return m_truncated; }

private:
    CTextFile& m_file;
    bool m_truncated = false;
};

// A group code line as a number: an integer with blanks around it at most.
bool ParseDxfCode(const std::wstring& line, int& code);

struct DxfPointF {
    float x = 0;
    float y = 0;
};

// The value of one group code.
class CDxfItem {
public:
    explicit CDxfItem(int code) : m_code(code) {}
    virtual ~CDxfItem() = default;

    // Reads the pairs that continue this item; codeLine receives the first
    // code line that does not belong to it. True means that reading of the
    // file stops.
    virtual bool ReadContinuation(CDxfLineReader& reader, std::wstring& codeLine);
    virtual bool Equals(const wchar_t* text) const;
    virtual bool NotEquals(const wchar_t* text) const;
    virtual int AsInt() const;
    virtual float AsFloat() const;
    virtual double AsDouble() const;
    virtual DxfPointF AsPoint() const;

    int GetCode() const { return m_code; }
    // A number that its line did not hold whole (an empty line, letters, an
    // infinity, a value out of the type's range): what it reads as is no
    // value of the drawing.
    bool IsDamaged() const { return m_damaged; }

protected:
    int m_code;
    bool m_damaged = false;
};

class CDxfNode : public Tree<CDxfNode>, public CDxfItem {
public:
    explicit CDxfNode(int code) : CDxfItem(code) {}
    CDxfNode(const CDxfNode& other);
    CDxfNode& operator=(const CDxfNode&) = delete;

    // A drawing has a node for every pair: while it is read they are cut
    // from the blocks of the node arena.
    static void* operator new(std::size_t size) { return NodeArena::Allocate(size); }
    static void operator delete(void* p) noexcept { NodeArena::Free(p); }

    // The last child with the code, or null (a later value wins).
    CDxfNode* FindLast(int code) const;
};

// The node of a code and its value line; null for a code that no value class
// takes (the pair is skipped).
CDxfNode* MakeDxfNode(int code, const std::wstring& value);
// Codes whose values are points: 10-39 and 1010-1039.
bool IsDxfPointCode(int code);

class CDxfString : public CDxfNode {
public:
    CDxfString(int code, const std::wstring& value) : CDxfNode(code), m_value(value) {}
    CDxfNode* Clone() const override { return new CDxfString(*this); }
    bool Equals(const wchar_t* text) const override;
    bool NotEquals(const wchar_t* text) const override;
    const std::wstring& GetValue() const { return m_value; }

private:
    std::wstring m_value;
};

// One or more points of a code family: x, y and z come with codes that differ
// in the tens digit (10, 20 and 30 for the same point), and an axis given
// again starts the next point.
class CDxfDouble3D : public CDxfNode {
public:
    struct Point {
        double x = 0;
        double y = 0;
        double z = 0;
    };

    CDxfDouble3D(int code, const std::wstring& value);
    CDxfNode* Clone() const override { return new CDxfDouble3D(*this); }
    bool ReadContinuation(CDxfLineReader& reader, std::wstring& codeLine) override;
    DxfPointF AsPoint() const override;
    std::size_t GetPointCount() const { return 1 + m_more.size(); }
    const Point& GetPoint(std::size_t i) const { return i == 0 ? m_first : m_more[i - 1]; }

private:
    void SetAxis(int code, const std::wstring& value);

    uint8_t m_set[3] = {0, 0, 0};
    // Most items hold one point.
    Point m_first;
    std::vector<Point> m_more;
};

class CDxfDouble : public CDxfNode {
public:
    CDxfDouble(int code, const std::wstring& value);
    CDxfNode* Clone() const override { return new CDxfDouble(*this); }
    int AsInt() const override;
    float AsFloat() const override { return static_cast<float>(m_value); }
    double AsDouble() const override { return m_value; }

private:
    double m_value = 0;
};

// The integer classes differ in the range they take and in how the value is
// written: decimal (16-, 32- and 64-bit, boolean) or hexadecimal.
class CDxfInteger : public CDxfNode {
public:
    int AsInt() const override { return static_cast<int>(static_cast<uint32_t>(m_value)); }
    float AsFloat() const override { return static_cast<float>(m_value); }
    double AsDouble() const override { return static_cast<double>(m_value); }
    int64_t GetValue() const { return m_value; }

protected:
    CDxfInteger(int code, const std::wstring& value, int64_t min, int64_t max);
    CDxfInteger(int code, const std::wstring& hexValue);

    int64_t m_value = 0;
};

class CDxfInt16 : public CDxfInteger {
public:
    CDxfInt16(int code, const std::wstring& value)
        : CDxfInteger(code, value, INT32_MIN, INT32_MAX) {}
    CDxfNode* Clone() const override { return new CDxfInt16(*this); }
};

class CDxfInt32 : public CDxfInteger {
public:
    CDxfInt32(int code, const std::wstring& value)
        : CDxfInteger(code, value, INT32_MIN, INT32_MAX) {}
    CDxfNode* Clone() const override { return new CDxfInt32(*this); }
};

class CDxfInt64 : public CDxfInteger {
public:
    CDxfInt64(int code, const std::wstring& value)
        : CDxfInteger(code, value, INT64_MIN, INT64_MAX) {}
    CDxfNode* Clone() const override { return new CDxfInt64(*this); }
};

class CDxfHex : public CDxfInteger {
public:
    CDxfHex(int code, const std::wstring& value) : CDxfInteger(code, value) {}
    CDxfNode* Clone() const override { return new CDxfHex(*this); }
};

class CDxfBool : public CDxfInteger {
public:
    CDxfBool(int code, const std::wstring& value)
        : CDxfInteger(code, value, INT32_MIN, INT32_MAX) {}
    CDxfNode* Clone() const override { return new CDxfBool(*this); }
};
