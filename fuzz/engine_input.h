#pragma once
// Plays one input through a player of the decoder library to the "test" output and waits for the outcome:
// the open refused, or the song played to its end or stopped by an error. Whatever the input, the engine
// must reach one of these and still answer a ping afterwards; an engine that does neither within the time
// limit is reported as hung.
//
// One player serves every input of a run: starting an engine thread and its output for each input would
// cost more than the input itself. After each input the player's input is closed and a ping answered, so
// every message of one input has arrived before the next begins.

#include "fuzz_support.h"

#include "tools/engine_driver.h"

namespace fuzz {

// The player of the run, made on first use with its output opened. Never destroyed: at exit Qt's own
// globals are gone before a static object's destructor would run.
inline testtools::EngineDriver &sharedEngine()
{
    static testtools::EngineDriver *engine = nullptr;
    if (!engine) {
        engine = new testtools::EngineDriver;
        FUZZ_CHECK(engine->ok(), QStringLiteral("player"));
        FUZZ_CHECK(engine->openOutput("test"), QStringLiteral("output: ") + engine->lastError);
    }
    return *engine;
}

// Opens `name`, plays it and waits until it ends; then the engine must still answer.
inline void playInput(const QString &name, int limitMs)
{
    testtools::EngineDriver &engine = sharedEngine();
    engine.clear();
    FUZZ_CHECK(engine.playThrough(name, limitMs), QStringLiteral("the engine neither refused nor finished ") + name);
    FUZZ_CHECK(engine.closeAndPing(5000), QStringLiteral("the engine stopped answering after ") + name);
}

}  // namespace fuzz
