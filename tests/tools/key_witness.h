#pragma once
// A small X window of the test's own that holds the input focus and records the keys it receives, standing
// for "the program in the foreground". Also grabs keys as another client would.

#include <QByteArray>

#include <vector>

struct WitnessKey {
    unsigned long keysym;  // unshifted keysym of the key
    unsigned state;        // modifier state of the event
    bool press;
    bool sent;  // delivered by XSendEvent rather than by the server's input
};

inline constexpr unsigned kWitnessShift = 1u << 0;
inline constexpr unsigned kWitnessLock = 1u << 1;
inline constexpr unsigned kWitnessControl = 1u << 2;
inline constexpr unsigned kWitnessMod1 = 1u << 3;  // Alt
inline constexpr unsigned kWitnessMod2 = 1u << 4;  // Num Lock
inline constexpr unsigned kWitnessMod3 = 1u << 5;

class KeyWitness {
public:
    ~KeyWitness();
    bool open(const QByteArray &display);
    void close();
    unsigned long windowId() const { return window_; }
    // Gives the witness the input focus.
    void focus();
    // True while the witness has the input focus.
    bool hasFocus();
    // Reads what arrived so far and returns every key recorded since the last clear().
    const std::vector<WitnessKey> &keys();
    void clear();
    // True when a press of keysym with exactly these Shift/Control/Alt modifiers has arrived.
    bool gotPress(unsigned long keysym, unsigned modifiers);
    bool gotAnyPress(unsigned long keysym);
    // Grabs or releases a key combination on the root window from this (other) client.
    bool grabAsOtherClient(unsigned long keysym, unsigned modifiers);
    void ungrabAsOtherClient(unsigned long keysym, unsigned modifiers);
    // The lock modifiers in effect now.
    unsigned lockState();
    // Binds the key of keysym to modifier Mod3 (true) or takes it off again (false), as a keyboard
    // configuration tool would.
    bool bindToMod3(unsigned long keysym, bool bind);

private:
    void *display_ = nullptr;
    unsigned long window_ = 0;
    std::vector<WitnessKey> keys_;
};
