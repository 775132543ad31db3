#pragma once
// Measuring helpers for the engine benchmarks: the plain libmpg123 read loop the engine is compared with,
// the cost of a child process, and medians.

#include "tools/engine_driver.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace bench {

// The driver of a player and its clock, the same the tests and the fuzzers use.
using testtools::EngineDriver;
using testtools::isState;
using testtools::nowNs;
using testtools::Received;

// Seconds a plain mpg123_open / mpg123_read loop takes to decode `file` to stereo signed 16-bit (the format
// the engine produces); only the read loop is timed, as the engine's open happens before Play too.
// Negative when the file cannot be decoded. `cpuSeconds`, if given, receives the process's CPU time over
// the same stretch.
double referenceDecodeSeconds(const QString &file, double *cpuSeconds = nullptr);

// CPU time (user + system) this process has used so far, all threads together.
double processCpuSeconds();

struct ProcessCost {
    bool ok = false;        // started and exited with status 0
    double cpuSeconds = 0;  // user + system time of the child
    double wallSeconds = 0;
    QString error;
};
// Runs `argv` (program first, looked up in PATH) with this process's environment and waits for it.
ProcessCost runMeasured(const QStringList &argv);

double median(std::vector<double> values);

// Prints "name: value" with a fixed number of decimals.
void report(const char *name, double value, int decimals = 3);

}  // namespace bench
