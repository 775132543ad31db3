#include "key_codes.h"

#include <X11/X.h>
#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace keyhook {

namespace {

struct KeyPair {
    uint16_t vk;
    KeySymbol keysym;
};

// Keys outside the contiguous ranges. The first entry of a code is the keysym grabbed for it.
constexpr KeyPair kPairs[] = {
    {0x08, XK_BackSpace},
    {0x09, XK_Tab},
    {0x09, XK_ISO_Left_Tab},
    {0x0C, XK_Clear},
    {0x0C, XK_KP_Begin},
    {0x0D, XK_Return},
    {0x0D, XK_KP_Enter},
    {0x13, XK_Pause},
    {0x14, XK_Caps_Lock},
    {0x1B, XK_Escape},
    {0x20, XK_space},
    {0x20, XK_KP_Space},
    {0x21, XK_Prior},
    {0x21, XK_KP_Prior},
    {0x22, XK_Next},
    {0x22, XK_KP_Next},
    {0x23, XK_End},
    {0x23, XK_KP_End},
    {0x24, XK_Home},
    {0x24, XK_KP_Home},
    {0x25, XK_Left},
    {0x25, XK_KP_Left},
    {0x26, XK_Up},
    {0x26, XK_KP_Up},
    {0x27, XK_Right},
    {0x27, XK_KP_Right},
    {0x28, XK_Down},
    {0x28, XK_KP_Down},
    {0x29, XK_Select},
    {0x2B, XK_Execute},
    {0x2C, XK_Print},
    {0x2C, XK_Sys_Req},
    {0x2D, XK_Insert},
    {0x2D, XK_KP_Insert},
    {0x2E, XK_Delete},
    {0x2E, XK_KP_Delete},
    {0x2F, XK_Help},
    {0x5B, XK_Super_L},
    {0x5C, XK_Super_R},
    {0x5D, XK_Menu},
    {0x5F, XF86XK_Sleep},
    {0x6A, XK_KP_Multiply},
    {0x6B, XK_KP_Add},
    {0x6C, XK_KP_Separator},
    {0x6D, XK_KP_Subtract},
    {0x6E, XK_KP_Decimal},
    {0x6F, XK_KP_Divide},
    {0x90, XK_Num_Lock},
    {0x91, XK_Scroll_Lock},
    {0xA6, XF86XK_Back},
    {0xA7, XF86XK_Forward},
    {0xA8, XF86XK_Refresh},
    {0xA9, XF86XK_Stop},
    {0xAA, XF86XK_Search},
    {0xAB, XF86XK_Favorites},
    {0xAC, XF86XK_HomePage},
    {0xAD, XF86XK_AudioMute},
    {0xAE, XF86XK_AudioLowerVolume},
    {0xAF, XF86XK_AudioRaiseVolume},
    {0xB0, XF86XK_AudioNext},
    {0xB1, XF86XK_AudioPrev},
    {0xB2, XF86XK_AudioStop},
    {0xB3, XF86XK_AudioPlay},
    {0xB3, XF86XK_AudioPause},
    {0xB4, XF86XK_Mail},
    {0xB5, XF86XK_AudioMedia},
    {0xB6, XF86XK_MyComputer},
    {0xB7, XF86XK_Calculator},
    {0xBA, XK_semicolon},
    {0xBB, XK_equal},
    {0xBC, XK_comma},
    {0xBD, XK_minus},
    {0xBE, XK_period},
    {0xBF, XK_slash},
    {0xC0, XK_grave},
    {0xDB, XK_bracketleft},
    {0xDC, XK_backslash},
    {0xDD, XK_bracketright},
    {0xDE, XK_apostrophe},
    {0xE2, XK_less},
};

}  // namespace

uint16_t VirtualKeyOfKeysym(KeySymbol keysym)
{
    if (keysym >= XK_a && keysym <= XK_z)
        return static_cast<uint16_t>('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z)
        return static_cast<uint16_t>('A' + (keysym - XK_A));
    if (keysym >= XK_0 && keysym <= XK_9)
        return static_cast<uint16_t>('0' + (keysym - XK_0));
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return static_cast<uint16_t>(0x60 + (keysym - XK_KP_0));
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return static_cast<uint16_t>(0x70 + (keysym - XK_F1));
    for (const KeyPair &pair : kPairs) {
        if (pair.keysym == keysym)
            return pair.vk;
    }
    return 0;
}

KeySymbol KeysymOfVirtualKey(uint16_t vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return XK_a + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return XK_0 + (vk - '0');
    if (vk >= 0x60 && vk <= 0x69)
        return XK_KP_0 + (vk - 0x60);
    if (vk >= 0x70 && vk <= 0x87)
        return XK_F1 + (vk - 0x70);
    for (const KeyPair &pair : kPairs) {
        if (pair.vk == vk)
            return pair.keysym;
    }
    return NoSymbol;
}

}  // namespace keyhook
