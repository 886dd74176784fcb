// Times the solution walk through real COM dispatch: the stand-in model's objects, the late-bound
// client and the walk, as the add-in runs them. Google Benchmark is not built for Windows here, so
// this program times a few walks itself and prints the fastest and the median.
//   walk_dispatch_timing [files [runs]]   (default 100000 files, 3 runs)
// Fails when a walk misses files or leaves a reference behind.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "SyntheticSolution.h"
#include "addin/DispatchSolutionView.h"
#include "catalogue/SolutionWalker.h"
#include "host/com/ModelObjects.h"

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
    }
    CoUninitialize();
    return status;
}
