#pragma once
// The main window's four stacked panels as numbers: which panels a display style shows, the heights the
// window remembers for them, and the resize rule that fits them into the client area. No widgets here; the
// window applies the result (WindowLayout::Top / Height / ClientHeight) to its panels.
//
// Panels are stacked top to bottom: time, song information, library, button bar. A panel of height 0 is
// not shown. A floating panel (dragged off into a window of its own) takes no room in the stack, and the
// rule neither sizes it nor changes its remembered height.

#include <array>

class WindowLayout {
public:
    enum Panel { Time, Info, Library, Controls, PanelCount };

    static constexpr std::array<int, PanelCount> kDesignedHeights{41, 72, 96, 36};
    static constexpr int kDesignedClientWidth = 369;
    static constexpr int kDesignedClientHeight = 245;
    static constexpr int kStyleCount = 4;

    // The style that follows `style` in the cycle 0, 1, 2, 3, 0; anything above 2 gives 0.
    static int NextStyle(int style);
    // Whether a docked panel has its remembered height (true) or 0 in `style`.
    static bool ShownInStyle(int style, Panel panel);
    // Start-up sets this style and then steps once through the cycle, so a stored 1, 2 or 3 comes back
    // unchanged and 0 or anything outside 1..3 gives 0.
    static int StyleBeforeRestore(int storedStyle);

    int DisplayStyle() const { return m_style; }
    // Sets the style number only; the heights change with the next Toggle().
    void SetDisplayStyle(int style) { m_style = style; }

    // The display-style button: next style, panel heights from the remembered ones, then the resize rule
    // as called by the button.
    void Toggle(int clientWidth, int clientHeight);

    // The resize rule; runs on every size change of the window. `fromToggle` keeps the library panel at
    // the height just set by Toggle() instead of fitting it to the client height.
    void Resize(int clientWidth, int clientHeight, bool fromToggle = false);

    // A panel was dragged off into a window of its own: the docked panels close up in the client area as
    // it is. In style 0 the library panel takes the room for now; the remembered heights stay as they were,
    // so docking the panel back gives the window it had.
    void Restack(int clientWidth, int clientHeight);

    // A panel was docked back: style 0 with the remembered heights, then the three fixed panels at their
    // designed heights and the library panel filling the rest.
    void DockDrop(int clientWidth, int clientHeight);

    void SetFloating(Panel panel, bool floating) { m_floating[panel] = floating; }
    bool Floating(Panel panel) const { return m_floating[panel]; }

    // Height of the panel in the window (0 when hidden or floating) and its top edge.
    int Height(Panel panel) const { return m_floating[panel] ? 0 : m_height[panel]; }
    int Top(Panel panel) const;
    int RememberedHeight(Panel panel) const { return m_remembered[panel]; }

    // The client size the last rule run asks for.
    int ClientWidth() const { return m_clientWidth; }
    int ClientHeight() const { return m_clientHeight; }

    // The smallest client height the window may take in the current style, and whether it may grow:
    // in style 0 the library panel takes any extra height, in the other styles the height is fixed.
    int MinimumClientHeight() const;
    bool HeightAdjustable() const { return m_style == 0 && !m_floating[Library]; }

    // Window size as last recorded by the rule; stored as the window's width and height at exit.
    int RecordedWidth() const { return m_recordedWidth; }
    int RecordedHeight() const { return m_recordedHeight; }

private:
    int StackHeight() const;

    int m_style = 0;
    std::array<int, PanelCount> m_height = kDesignedHeights;
    std::array<int, PanelCount> m_remembered = kDesignedHeights;
    std::array<bool, PanelCount> m_floating{};
    int m_clientWidth = kDesignedClientWidth;
    int m_clientHeight = kDesignedClientHeight;
    int m_recordedWidth = kDesignedClientWidth;
    int m_recordedHeight = kDesignedClientHeight;
};
