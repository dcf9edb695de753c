// Reference designators: a letter prefix and a number, ordered by prefix and
// then number (R2 before R10, C99 before R1), and the designator bookkeeping
// of a board's packages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CPackage;
class CTreeNode;

class CRefDes {
public:
    CRefDes() = default;
    explicit CRefDes(const std::wstring& text);
    std::wstring ToString() const;
    bool operator==(const CRefDes& other) const {
        return m_prefix == other.m_prefix && m_number == other.m_number;
    }
    bool operator<(const CRefDes& other) const;

    std::wstring m_prefix;
    uint32_t m_number = 0;
};

// The packages of a board (its Package children, in order) and then of
// extra, power symbols left out.
std::vector<CPackage*> CollectPackages(CTreeNode* board, const std::vector<CPackage*>* extra);
// Gives the package's "RefDes" text its prefix followed by one more than the
// highest number of that exact prefix on the board and in extra (gaps are
// not reused), with an undo record. False for a package without the text.
bool AssignNextRefDes(CTreeNode* board, CPackage* package,
                      const std::vector<CPackage*>* extra = nullptr);
// Numbers every package of the board again, prefix by prefix, 1, 2, ... in
// the order of their current designators (undo records for the changed).
void RenumberRefDes(CTreeNode* board);
// Reports each package whose designator an earlier package has already:
// message "Duplicate RefDes" with the sheet and position of both first
// parts. Returns the number of duplicates.
int ReportDuplicateRefDes(CTreeNode* board);
