// startup_bench [RUNS]
//
// Program start to the first paint of the main window, against a bare Qt window, both
// on the offscreen platform and started the same way (startup_probe, a fresh process
// each time, alternating). Prints the medians and their ratio next to the goal.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Milliseconds from fork to the probe's "painted" line; negative on failure.
double timeOnce(const char* probe, const char* mode) {
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        if (FILE* null = std::fopen("/dev/null", "w"))
            dup2(fileno(null), STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(probe, probe, mode, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char buffer[64] = {};
    const ssize_t n = read(out[0], buffer, sizeof buffer - 1);
    const auto end = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (n <= 0 || std::strncmp(buffer, "painted", 7) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 21;
    const char* probe = STARTUP_PROBE;
    std::vector<double> bare;
    std::vector<double> text;
    std::vector<double> program;
    // One of each first, so that both start from a warm file cache.
    timeOnce(probe, "bare");
    timeOnce(probe, "mirvane");
    for (int i = 0; i < runs; ++i) {
        const double b = timeOnce(probe, "bare");
        const double t = timeOnce(probe, "text");
        const double p = timeOnce(probe, "mirvane");
        if (b < 0 || t < 0 || p < 0) {
            std::fprintf(stderr, "startup_bench: the probe did not paint\n");
            return 1;
        }
        bare.push_back(b);
        text.push_back(t);
        program.push_back(p);
    }
    const double mb = median(bare);
    const double mp = median(program);
    std::printf("start-up to first paint, offscreen, median of %d runs\n", runs);
    std::printf("  bare Qt window   %7.1f ms\n", mb);
    std::printf("  one line of text %7.1f ms   (a bare window with a label in the window font)\n",
                median(text));
    std::printf("  Mirvane          %7.1f ms\n", mp);
    std::printf("  ratio            %7.2f x   (goal: at most 2.00 x)  %s\n", mp / mb,
                mp / mb <= 2.0 ? "met" : "NOT MET");
    return 0;
}
