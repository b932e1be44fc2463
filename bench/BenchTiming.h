#pragma once
// Timing shared by the benchmarks: medians of several runs, so one slow run
// on a busy machine does not decide a figure, and the thread's own CPU time
// beside the wall time, which is what a machine with no other load would see.
#include <QElapsedTimer>
#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

struct Timing {
    double wall; // ms
    double cpu;  // ms of this thread
};

inline double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

template <typename Fn> double elapsedMs(Fn fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e6;
}

inline double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The medians of runs of action; prepare runs untimed before each.
inline Timing timeRuns(int runs, const std::function<void()> &action, const std::function<void()> &prepare = {})
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const double cpuStart = threadCpuMs();
        wall.push_back(elapsedMs(action));
        cpu.push_back(threadCpuMs() - cpuStart);
    }
    return {medianOf(wall), medianOf(cpu)};
}
