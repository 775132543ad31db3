#pragma once
// The threads network transfers run on. A thread and a libcurl handle made for each stream cost more than a
// short transfer (a playlist's dead entries, a station tried again): a thread stays for a while after its
// transfer and takes the next one, with the same libcurl handle, which keeps its open connections and name
// lookups for it. A transfer never waits for another: when every thread is busy (a cancelled transfer may
// still be waiting on a server), a new thread starts.

#include <curl/curl.h>

#include <functional>

namespace xa_engine {

// Runs `transfer` on a transfer thread with that thread's libcurl handle (its options at their defaults), or
// with null when libcurl could not be loaded or gave no handle. Returns at once.
void run_transfer(std::function<void(CURL *)> transfer);

}  // namespace xa_engine
