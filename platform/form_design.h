#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kumoden {

// A rectangle in twips, as form designs give them.
struct TwipsBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const TwipsBox&, const TwipsBox&) = default;
};

// The face every form is designed in.
inline constexpr std::string_view kFormFontFace = "ＭＳ Ｐゴシック";

// A control's font; a size of 0 leaves the platform's own dialog font.
struct FontDesign {
    double points = 0;
    bool bold = false;
};

enum class ControlKind {
    Label,
    TextBox,
    ComboBox, // an editable box with a list
    Button,
    TabStrip, // captions: one per tab
    Page,     // a frame the tab strip's pages are, laid on the client area
    ProgressBar,
    DriveList,
    FolderList,
    FileList,
    Picture,
    Line, // an etched rule from (left, top) to (left + width, top + height)
};

// One control as designed. Controls sit on the form, or on the page named
// as their container; their boxes are relative to it.
struct ControlDesign {
    std::string_view name;
    ControlKind kind = ControlKind::Label;
    std::vector<std::string_view> captions; // text, or a tab strip's tabs
    TwipsBox box;
    FontDesign font;
    std::string_view container; // a page's name; empty: the form
    int tabIndex = -1;          // place in the focus order; -1: no tab stop
    bool alignRight = false;
    bool isDefault = false; // the button Enter presses
    bool enabled = true;
    unsigned foreColor = 0; // 0xRRGGBB; 0: the platform's text colour
    int maximum = 0;        // a progress bar's value when full

    std::string_view caption() const { return captions.empty() ? std::string_view() : captions.front(); }

    // A design is written as Control(...) followed by what differs from the
    // defaults: Control("cmdOK", ControlKind::Button, box).withCaption("OK").
    ControlDesign withCaption(std::string_view text) const { return withCaptions({text}); }
    ControlDesign withCaptions(std::vector<std::string_view> texts) const
    {
        return with(&ControlDesign::captions, std::move(texts));
    }
    ControlDesign withFont(FontDesign value) const { return with(&ControlDesign::font, value); }
    ControlDesign onPage(std::string_view page) const { return with(&ControlDesign::container, page); }
    ControlDesign tabStop(int index) const { return with(&ControlDesign::tabIndex, index); }
    ControlDesign rightAligned() const { return with(&ControlDesign::alignRight, true); }
    ControlDesign defaultButton() const { return with(&ControlDesign::isDefault, true); }
    ControlDesign disabled() const { return with(&ControlDesign::enabled, false); }
    ControlDesign colored(unsigned rgb) const { return with(&ControlDesign::foreColor, rgb); }
    ControlDesign upTo(int value) const { return with(&ControlDesign::maximum, value); }

private:
    template <typename Field, typename Value>
    ControlDesign with(Field ControlDesign::*field, Value value) const
    {
        ControlDesign copy = *this;
        copy.*field = std::move(value);
        return copy;
    }
};

inline ControlDesign Control(std::string_view name, ControlKind kind, TwipsBox box)
{
    ControlDesign control;
    control.name = name;
    control.kind = kind;
    control.box = box;
    return control;
}

// A form as designed: its name, caption, client area and font, and its
// controls in the order they are made. The views of every platform build
// from this and convert twips with the screen's twips per pixel.
struct FormDesign {
    FormDesign(std::string_view formName, std::string_view formCaption, int width, int height,
               std::vector<ControlDesign> formControls, FontDesign formFont = {})
        : name(formName), caption(formCaption), clientWidth(width), clientHeight(height), font(formFont),
          controls(std::move(formControls))
    {
    }

    std::string_view name;
    std::string_view caption;
    int clientWidth = 0;
    int clientHeight = 0;
    FontDesign font;
    std::vector<ControlDesign> controls;

    // The control of that name; throws std::out_of_range when there is none.
    const ControlDesign& control(std::string_view controlName) const
    {
        const auto found = std::find_if(controls.begin(), controls.end(),
                                        [&](const ControlDesign& c) { return c.name == controlName; });
        if (found == controls.end()) {
            throw std::out_of_range("no control " + std::string(controlName) + " on " + std::string(name));
        }
        return *found;
    }
    // The names of the tab stops in focus order.
    std::vector<std::string_view> tabOrder() const
    {
        std::vector<const ControlDesign*> stops;
        for (const ControlDesign& c : controls) {
            if (c.tabIndex >= 0) {
                stops.push_back(&c);
            }
        }
        std::stable_sort(stops.begin(), stops.end(), [](const ControlDesign* a, const ControlDesign* b) {
            return a->tabIndex < b->tabIndex;
        });
        std::vector<std::string_view> names;
        for (const ControlDesign* c : stops) {
            names.push_back(c->name);
        }
        return names;
    }
};

} // namespace kumoden
