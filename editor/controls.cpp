// Painting, hit testing and invalidation of controls, and the canvas that
// draws on an image control's bitmap.
#include "editor/controls.h"

#include "editor/text_font.h"

namespace vardelline::gui {

bool sameName(const std::string& a, const char* b) {
    if (b == nullptr) return false;
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return i == a.size() && b[i] == '\0';
}

void Control::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (parent_ != nullptr) parent_->invalidate(bounds_);
}

Rect Control::windowRect() const {
    Rect r = bounds_;
    for (const Control* p = parent_; p != nullptr; p = p->parent_) r = r.offset(p->bounds_.left, p->bounds_.top);
    return r;
}

void Control::invalidate(const Rect& area) {
    // A hidden control shows nothing, so its drawing needs no repaint.
    if (!visible_ || parent_ == nullptr) return;
    Rect inParent = area.intersect(Rect::sized(0, 0, width(), height())).offset(bounds_.left, bounds_.top);
    if (!inParent.empty()) parent_->invalidate(inParent);
}

Control* Control::controlAt(int x, int y) {
    return visible_ && Rect::sized(0, 0, width(), height()).contains(x, y) ? this : nullptr;
}

Surface& Canvas::bitmap() {
    if (owner_.picture_.empty()) owner_.picture_ = Surface(owner_.width(), owner_.height(), kWhite);
    return owner_.picture_;
}

void Canvas::fillRect(const Rect& r) {
    bitmap().fillRect(r, brushColor);
    owner_.invalidate(r);
}

void Canvas::drawImage(const ImageList& list, int x, int y, int index) {
    list.draw(bitmap(), x, y, index);
    owner_.invalidate(Rect::sized(x, y, list.width(), list.height()));
}

void Canvas::copyRect(const Rect& to, const Canvas& source, const Rect& from) {
    // Stretching is never needed: the copy takes the smaller of the two sizes.
    Rect part =
        Rect::sized(from.left, from.top, std::min(to.width(), from.width()), std::min(to.height(), from.height()));
    bitmap().copyFrom(source.owner_.picture_, part, to.left, to.top);
    owner_.invalidate(to);
}

void Canvas::textOut(int x, int y, const char* text) {
    if (font == nullptr || text == nullptr) return;
    Surface& target = bitmap();
    font->draw(target, x, y, text, fontColor);
    owner_.invalidate(Rect::sized(x, y, font->textWidth(text), target.height()));
}

void ImageControl::setPicture(Surface picture) {
    picture_ = std::move(picture);
    invalidate();
}

void ImageControl::paint(Surface& target, int x, int y, const Rect& clip) const {
    if (!visible() || picture_.empty()) return;
    Rect area = clip.intersect(Rect::sized(x, y, width(), height()));
    if (transparent) {
        target.copyKeyed(picture_, picture_.bounds(), x, y, area, picture_.pixel(0, picture_.height() - 1));
    } else {
        target.copyFrom(picture_, picture_.bounds(), x, y, area);
    }
}

void Panel::add(Control& child) {
    child.parent_ = this;
    children_.push_back(&child);
    child.invalidate();
}

void Panel::setDoubleBuffered(bool on) {
    offscreen_ = on ? Surface(width(), height(), color_) : Surface();
}

void Panel::paintContent(Surface& target, int x, int y, const Rect& clip) const {
    Rect area = clip.intersect(Rect::sized(x, y, width(), height()));
    if (area.empty()) return;
    target.fillRect(area, color_);
    for (const Control* child : children_) {
        child->paint(target, x + child->bounds().left, y + child->bounds().top, area);
    }
}

void Panel::paint(Surface& target, int x, int y, const Rect& clip) const {
    if (!visible()) return;
    if (!doubleBuffered()) {
        paintContent(target, x, y, clip);
        return;
    }
    Rect area = clip.intersect(Rect::sized(x, y, width(), height()));
    if (area.empty()) return;
    Rect local = area.offset(-x, -y);
    paintContent(offscreen_, 0, 0, local);
    target.copyFrom(offscreen_, local, area.left, area.top);
}

Control* Panel::controlAt(int x, int y) {
    if (Control::controlAt(x, y) == nullptr) return nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        Control* child = *it;
        if (Control* hit = child->controlAt(x - child->bounds().left, y - child->bounds().top)) return hit;
    }
    return this;
}

}  // namespace vardelline::gui
