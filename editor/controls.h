// The window's building blocks: controls placed in pixels inside a parent,
// image controls that hold a bitmap and show it unscaled (optionally with the
// colour of its bottom-left pixel left out), and panels that group controls
// and can compose them off-screen. Mouse events reach a control through its
// handlers, with positions in the control's own coordinates.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editor/image_list.h"
#include "editor/surface.h"

namespace vardelline::gui {

class TextFont;

enum class MouseButton { Left, Right, Middle };

// Modifier keys held during a mouse event.
struct ShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

class Control;

// Whether two component names match, letters compared without case.
bool sameName(const std::string& a, const char* b);

struct MouseHandlers {
    std::function<void(Control& sender, MouseButton, ShiftState, int x, int y)> press;
    std::function<void(Control& sender, ShiftState, int x, int y)> move;
    std::function<void(Control& sender, MouseButton, ShiftState, int x, int y)> release;
};

class Control {
public:
    Control(std::string name, Rect bounds) : name_(std::move(name)), bounds_(bounds) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    // Position and size inside the parent.
    const Rect& bounds() const { return bounds_; }
    int width() const { return bounds_.width(); }
    int height() const { return bounds_.height(); }
    Control* parent() const { return parent_; }

    bool visible() const { return visible_; }
    void setVisible(bool visible);

    // The control's rectangle in the coordinates of the outermost parent.
    Rect windowRect() const;

    // Marks area (in this control's coordinates) as needing a repaint.
    virtual void invalidate(const Rect& area);
    void invalidate() { invalidate(Rect::sized(0, 0, width(), height())); }

    // Paints the part of the control inside clip; (x, y) is where the
    // control's top-left lands on target, clip is in target coordinates.
    virtual void paint(Surface& target, int x, int y, const Rect& clip) const = 0;

    // The innermost visible control at (x, y) in this control's coordinates.
    virtual Control* controlAt(int x, int y);

    MouseHandlers handlers;

protected:
    friend class Panel;
    Control* parent_ = nullptr;

private:
    std::string name_;
    Rect bounds_;
    bool visible_ = true;
};

class ImageControl;

// Drawing on an image control's bitmap; the first drawing gives a control
// without a picture a white bitmap of its own size. Every call marks the
// drawn control for repainting.
class Canvas {
public:
    explicit Canvas(ImageControl& owner) : owner_(owner) {}

    Color brushColor = kWhite;
    const TextFont* font = nullptr;
    Color fontColor = kBlack;

    // Fills r with the brush colour.
    void fillRect(const Rect& r);
    void drawImage(const ImageList& list, int x, int y, int index);
    // Copies from's rectangle of source's bitmap into to (same size).
    void copyRect(const Rect& to, const Canvas& source, const Rect& from);
    // Text with a transparent background, its cell's top-left at (x, y).
    void textOut(int x, int y, const char* text);

private:
    Surface& bitmap();
    ImageControl& owner_;
};

class ImageControl : public Control {
public:
    ImageControl(std::string name, Rect bounds) : Control(std::move(name), bounds), canvas_(*this) {}

    const Surface& picture() const { return picture_; }
    void setPicture(Surface picture);

    // Leave out the pixels of the colour of the picture's bottom-left pixel.
    bool transparent = false;

    Canvas& canvas() { return canvas_; }
    const Canvas& canvas() const { return canvas_; }

    void paint(Surface& target, int x, int y, const Rect& clip) const override;

private:
    friend class Canvas;
    Surface picture_;
    Canvas canvas_;
};

class Panel : public Control {
public:
    Panel(std::string name, Rect bounds, Color color = kSilver) : Control(std::move(name), bounds), color_(color) {}

    // Children paint in the order they were added, later ones on top.
    void add(Control& child);
    const std::vector<Control*>& children() const { return children_; }

    // Compose the children off-screen first and copy the result at once.
    void setDoubleBuffered(bool on);
    bool doubleBuffered() const { return !offscreen_.empty(); }

    void paint(Surface& target, int x, int y, const Rect& clip) const override;
    Control* controlAt(int x, int y) override;

protected:
    void paintContent(Surface& target, int x, int y, const Rect& clip) const;

private:
    std::vector<Control*> children_;
    Color color_;
    mutable Surface offscreen_;
};

}  // namespace vardelline::gui
