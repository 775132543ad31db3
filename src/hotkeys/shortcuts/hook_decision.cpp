#include "hook_decision.h"

#include <algorithm>

namespace shortcuts {

HookDecision DecideHookMessage(std::span<const HookBinding> table, bool programInForeground, uint16_t lastHookShortcut,
                               uint32_t wParam, int32_t lParam)
{
    HookDecision decision;
    decision.lastHookShortcut = static_cast<uint16_t>(wParam & 0xFFFF);
    if (programInForeground)
        return decision;
    if (wParam == lastHookShortcut && lParam == 0)
        return decision;
    for (size_t i = 0; i < table.size(); ++i) {
        const HookBinding &binding = table[i];
        if (binding.shortcut != 0 && binding.shortcut == wParam && binding.systemWide) {
            decision.action = static_cast<int>(i);
            decision.answer = binding.passToNextProgram ? kPassKeyOn : kWithholdKey;
            return decision;
        }
    }
    return decision;
}

std::vector<uint16_t> SystemWideShortcuts(std::span<const HookBinding> table)
{
    std::vector<uint16_t> values;
    for (const HookBinding &binding : table) {
        if (binding.systemWide && binding.shortcut != 0 &&
            std::find(values.begin(), values.end(), binding.shortcut) == values.end())
            values.push_back(binding.shortcut);
    }
    return values;
}

}  // namespace shortcuts
