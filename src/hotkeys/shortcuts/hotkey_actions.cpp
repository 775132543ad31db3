#include "hotkey_actions.h"

#include <cstring>

namespace shortcuts {

int HotkeyActionIndex(const char *key)
{
    if (!key)
        return -1;
    for (int i = 0; i < kHotkeyActionCount; ++i) {
        if (std::strcmp(kHotkeyActions[i].key, key) == 0)
            return i;
    }
    return -1;
}

}  // namespace shortcuts
