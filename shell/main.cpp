// Program entry. Until the main window exists the program's job is to load
// every example document, save it to a scratch folder, load the saved copy
// again and report what it read. Exit status 1 when any of that fails.
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/text.h"
#include "shell/document_kind.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

void CountTags(const CTreeNode* node, std::map<std::wstring, int>& counts) {
    for (const CTreeNode* child : node->GetChildren()) {
        ++counts[child->GetTagName()];
        CountTags(child, counts);
    }
}

std::wstring FindExamples(int argc, char** argv) {
    if (argc > 1)
        return Utf8ToWide(argv[1]);
#ifdef VORPEL_SOURCE_DIR
    std::wstring source = PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples");
    if (DirectoryExists(source))
        return source;
#endif
    std::wstring self = Utf8ToWide(argv[0]);
    return PathJoin(PathDirectory(self), L"examples");
}

// Loads, saves and reloads one document; prints what it holds.
bool Check(const std::wstring& path, const wchar_t* tag, const std::wstring& scratch) {
    const std::string name = WideToUtf8(PathFileName(path));
    CRoot root;
    root.SetRootTag(tag);
    CXmlFile file(&root);
    if (!file.Load(path.c_str())) {
        std::printf("%s: load failed: %s\n", name.c_str(), WideToUtf8(file.GetError()).c_str());
        return false;
    }
    BuildBoardNetsInTree(&root);
    const std::wstring copy = PathJoin(scratch, PathFileName(path));
    if (!file.Save(copy.c_str())) {
        std::printf("%s: save failed: %s\n", name.c_str(), WideToUtf8(file.GetError()).c_str());
        return false;
    }
    CRoot again;
    again.SetRootTag(tag);
    CXmlFile reload(&again);
    if (!reload.Load(copy.c_str())) {
        std::printf("%s: reload failed: %s\n", name.c_str(), WideToUtf8(reload.GetError()).c_str());
        return false;
    }
    std::map<std::wstring, int> counts, countsAgain;
    CountTags(&root, counts);
    CountTags(&again, countsAgain);
    if (counts != countsAgain) {
        std::printf("%s: the saved copy holds other nodes\n", name.c_str());
        return false;
    }
    int total = 0;
    for (const auto& [t, n] : counts)
        total += n;
    std::printf("%s: %s with %d nodes\n", name.c_str(), WideToUtf8(tag).c_str(), total);
    for (const auto& [t, n] : counts)
        std::printf("  %-16s %d\n", WideToUtf8(t).c_str(), n);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Nothing is shown yet: run without a display when there is none.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    PlatformInitApplication(argc, argv);
    int status = 0;
    const std::wstring examples = FindExamples(argc, argv);
    std::string scratchName = "/tmp/vorpel-XXXXXX";
    if (!DirectoryExists(examples)) {
        std::printf("no examples folder at %s\n", WideToUtf8(examples).c_str());
        status = 1;
    } else if (!mkdtemp(scratchName.data())) {
        std::printf("cannot create a scratch folder\n");
        status = 1;
    } else {
        const std::wstring scratch = PathFromNative(scratchName);
        int documents = 0;
        for (const std::wstring& entry : ListDirectory(examples)) {
            const std::wstring path = PathJoin(examples, entry);
            const wchar_t* tag = RootTagForPath(path);
            if (!tag || !FileExists(path))
                continue;
            ++documents;
            if (!Check(path, tag, scratch))
                status = 1;
        }
        std::error_code ignored;
        std::filesystem::remove_all(scratchName, ignored);
        if (documents == 0) {
            std::printf("no documents in %s\n", WideToUtf8(examples).c_str());
            status = 1;
        }
    }
    PlatformShutdownApplication();
    return status;
}
