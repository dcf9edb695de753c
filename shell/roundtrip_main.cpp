// vorpel-roundtrip IN OUT: loads a document as the kind its extension names
// and saves it to OUT. Exit 0 on success; 1 when IN cannot be read or OUT
// not written, the reason on standard error and OUT not written; 2 on a
// usage error.
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/text.h"
#include "shell/command_line_tool.h"
#include "shell/document_kind.h"

namespace {

const char kHelp[] = "Loads the document IN as the kind its extension names (.circuit a project,\n"
                     ".symbol a symbol library, .footprint a footprint library) and saves it to\n"
                     "the file OUT, which is a document of the same kind: an OUT whose extension\n"
                     "names another kind is refused. Nothing is written when IN cannot be read.\n";

} // namespace

int main(int argc, char** argv) {
    CCommandLineTool tool("vorpel-roundtrip", "IN OUT", kHelp, 2, 2);
    if (!tool.Parse(argc, argv) || !tool.RequireNotEmpty(0, "input file name") ||
        !tool.RequireNotFolder(0))
        return tool.ExitStatus();
    const std::string& inName = tool.Operands()[0];
    const std::string& outName = tool.Operands()[1];
    // The input first: the output's kind is only asked of an input that has
    // one.
    const wchar_t* tag = RootTagForPath(tool.Path(0));
    if (!tag)
        return tool.Fail(inName + ": not a .circuit, .symbol or .footprint file");
    if (!tool.RequireNotEmpty(1, "output file name") || !tool.RequireNotFolder(1) ||
        !tool.RequireKindOrNone(1, PathExtension(tool.Path(0))))
        return tool.ExitStatus();
    CRoot root;
    root.SetRootTag(tag);
    CXmlFile loader(&root);
    if (!loader.Load(tool.Path(0).c_str()))
        return tool.Fail(inName + ": " + WideToUtf8(loader.GetError()));
    CXmlFile saver(&root);
    if (!saver.Save(tool.Path(1).c_str()))
        return tool.Fail(outName + ": " + WideToUtf8(saver.GetError()));
    return kToolSucceeded;
}
