// Loading and saving a large project: CXmlFile::Load against pugixml parsing
// the same file, CXmlFile::Save against writing the same bytes with a plain
// buffered write, and the memory the loaded tree takes per byte of file.
//
// What is compared:
// - Load: both read the same file from the page cache into a fresh document
//   (ours: nodes with attribute maps and wide strings; pugixml: its own DOM),
//   each document destroyed outside the timed part; timed in processor time
//   (see ProcessorTime).
// - Each side's best of seven runs, the two sides' runs alternating, so that
//   a shared machine's load falls on both alike.
// - Save: Save forces the document to the disk before it renames it over the
//   old file (a save that returns true has reached the disk), so the baseline
//   also ends with fsync: it is the least work that puts the same bytes
//   durably in a file. Both write over a file of the previous run. The saved
//   copy is then checked to hold exactly the loaded bytes, so both sides
//   wrote the same thing.
#include "bench/processor_time.h"
#include "core/generic_node.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/text.h"

#include <pugixml.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <malloc.h>
#include <new>
#include <string>
#include <tuple>
#include <unistd.h>
#include <utility>

// Counting allocator: current and peak bytes held through operator new.
namespace {
std::atomic<long long> g_current{0};
std::atomic<long long> g_peak{0};
// Counting is switched on only for the memory measurement, so that it does
// not slow down the timed runs.
bool g_counting = false;

void* Allocate(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    if (!g_counting)
        return p;
    long long now = g_current += static_cast<long long>(malloc_usable_size(p));
    long long peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Release(void* p) {
    if (!p)
        return;
    if (!g_counting) {
        std::free(p);
        return;
    }
    g_current -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}

namespace {

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

CTreeNode* Add(CTreeNode* parent, int type, const wchar_t* tag, const std::wstring& text = L"") {
    CTreeNode* node = parent->AddChild(new CGenericNode(type, tag));
    node->SetText(text);
    return node;
}

// A project of several boards, each with packages (part, pins, texts,
// footprint) and nets (wires, conductors), in the proportions of a design.
int BuildProject(CRoot& root, int boards) {
    int elements = 0;
    for (int b = 0; b < boards; ++b) {
        CTreeNode* board = Add(&root, 8, L"Board");
        board->SetAttribute(L"Outline", L"LIN0,0 LIN160,0 LIN160,100 LIN0,100");
        board->SetAttribute(L"Grid", L"0.635,0.635");
        Add(board, 21, L"Sheet", L"Sheet" + std::to_wstring(b))
            ->SetAttribute(L"SheetSize", L"420,297");
        elements += 2;
        for (int p = 0; p < 400; ++p) {
            CTreeNode* package = Add(board, 22, L"Package");
            package->SetAttribute(L"Footprint", L"SOIC8");
            CTreeNode* part = Add(package, 23, L"Part", L"RC0,0,40,60 L-10,10,0,10 L40,10,50,10");
            part->SetAttribute(L"SheetName", L"Sheet" + std::to_wstring(b));
            part->SetAttribute(L"XY", StrPrintf(L"%d,%d", p % 40 * 6, p / 40 * 8));
            part->SetAttribute(L"Outline", L"4,6");
            for (int n = 1; n <= 8; ++n) {
                CTreeNode* pin =
                    Add(package, 24, L"Pin", StrPrintf(L"%c%d", n <= 4 ? 'L' : 'R', n));
                pin->SetAttribute(L"Name", StrPrintf(L"P%d", n));
                pin->SetAttribute(L"Num", std::to_wstring(n));
            }
            CTreeNode* text = Add(package, 28, L"Text", StrPrintf(L"U%d", p + 1));
            text->SetAttribute(L"Name", L"RefDes");
            text->SetAttribute(L"Layer", L"SST");
            text->SetAttribute(L"Pos", StrPrintf(L"%.3f,%.3f", p * 0.37, p * 0.21));
            CTreeNode* footprint = Add(package, 18, L"Footprint", L"SOIC8");
            footprint->SetAttribute(L"XY", StrPrintf(L"%.2f,%.2f", p % 20 * 7.5, p / 20 * 5.0));
            CTreeNode* padstack = Add(footprint, 14, L"Padstack", L"PAD");
            Add(padstack, 13, L"PadLayer")->SetAttribute(L"Size", L"0.6,1.55");
            for (int n = 1; n <= 8; ++n)
                Add(padstack, 15, L"Pad")
                    ->SetAttribute(L"XY",
                                   StrPrintf(L"%.3f,%.3f", (n - 4.5) * 1.27, n <= 4 ? -2.7 : 2.7));
            elements += 1 + 1 + 8 + 1 + 1 + 1 + 1 + 8;
        }
        for (int n = 0; n < 300; ++n) {
            CTreeNode* net = Add(board, 25, L"Net", StrPrintf(L"N%d", n));
            for (int w = 0; w < 6; ++w)
                Add(net, 26, L"Wire", StrPrintf(L"%d,%d,%d,%d", n, w, n + 5, w))
                    ->SetAttribute(L"SheetName", L"Sheet" + std::to_wstring(b));
            std::wstring vertices;
            for (int v = 0; v < 40; ++v)
                vertices += StrPrintf(v ? L" %.3f,%.3f" : L"%.3f,%.3f", n * 0.5 + v, v * 1.25);
            for (int c = 0; c < 3; ++c) {
                CTreeNode* conductor = Add(net, 19, L"Conductor", vertices);
                conductor->SetAttribute(L"Layer", c ? L"BOT" : L"TOP");
                conductor->SetAttribute(L"Width", L"0.25");
            }
            elements += 1 + 6 + 3;
        }
    }
    return elements;
}

// The best of several runs of f and of g, which return the seconds they
// measured. The runs alternate, so that both sides see the same load of a
// shared machine.
template <class F, class G> std::pair<double, double> BestOfBoth(int runs, F&& f, G&& g) {
    double bestF = 1e30, bestG = 1e30;
    for (int i = 0; i < runs; ++i) {
        bestF = std::min(bestF, f());
        bestG = std::min(bestG, g());
    }
    return {bestF, bestG};
}


// The wall-clock time of f: saving waits for the disk.
template <class F> double Time(F&& f) {
    auto a = std::chrono::steady_clock::now();
    f();
    auto b = std::chrono::steady_clock::now();
    return Seconds(a, b);
}

} // namespace

int main(int argc, char** argv) {
    std::string dirName = "/tmp/vorpel-bench-XXXXXX";
    if (!mkdtemp(dirName.data()))
        return 1;
    const std::wstring dir = PathFromNative(dirName);
    const std::wstring path = PathJoin(dir, L"big.circuit");
    const std::wstring copy = PathJoin(dir, L"copy.circuit");
    const std::wstring plain = PathJoin(dir, L"plain.circuit");

    int elements = 0;
    {
        CRoot root;
        root.SetRootTag(L"Project");
        elements = BuildProject(root, 20);
        if (!CXmlFile(&root).Save(path.c_str()))
            return 1;
    }
    {
        // The node classes fill in their defaults and drop what they do not
        // keep: the file measured is the one the program itself writes, so
        // that a load and a save give back the same bytes.
        CRoot root;
        root.SetRootTag(L"Project");
        if (!CXmlFile(&root).Load(path.c_str()) || !CXmlFile(&root).Save(path.c_str()))
            return 1;
    }
    std::string bytes;
    ReadWholeFile(path, bytes);
    const double size = static_cast<double>(bytes.size());
    if (argc > 1) // keep a copy of the generated project, for profiling
        WriteWholeFile(Utf8ToWide(argv[1]), bytes);
    std::printf("project: %d elements, %.1f MB\n", elements, size / 1e6);

    // Loading.
    const std::string native = PathToNative(path);
    // Fifteen pairs: on a shared machine whole runs of a few in a row can be
    // slowed down together.
    const auto [pugiLoad, ownLoad] = BestOfBoth(
        15,
        [&] {
            pugi::xml_document doc;
            return ProcessorTime([&] {
                if (!doc.load_file(native.c_str()))
                    std::abort();
            });
        },
        [&] {
            CRoot root;
            root.SetRootTag(L"Project");
            return ProcessorTime([&] {
                if (!CXmlFile(&root).Load(path.c_str()))
                    std::abort();
            });
        });
    // For comparison only (no goal): the same file with element names that no
    // node class takes, so that every element becomes a generic node and no
    // node reads numbers from its attributes; the reader's share of the load.
    double genericLoad = 0, genericPugi = 0;
    {
        std::string renamed;
        renamed.reserve(bytes.size() + bytes.size() / 16);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            renamed += bytes[i];
            if (bytes[i] != '<')
                continue;
            if (i + 1 < bytes.size() && bytes[i + 1] == '/')
                renamed += bytes[++i];
            if (bytes.compare(i + 1, 7, "Project") != 0 && bytes[i + 1] != '?')
                renamed += 'X';
        }
        const std::wstring genericPath = PathJoin(dir, L"generic.circuit");
        WriteWholeFile(genericPath, renamed);
        const std::string genericNative = PathToNative(genericPath);
        std::tie(genericPugi, genericLoad) = BestOfBoth(
            7,
            [&] {
                pugi::xml_document doc;
                return ProcessorTime([&] {
                    if (!doc.load_file(genericNative.c_str()))
                        std::abort();
                });
            },
            [&] {
                CRoot root;
                root.SetRootTag(L"Project");
                return ProcessorTime([&] {
                    if (!CXmlFile(&root).Load(genericPath.c_str()))
                        std::abort();
                });
            });
        RemoveFile(genericPath);
    }
    double memoryPerByte = 0;
    {
        g_counting = true;
        CRoot root;
        root.SetRootTag(L"Project");
        if (!CXmlFile(&root).Load(path.c_str()))
            std::abort();
        memoryPerByte = static_cast<double>(g_peak.load()) / size;
        g_counting = false;
    }

    // Saving.
    CRoot root;
    root.SetRootTag(L"Project");
    CXmlFile(&root).Load(path.c_str());
    const std::string plainNative = PathToNative(plain);
    const auto [ownSave, plainWrite] = BestOfBoth(
        7,
        [&] {
            return Time([&] {
                if (!CXmlFile(&root).Save(copy.c_str()))
                    std::abort();
            });
        },
        [&] {
            // The same bytes in 64 KiB writes, flushed and forced to the disk.
            return Time([&] {
                FILE* f = std::fopen(plainNative.c_str(), "wb");
                if (!f)
                    std::abort();
                for (std::size_t i = 0; i < bytes.size(); i += 65536)
                    std::fwrite(bytes.data() + i, 1, std::min<std::size_t>(65536, bytes.size() - i),
                                f);
                std::fflush(f);
                fsync(fileno(f));
                std::fclose(f);
            });
        });
    std::string saved;
    ReadWholeFile(copy, saved);
    if (saved != bytes) {
        std::printf("the saved copy differs from the loaded file\n");
        return 1;
    }

    std::printf("load: own %.1f ms, pugixml %.1f ms\n", ownLoad * 1e3, pugiLoad * 1e3);
    std::printf("load as generic nodes: own %.1f ms, pugixml %.1f ms (%.2f times)\n",
                genericLoad * 1e3, genericPugi * 1e3, genericLoad / genericPugi);
    std::printf("save: own %.1f ms, plain buffered write %.1f ms\n", ownSave * 1e3,
                plainWrite * 1e3);
    std::printf("loaded tree: %.2f bytes of memory per byte of file\n", memoryPerByte);
    RemoveFile(path);
    RemoveFile(copy);
    RemoveFile(plain);
    std::remove(dirName.c_str());
    std::printf("RATIO xml_load_vs_pugixml %.3f 3\n", ownLoad / pugiLoad);
    std::printf("RATIO xml_save_vs_write %.3f 3\n", ownSave / plainWrite);
    std::printf("RATIO xml_load_memory_per_byte %.3f 12\n", memoryPerByte);
    return 0;
}
