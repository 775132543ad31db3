#include "app/ui/window_layout.h"

#include <algorithm>

namespace {

// Which panels keep their remembered height in each style; the others get 0.
constexpr bool kShown[WindowLayout::kStyleCount][WindowLayout::PanelCount] = {
    {true, true, true, true},     // 0: everything
    {true, true, false, true},    // 1: no library
    {true, false, false, true},   // 2: time and buttons
    {false, false, false, true},  // 3: the button bar alone
};

}  // namespace

int WindowLayout::NextStyle(int style) { return style > 2 ? 0 : style + 1; }

bool WindowLayout::ShownInStyle(int style, Panel panel)
{
    if (style < 0 || style >= kStyleCount)
        return false;
    return kShown[style][panel];
}

int WindowLayout::StyleBeforeRestore(int storedStyle) { return storedStyle <= 0 ? 3 : storedStyle - 1; }

int WindowLayout::StackHeight() const
{
    int sum = 0;
    for (int p = 0; p < PanelCount; ++p)
        sum += Height(static_cast<Panel>(p));
    return sum;
}

int WindowLayout::Top(Panel panel) const
{
    // The button bar sits at the bottom; the others are stacked from the top.
    if (panel == Controls)
        return m_clientHeight - Height(Controls);
    int top = 0;
    for (int p = 0; p < panel; ++p)
        top += Height(static_cast<Panel>(p));
    return top;
}

int WindowLayout::MinimumClientHeight() const
{
    const int floor = m_remembered[Controls];
    if (!HeightAdjustable())
        return std::max(StackHeight(), floor);
    return std::max(Height(Time) + Height(Info) + Height(Controls), floor);
}

void WindowLayout::Toggle(int clientWidth, int clientHeight)
{
    m_style = NextStyle(m_style);
    for (int p = 0; p < PanelCount; ++p)
        m_height[p] = ShownInStyle(m_style, static_cast<Panel>(p)) ? m_remembered[p] : 0;
    Resize(clientWidth, clientHeight, true);
}

void WindowLayout::Resize(int clientWidth, int clientHeight, bool fromToggle)
{
    // The window never gets lower than the button bar, even when the bar itself floats: a window without
    // any client area would vanish from the screen.
    const int floor = m_remembered[Controls];
    clientHeight = std::max(clientHeight, floor);

    if (m_style == 0 && !fromToggle && !m_floating[Library]) {
        // In style 0 the library panel takes whatever height the other panels leave. A window lower than
        // the other three panels leaves it at 0 instead of a negative height.
        const int rest = clientHeight - Height(Controls) - Height(Time) - Height(Info);
        m_height[Library] = std::max(rest, 0);
        m_remembered[Library] = m_height[Library];
    }
    if (m_style >= 0 && m_style <= 2 && !m_floating[Time])
        m_remembered[Time] = m_height[Time];
    if (m_style >= 0 && m_style <= 1 && !m_floating[Info])
        m_remembered[Info] = m_height[Info];
    if (!m_floating[Controls])
        m_remembered[Controls] = m_height[Controls];

    m_clientWidth = clientWidth;
    m_clientHeight = std::max(StackHeight(), floor);
    m_recordedWidth = m_clientWidth;
    m_recordedHeight = m_clientHeight;
}

void WindowLayout::Restack(int clientWidth, int clientHeight)
{
    const int floor = m_remembered[Controls];
    clientHeight = std::max(clientHeight, floor);
    if (m_style == 0 && !m_floating[Library])
        m_height[Library] = std::max(clientHeight - Height(Controls) - Height(Time) - Height(Info), 0);
    m_clientWidth = clientWidth;
    m_clientHeight = std::max(StackHeight(), floor);
    m_recordedWidth = m_clientWidth;
    m_recordedHeight = m_clientHeight;
}

void WindowLayout::DockDrop(int clientWidth, int clientHeight)
{
    m_style = 3;
    Toggle(clientWidth, clientHeight);

    m_height[Time] = kDesignedHeights[Time];
    m_height[Info] = kDesignedHeights[Info];
    m_height[Controls] = kDesignedHeights[Controls];
    m_height[Library] = std::max(m_clientHeight - Height(Time) - Height(Info) - Height(Controls), 0);
    for (int p = 0; p < PanelCount; ++p) {
        if (!m_floating[p])
            m_remembered[p] = m_height[p];
    }
    m_clientHeight = std::max(StackHeight(), m_remembered[Controls]);
    m_recordedHeight = m_clientHeight;
}
