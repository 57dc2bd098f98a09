// The panel's last picture, kept in a texture of the window's size. A
// redraw of a few controls (a meter, the Tap lamp) then starts from the
// picture and paints only their region, instead of the whole panel: with a
// double-buffered window nothing of the last frame survives the swap, and
// a software renderer takes tens of milliseconds for the whole panel.
#pragma once

struct PanelPixels {
    int x = 0; // window pixels, origin at the top left
    int y = 0;
    int width = 0;
    int height = 0;
};

class PanelCache {
public:
    // [ui, the window's GL context current] The texture is made on the
    // first keep and goes with release (or the context).
    PanelCache() = default;
    PanelCache(const PanelCache&) = delete;
    PanelCache& operator=(const PanelCache&) = delete;

    // Whether the picture covers a window of this size.
    bool holds(int width, int height) const;
    // Draws the picture over the whole window (the viewport set to it).
    void restore() const;
    // Takes a region of what was drawn into the picture. While the picture
    // does not hold the window's size, it takes the whole window: the
    // caller painted all of it.
    void keep(const PanelPixels& region, int width, int height);
    void release();

private:
    unsigned texture = 0;
    int width = 0;
    int height = 0;
};
