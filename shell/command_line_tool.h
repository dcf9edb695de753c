// What the command-line programs (vorpel, vorpel-cam, vorpel-roundtrip,
// vorpel-dxf) share: their arguments read one way, their help, and their
// messages.
//
// - -h or --help prints the help (the usage line and what the program does)
//   on standard output and ends the program with 0.
// - A usage error (an unknown option, too few or too many operands, an
//   operand one of the checks below refuses) prints the reason, the usage
//   line and a hint at --help on standard error and ends the program with 2.
// - "--" ends the options: every later word is an operand, even one that
//   starts with '-'. A lone "-" is an operand too.
// - Every message on standard error starts with the program's name
//   ("vorpel-cam: ..."); one about a file names the file next, then the
//   reason ("vorpel-dxf: a.dxf: cannot open the file"); a failure ends the
//   program with 1.
#pragma once

#include <string>
#include <vector>

enum ToolExitStatus : int {
    kToolSucceeded = 0,
    kToolFailed = 1,
    kToolUsageError = 2,
};

class CCommandLineTool {
public:
    // name as the user types it; synopsis the operands after it ("PROJECT
    // OUTDIR", "[FILE]"); help the text the help prints below the usage
    // line. The program takes minOperands to maxOperands operands.
    CCommandLineTool(std::string name, std::string synopsis, std::string help, int minOperands,
                     int maxOperands);

    // Reads the words after the program's name. False when the program ends
    // here, with ExitStatus(): after the help (0) or a usage error (2).
    bool Parse(int argc, char** argv);
    int ExitStatus() const { return m_status; }

    const std::vector<std::string>& Operands() const { return m_operands; }
    // An operand as a path (operands are UTF-8).
    std::wstring Path(size_t operand) const;

    // Checks of the operands. Each refuses with a usage error and answers
    // false; what refuses:
    // - an empty operand, what naming it ("output folder");
    bool RequireNotEmpty(size_t operand, const std::string& what);
    // - an existing folder where a file is wanted;
    bool RequireNotFolder(size_t operand);
    // - a file name whose extension names a document kind other than the
    //   one of extension (".circuit", ".symbol" or ".footprint"); a name of
    //   no document kind passes.
    bool RequireKindOrNone(size_t operand, const std::wstring& extension);

    // Reports a usage error; answers the status to end with (2).
    int UsageError(const std::string& reason);
    // "name: message" on standard error.
    void Report(const std::string& message) const;
    // Reports a failure; answers the status to end with (1).
    int Fail(const std::string& message) const;

    // From here on the messages of the model are reports: a message box is a
    // line on standard error (its lines joined; its caption before it unless
    // that only names a window, as "Vorpel" and "Gerber" do) answered with
    // its default button, a text of the status bar's message pane a line too,
    // a beep nothing.
    void ReportMessages() const;
    // The message boxes alone, for a program whose status bar is painted.
    void ReportMessageBoxes() const;

    const std::string& Name() const { return m_name; }
    std::string UsageLine() const;
    std::string HelpText() const;

private:
    std::string m_name;
    std::string m_synopsis;
    std::string m_help;
    int m_minOperands;
    int m_maxOperands;
    std::vector<std::string> m_operands;
    int m_status = kToolSucceeded;
};
