// Times the solution walk through real COM dispatch: the stand-in model's objects, the late-bound
// client and the walk, as the add-in runs them. Google Benchmark is not built for Windows here, so
// this program times a few walks itself and prints the fastest and the median.
//   walk_dispatch_timing [files [runs]]   (default 100000 files, 3 runs)
// Fails when a walk misses files or leaves a reference behind.
// It then times the floor under any client: the three calls the walk makes per file (Item, Kind,
// FileNames(0)) made raw, with DISPIDs asked once, over one folder's files again and again until
// as many calls were made, and nothing else done with their results.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "SyntheticSolution.h"
#include "addin/DispatchSolutionView.h"
#include "catalogue/SolutionWalker.h"
#include "host/com/ModelObjects.h"

namespace {

using sprig::ComPtr;

struct RawCalls {
    // Invokes `name` (its DISPID asked once) with `args` given last to first, as DISPPARAMS holds
    // them; the result in `result`.
    HRESULT Call(IDispatch* object, const wchar_t* name, DISPID& id, WORD flags, VARIANT* args, UINT count,
                 VARIANT& result) {
        if (id == DISPID_UNKNOWN) {
            LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
            if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return E_FAIL;
        }
        DISPPARAMS params{args, nullptr, count, 0};
        VariantInit(&result);
        return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr);
    }
    ComPtr<IDispatch> Object(IDispatch* object, const wchar_t* name, DISPID& id, WORD flags, VARIANT* args = nullptr,
                             UINT count = 0) {
        VARIANT result;
        if (FAILED(Call(object, name, id, flags, args, count, result)) || result.vt != VT_DISPATCH) {
            VariantClear(&result);
            return {};
        }
        return ComPtr<IDispatch>::Adopt(result.pdispVal);
    }
    ComPtr<IDispatch> ItemAt(IDispatch* collection, DISPID& id, LONG index) {
        VARIANT arg;
        arg.vt = VT_I4;
        arg.lVal = index;
        return Object(collection, L"Item", id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &arg, 1);
    }
    DISPID solution = DISPID_UNKNOWN, projects = DISPID_UNKNOWN, projectsItem = DISPID_UNKNOWN,
           projectItems = DISPID_UNKNOWN, item = DISPID_UNKNOWN, itemItems = DISPID_UNKNOWN, count = DISPID_UNKNOWN,
           kind = DISPID_UNKNOWN, fileNames = DISPID_UNKNOWN;
};

// The time of `calls` file triples made raw on the files of the first folder of files in the
// solution's sixth project (a project outside the solution folder); a negative time when the
// folder is not found.
double FloorMs(IDispatch* root, std::size_t calls) {
    RawCalls raw;
    ComPtr<IDispatch> project;
    if (auto solution = raw.Object(root, L"Solution", raw.solution, DISPATCH_PROPERTYGET)) {
        if (auto projects = raw.Object(solution.get(), L"Projects", raw.projects, DISPATCH_PROPERTYGET)) {
            project = raw.ItemAt(projects.get(), raw.projectsItem, 6);
        }
    }
    if (!project) return -1;
    ComPtr<IDispatch> folder = raw.Object(project.get(), L"ProjectItems", raw.projectItems, DISPATCH_PROPERTYGET);
    // Down the first item of each level until that item has no children (a file): a folder of files.
    for (;;) {
        if (!folder) return -1;
        ComPtr<IDispatch> first = raw.ItemAt(folder.get(), raw.item, 1);
        ComPtr<IDispatch> below =
            first ? raw.Object(first.get(), L"ProjectItems", raw.itemItems, DISPATCH_PROPERTYGET) : ComPtr<IDispatch>{};
        VARIANT size;
        if (!below || FAILED(raw.Call(below.get(), L"Count", raw.count, DISPATCH_PROPERTYGET, nullptr, 0, size)) ||
            size.lVal == 0) {
            break;
        }
        folder = std::move(below);
    }
    VARIANT size;
    if (FAILED(raw.Call(folder.get(), L"Count", raw.count, DISPATCH_PROPERTYGET, nullptr, 0, size)) || size.lVal < 1) {
        return -1;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (std::size_t made = 0; made < calls;) {
        for (LONG i = 1; i <= size.lVal && made < calls; ++i, ++made) {
            ComPtr<IDispatch> file = raw.ItemAt(folder.get(), raw.item, i);
            if (!file) return -1;
            VARIANT text, index;
            raw.Call(file.get(), L"Kind", raw.kind, DISPATCH_PROPERTYGET, nullptr, 0, text);
            VariantClear(&text);
            index.vt = VT_I2;
            index.iVal = 0;
            raw.Call(file.get(), L"FileNames", raw.fileNames, DISPATCH_PROPERTYGET, &index, 1, text);
            VariantClear(&text);
        }
    }
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = 0;
    {
        sprig::model::SolutionModel model;
        sprig::bench::FillSyntheticSolution(model, files);
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        std::vector<double> times;
        for (int run = 0; run < runs && status == 0; ++run) {
            sprig::Catalogue catalogue;
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            {
                sprig::DispatchSolutionView view(sprig::host::CreateModelRoot(model));
                sprig::BuildCatalogue(view, catalogue);
            }
            QueryPerformanceCounter(&end);
            const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
            times.push_back(ms);
            if (catalogue.FileList.size() != files || sprig::host::LiveReferences() != 0) {
                std::printf("walk gave %u files and left %ld references\n",
                            static_cast<unsigned>(catalogue.FileList.size()), sprig::host::LiveReferences());
                status = 1;
            }
        }
        std::sort(times.begin(), times.end());
        if (!times.empty()) {
            std::printf("walk through COM dispatch: %u files, %d runs: fastest %.1f ms, median %.1f ms\n",
                        static_cast<unsigned>(files), static_cast<int>(times.size()), times.front(),
                        times[times.size() / 2]);
        }
        std::vector<double> floors;
        for (int run = 0; run < runs && status == 0; ++run) {
            const sprig::ComPtr<IDispatch> root = sprig::host::CreateModelRoot(model);
            floors.push_back(FloorMs(root.get(), files));
            if (floors.back() < 0) {
                std::printf("the floor's folder of files was not found\n");
                status = 1;
            }
        }
        std::sort(floors.begin(), floors.end());
        if (status == 0 && !floors.empty()) {
            std::printf("the same three calls per file made raw, nothing else: fastest %.1f ms, median %.1f ms\n",
                        floors.front(), floors[floors.size() / 2]);
        }
    }
    CoUninitialize();
    return status;
}
