#include "shell/command_line_tool.h"

#include "platform/file.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "shell/document_kind.h"

#include <cstdio>
#include <utility>

namespace {

// A message's lines as one line. A line that ends in a blank runs on into
// the next ("File read error \n/a/b" gives "File read error /a/b"); other
// lines are kept apart by "; ".
std::string OneLine(const std::wstring& text) {
    std::wstring line;
    bool runsOn = false;
    bool broken = false;
    for (wchar_t c : text) {
        if (c == L'\r')
            continue;
        if (c == L'\n') {
            runsOn = !line.empty() && line.back() == L' ';
            while (!line.empty() && line.back() == L' ')
                line.pop_back();
            broken = !line.empty();
            continue;
        }
        if (broken) {
            line += runsOn ? L" " : L"; ";
            broken = false;
        }
        line += c;
    }
    while (!line.empty() && line.back() == L' ')
        line.pop_back();
    return WideToUtf8(line);
}

// The captions that only name the window a box would show in: the
// program's own and the Gerber export's. Any other caption names the message
// ("Duplicate RefDes") and leads it.
std::string MessageOf(const MessageBoxRequest& r) {
    const std::string text = OneLine(r.text);
    if (r.caption.empty() || r.caption == L"Vorpel" || r.caption == L"Gerber")
        return text;
    return OneLine(r.caption) + ": " + text;
}

} // namespace

CCommandLineTool::CCommandLineTool(std::string name, std::string synopsis, std::string help,
                                   int minOperands, int maxOperands)
    : m_name(std::move(name)), m_synopsis(std::move(synopsis)), m_help(std::move(help)),
      m_minOperands(minOperands), m_maxOperands(maxOperands) {}

std::string CCommandLineTool::UsageLine() const {
    return "usage: " + m_name + " " + m_synopsis;
}

std::string CCommandLineTool::HelpText() const {
    return UsageLine() + "\n\n" + m_help + "\nOptions:\n  -h, --help  print this help and exit\n" +
           "\nExit status: 0 on success, 1 on a failure, 2 on a usage error.\n";
}

bool CCommandLineTool::Parse(int argc, char** argv) {
    m_operands.clear();
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (options && word == "--") {
            options = false;
        } else if (options && (word == "-h" || word == "--help")) {
            std::fputs(HelpText().c_str(), stdout);
            std::fflush(stdout);
            m_status = kToolSucceeded;
            return false;
        } else if (options && word.size() > 1 && word[0] == '-') {
            UsageError("unknown option '" + word + "'");
            return false;
        } else {
            m_operands.push_back(word);
        }
    }
    const int count = static_cast<int>(m_operands.size());
    if (count < m_minOperands) {
        UsageError("too few arguments");
        return false;
    }
    if (count > m_maxOperands) {
        UsageError("too many arguments");
        return false;
    }
    return true;
}

std::wstring CCommandLineTool::Path(size_t operand) const {
    return Utf8ToWide(m_operands.at(operand));
}

bool CCommandLineTool::RequireNotEmpty(size_t operand, const std::string& what) {
    if (!m_operands.at(operand).empty())
        return true;
    UsageError("the " + what + " is empty");
    return false;
}

bool CCommandLineTool::RequireNotFolder(size_t operand) {
    if (!DirectoryExists(Path(operand)))
        return true;
    UsageError(m_operands[operand] + " is a folder");
    return false;
}

bool CCommandLineTool::RequireKindOrNone(size_t operand, const std::wstring& extension) {
    const std::wstring path = Path(operand);
    if (!RootTagForPath(path) || PathExtension(path) == extension)
        return true;
    UsageError(m_operands[operand] + " is not a " + WideToUtf8(extension) +
               " file: the output is a document of the input's kind");
    return false;
}

int CCommandLineTool::UsageError(const std::string& reason) {
    std::fprintf(stderr, "%s: %s\n%s\nTry '%s --help' for more information.\n", m_name.c_str(),
                 reason.c_str(), UsageLine().c_str(), m_name.c_str());
    m_status = kToolUsageError;
    return m_status;
}

void CCommandLineTool::Report(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\n", m_name.c_str(), message.c_str());
}

int CCommandLineTool::Fail(const std::string& message) const {
    Report(message);
    return kToolFailed;
}

void CCommandLineTool::ReportMessageBoxes() const {
    UiHooks hooks = GetUiHooks();
    const std::string name = m_name;
    hooks.messageBox = [name](const MessageBoxRequest& r) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), MessageOf(r).c_str());
        return DefaultMessageBoxAnswer(r.style);
    };
    SetUiHooks(std::move(hooks));
}

void CCommandLineTool::ReportMessages() const {
    ReportMessageBoxes();
    UiHooks hooks = GetUiHooks();
    hooks.beep = [](unsigned) {};
    // The message pane's texts; the others (the unit, the cursor position)
    // describe a view.
    const std::string name = m_name;
    hooks.statusText = [name](int pane, const std::wstring& text) {
        if (pane == 0 && !text.empty())
            std::fprintf(stderr, "%s: %s\n", name.c_str(), OneLine(text).c_str());
    };
    SetUiHooks(std::move(hooks));
}
