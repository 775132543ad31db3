#pragma once
// What every fuzz target shares: a Qt application object, a scratch folder in memory (so the many small file
// writes of a run cost no disk), the shell seam answered without dialogs, and checks that abort with a message
// so that libFuzzer keeps the input that broke an invariant.

#include <QByteArray>
#include <QString>

namespace fuzz {

// Creates the application object once; every target calls it from LLVMFuzzerInitialize or its first input.
void initialize();

// The text of the last message box the code under test asked for.
QString &lastMessageText();

// A folder that lives as long as the process: under /dev/shm when it exists, else the temporary folder.
const QString &scratchFolder();
// scratchFolder() + "/" + name.
QString scratchPath(const QString &name);

bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// Removes every file and folder below the scratch folder.
void clearScratch();

[[noreturn]] void fail(const char *file, int line, const char *condition, const QString &detail);

// Text for a failure message: the bytes, printable ASCII as it is and anything else as \xNN.
QString shown(const QByteArray &bytes);
QString shown(const QString &text);

}  // namespace fuzz

#define FUZZ_CHECK(condition, detail)                                                                                  \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::fuzz::fail(__FILE__, __LINE__, #condition, (detail));                                                    \
    } while (false)
