// The usable screen area every window is sized and scaled from. The layout
// is designed for 1024 × 746 (Qt device-independent pixels, so high-DPI
// screens scale on top of this); smaller screens shrink design values,
// nothing is ever enlarged.
// Thread safety: set once at start-up on the user-interface thread, read-only after.
#pragma once

constexpr int DESIGN_WIDTH = 1024;
constexpr int DESIGN_HEIGHT = 746;

class CScreenInfo {
public:
    // The work area (or a maximised window's size), limited to 800..1024 wide
    // and 570..746 high.
    void setWorkArea(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // A horizontal design value: the smaller of a and round(a × width / 1024).
    int scaleX(int a) const;
    // A vertical design value: the smaller of a and round(a × height / 746).
    int scaleY(int a) const;
    // The factor for sizes that are neither (fonts, gaps): the vertical one.
    double scale() const { return double(m_height) / DESIGN_HEIGHT; }

private:
    int m_width = DESIGN_WIDTH;
    int m_height = DESIGN_HEIGHT;
};

// The process's screen information (one, as the application has one screen layout).
CScreenInfo& screenInfo();
