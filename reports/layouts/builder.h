// Short hands for defining the report layouts: fonts and elements with their place.
#pragma once

#include "reports/engine/report.h"

#include <string>

namespace reports::layouts {

namespace eng = reports::engine;

struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
};
inline constexpr FontStyle kPlain{};
inline constexpr FontStyle kBold{true, false, false};
inline constexpr FontStyle kBoldItalic{true, true, false};
inline constexpr FontStyle kBoldUnderline{true, false, true};
inline constexpr FontStyle kUnderline{false, false, true};

inline eng::Font arial(double size, FontStyle s = kPlain) {
    return eng::Font{eng::kArial, size, s.bold, s.italic, s.underline};
}
inline eng::Font narrow(double size, FontStyle s = kPlain) {
    return eng::Font{eng::kArialNarrow, size, s.bold, s.italic, s.underline};
}

inline eng::Element label(std::string name, std::string text, double left, double top,
                          eng::Font font, eng::Align align = eng::Align::Left, double width = 0) {
    eng::Element e;
    e.kind = eng::ElementKind::Label;
    e.name = std::move(name);
    e.text = std::move(text);
    e.left = left;
    e.top = top;
    e.width = width;
    e.font = std::move(font);
    e.align = align;
    return e;
}

// A field of the report's data set.
inline eng::Element field(std::string name, std::string fieldName, double left, double top,
                          double width, eng::Font font, eng::Align align = eng::Align::Left,
                          std::string mask = {}) {
    eng::Element e;
    e.kind = eng::ElementKind::DataField;
    e.name = std::move(name);
    e.field = std::move(fieldName);
    e.left = left;
    e.top = top;
    e.width = width;
    e.font = std::move(font);
    e.align = align;
    e.mask = std::move(mask);
    return e;
}

// A field of another data set, bound later; prints nothing until then.
inline eng::Element foreignField(std::string name, std::string fieldName, double left, double top,
                                 double width, eng::Font font,
                                 eng::Align align = eng::Align::Left) {
    eng::Element e =
        field(std::move(name), std::move(fieldName), left, top, width, std::move(font), align);
    e.ownDataSet = true;
    return e;
}

inline eng::Element sysData(std::string name, eng::SysDataKind kind, double left, double top,
                            eng::Font font, eng::Align align = eng::Align::Left, double width = 0) {
    eng::Element e;
    e.kind = eng::ElementKind::SysData;
    e.name = std::move(name);
    e.sysData = kind;
    e.left = left;
    e.top = top;
    e.width = width;
    e.font = std::move(font);
    e.align = align;
    return e;
}

inline eng::Element expression(std::string name, std::string expr, double left, double top,
                               double width, eng::Font font, eng::Align align, std::string mask) {
    eng::Element e;
    e.kind = eng::ElementKind::Expression;
    e.name = std::move(name);
    e.expression = std::move(expr);
    e.left = left;
    e.top = top;
    e.width = width;
    e.font = std::move(font);
    e.align = align;
    e.mask = std::move(mask);
    return e;
}

inline eng::Element memo(std::string name, double left, double top, double width, double height,
                         eng::Font font, bool autoStretch) {
    eng::Element e;
    e.kind = eng::ElementKind::Memo;
    e.name = std::move(name);
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    e.font = std::move(font);
    e.autoStretch = autoStretch;
    return e;
}

inline eng::Element bar(std::string name, double left, double top, double width, double height,
                        eng::Color colour) {
    eng::Element e;
    e.kind = eng::ElementKind::Shape;
    e.shape = eng::ShapeKind::Rectangle;
    e.name = std::move(name);
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    e.brush = colour;
    return e;
}

inline eng::Element picture(std::string name, double left, double top, double width,
                            double height) {
    eng::Element e;
    e.kind = eng::ElementKind::Picture;
    e.name = std::move(name);
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    return e;
}

inline void frame(eng::Band& b, bool top, bool bottom, double width = 1) {
    b.frame.top = top;
    b.frame.bottom = bottom;
    b.frame.width = width;
}

} // namespace reports::layouts
