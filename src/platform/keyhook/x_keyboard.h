#pragma once
// One private X connection for the keyboard hook: passive grabs on the root window, translation of key
// events into shortcut values, and replaying a key to the window that has the focus. Not thread-safe: after
// Open, one thread at a time uses it (the UI thread until the hook thread starts, then the hook thread).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace keyhook {

class XKeyboard {
public:
    // Connects to the display named by DISPLAY; null when there is none.
    static std::unique_ptr<XKeyboard> Open();
    ~XKeyboard();
    XKeyboard(const XKeyboard &) = delete;
    XKeyboard &operator=(const XKeyboard &) = delete;

    // The connection's file descriptor, for waiting on events.
    int fd() const;
    // True once the connection to the X server has broken; then nothing more is done with it.
    bool lost() const;

    // Grabs exactly these combinations, with and without Caps Lock and Num Lock; combinations no longer
    // wanted are released. A combination that cannot be grabbed (no such key, an unknown bit, or another
    // client holds the grab) ends up in failed() instead of grabbed().
    void setGrabs(const std::vector<uint16_t> &shortcuts);
    const std::vector<uint16_t> &grabbed() const { return grabbed_; }
    const std::vector<uint16_t> &failed() const { return failed_; }
    void releaseAll();

    // Handles the events that have arrived. For the press of a grabbed combination it calls onKey with the
    // shortcut value and whether the press is an auto-repeat; onKey answers true to replay the key to the
    // focused window, false to withhold it. Other keys that reach the hook while one of its grabs holds the
    // keyboard are replayed at once.
    void dispatchEvents(const std::function<bool(uint16_t shortcut, bool repeat)> &onKey);

private:
    struct Grab {
        uint16_t shortcut;
        unsigned keycode;
        unsigned modifiers;
    };

    explicit XKeyboard(void *display);
    void readModifierMap();
    bool toGrab(uint16_t shortcut, Grab &grab) const;
    std::vector<unsigned> lockVariants() const;
    // Issues the grab requests and checks for errors; returns false (and leaves nothing grabbed) on failure.
    bool grabAll(std::vector<Grab> &grabs, std::vector<bool> &ok);
    void ungrab(const Grab &grab);
    const Grab *grabFor(unsigned keycode, unsigned state) const;
    uint16_t shortcutOf(unsigned keycode, unsigned state) const;
    void replay(const void *keyEvent);
    // Replays the press now when its key is up, else once the key is let go (see replayPending_).
    void replayWhenReleased(const void *keyEvent);
    void flushPendingReplay();
    bool anyKeyDown(const char *keymap, int modifierIndex) const;

    void *display_;  // Display *
    unsigned long root_ = 0;
    bool haveXTest_ = false;
    bool detectableRepeat_ = false;
    unsigned altMask_ = 0;
    unsigned numLockMask_ = 0;
    int altIndex_ = -1;
    std::vector<std::vector<unsigned>> modifierKeys_;  // keycodes of each of the 8 modifiers
    std::vector<Grab> grabs_;
    std::vector<uint16_t> wanted_;
    std::vector<uint16_t> grabbed_;
    std::vector<uint16_t> failed_;
    std::set<unsigned> down_;  // keycodes pressed and not yet released, as far as the hook has seen
    // A passed-on press whose key was still held when the answer came. The server takes no second press of
    // a key that is down, so the press is replayed when the key's release reaches the hook (the grab holds
    // the keyboard until then). Storage for one XEvent.
    std::array<long, 24> pendingPress_{};
    bool replayPending_ = false;
};

}  // namespace keyhook
